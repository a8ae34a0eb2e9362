// The main window's clipboard: the selected cells copied as tab-separated
// lines (and as CSV), and tab- or semicolon-separated text pasted from the
// current cell rightwards and downwards, as one step to undo.
#include "app/FrmEKLZ.h"

#include "app/Desktop.h"
#include "app/SaveMessages.h"
#include "grid/Windows1251.h"
#include "register/RegisterLayout.h"
#include "ui/CellOverlay.h"

#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QGuiApplication>
#include <QLocale>
#include <QMimeData>

namespace {

QString csvField(const QString& text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    return u'"' + QString(text).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

// Lines of fields: split at tabs where there are any, else at semicolons
// (a register line's last ';' ends its last field).
QList<QStringList> parseCells(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    const QChar separator = text.contains(u'\t') ? u'\t' : u';';
    QList<QStringList> cells;
    for (const QString& line : lines) {
        QStringList fields = line.split(separator);
        if (separator == u';' && fields.size() > 1 && fields.last().isEmpty())
            fields.removeLast();
        cells.append(fields);
    }
    return cells;
}

std::optional<char32_t> firstUnwritable(const QList<QStringList>& cells)
{
    for (const QStringList& line : cells)
        for (const QString& field : line)
            for (const char32_t ch : field.toUcs4())
                if (ch == U';' || !Windows1251::encodable(QString::fromUcs4(&ch, 1)))
                    return ch;
    return std::nullopt;
}

} // namespace

void FrmEKLZ::copyCells()
{
    const int top = std::max(FlexGrid::FixedRows, std::min(MSFGAZ.Row(), MSFGAZ.RowSel()));
    const int bottom = std::max(MSFGAZ.Row(), MSFGAZ.RowSel());
    const int left = std::min(MSFGAZ.Col(), MSFGAZ.ColSel());
    const int right = std::max(MSFGAZ.Col(), MSFGAZ.ColSel());
    QStringList plain;
    QStringList csv;
    for (int row = top; row <= bottom; ++row) {
        QStringList texts;
        QStringList fields;
        for (int col = left; col <= right; ++col) {
            texts << MSFGAZ.TextMatrix(row, col);
            fields << csvField(texts.last());
        }
        plain << texts.join(u'\t');
        csv << fields.join(u',');
    }
    auto* mime = new QMimeData;
    mime->setText(plain.join(u'\n') + u'\n');
    mime->setData(QStringLiteral("text/csv"), (csv.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
    QGuiApplication::clipboard()->setMimeData(mime);
}

void FrmEKLZ::pasteCells()
{
    const QList<QStringList> cells = parseCells(QGuiApplication::clipboard()->text());
    if (cells.isEmpty())
        return;
    if (const std::optional<char32_t> bad = firstUnwritable(cells)) {
        desktop_.messageBox(QStringLiteral("Вставка не выполнена: текст содержит %1, а журнал не может "
                                           "хранить этот знак. Таблица не изменена.")
                                .arg(SaveMessages::characterName(*bad)),
                            programTitle);
        return;
    }
    const int top = std::max(FlexGrid::FixedRows, MSFGAZ.Row());
    const int left = MSFGAZ.Col();
    int width = 0;
    for (const QStringList& line : cells)
        width = std::max(width, int(line.size()));
    // Refused whole, before anything changes: the journal replays only what
    // the grid can hold.
    if (qint64(left) + width > FlexGrid::maxCols || qint64(top) + cells.size() > FlexGrid::maxRows) {
        const QLocale russian(QLocale::Russian);
        desktop_.messageBox(
            qint64(left) + width > FlexGrid::maxCols
                ? QStringLiteral("Вставка не выполнена: в строке текста %1 полей, а в таблице может быть "
                                 "не больше %2 колонок. Таблица не изменена.")
                      .arg(russian.toString(width), russian.toString(FlexGrid::maxCols))
                : QStringLiteral("Вставка не выполнена: в тексте %1 строк, а в таблице может быть не "
                                 "больше %2 строк. Таблица не изменена.")
                      .arg(russian.toString(cells.size()), russian.toString(FlexGrid::maxRows - 1)),
            programTitle);
        return;
    }
    overlay_->settle();
    // Rows added at the end, as "Добавить строку" adds them; columns too
    // where a line is wider than the grid, so that nothing is cut off.
    const int rowsAdded = std::max(0, top + int(cells.size()) - MSFGAZ.Rows());
    const int colsAdded = std::max(0, left + width - MSFGAZ.Cols());
    auto step = std::make_unique<CellsCommand>(MSFGAZ, QStringLiteral("вставка в строку %1").arg(top), false);
    step->addedShape(rowsAdded, colsAdded);
    MSFGAZ.setRows(MSFGAZ.Rows() + rowsAdded);
    MSFGAZ.setCols(MSFGAZ.Cols() + colsAdded);
    const auto write = [&](int row, int col, const QString& text) {
        const CellText held = MSFGAZ.cellText(row, col);
        if (held == CellText(text))
            return;
        step->add(row, col, held, text);
        MSFGAZ.setTextMatrix(row, col, text);
    };
    for (int r = 0; r < int(cells.size()); ++r) {
        for (int c = 0; c < int(cells[r].size()); ++c)
            write(top + r, left + c, cells[r][c]);
        const int activation = RegisterLayout::activationColumn - left;
        if (activation >= 0 && activation < cells[r].size()) {
            if (const auto derived = derivedCell(top + r, RegisterLayout::activationColumn, cells[r][activation]))
                write(top + r, derived->col, derived->text);
        }
    }
    MSFGAZ.scrollIntoView(top + int(cells.size()) - 1, left);
    if (!step->isEmpty())
        addToHistory(step.release());
}

bool FrmEKLZ::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtDataEntry && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy) && !txtDataEntry->hasSelectedText()) {
        copyCells();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
