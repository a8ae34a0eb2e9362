#include "app/editing/CellClipboard.h"

#include "app/desktop/Desktop.h"
#include "app/desktop/ProgramTitle.h"
#include "app/document/SaveMessages.h"
#include "app/editing/UndoSteps.h"
#include "grid/FlexGrid.h"
#include "grid/Windows1251.h"
#include "register/RegisterLayout.h"
#include "ui/CellBox.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
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

CellClipboard::CellClipboard(FlexGrid& grid, Desktop& desktop, UndoSteps& undo, CellBox& cellBox)
    : grid_(grid)
    , desktop_(desktop)
    , undo_(undo)
    , cellBox_(cellBox)
{
}

bool CellClipboard::holdsCells(const QString& text)
{
    return text.contains(u'\t') || text.contains(u';') || text.contains(u'\n') || text.contains(u'\r');
}

void CellClipboard::copy()
{
    const int top = std::max(FlexGrid::FixedRows, std::min(grid_.Row(), grid_.RowSel()));
    const int bottom = std::max(grid_.Row(), grid_.RowSel());
    const int left = std::min(grid_.Col(), grid_.ColSel());
    const int right = std::max(grid_.Col(), grid_.ColSel());
    QStringList plain;
    QStringList csv;
    for (int row = top; row <= bottom; ++row) {
        QStringList texts;
        QStringList fields;
        for (int col = left; col <= right; ++col) {
            texts << grid_.TextMatrix(row, col);
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

void CellClipboard::paste()
{
    pasteText(QGuiApplication::clipboard()->text(), grid_.Row(), grid_.Col());
}

bool CellClipboard::refused(const QList<QStringList>& cells, int top, int left)
{
    if (const std::optional<char32_t> bad = firstUnwritable(cells)) {
        desktop_.messageBox(QStringLiteral("Вставка не выполнена: текст содержит %1, а журнал не может "
                                           "хранить этот знак. Таблица не изменена.")
                                .arg(SaveMessages::characterName(*bad)),
            programTitle());
        return true;
    }
    int width = 0;
    for (const QStringList& line : cells)
        width = std::max(width, int(line.size()));
    // Lines past the last entry shown go on at the end of the register.
    const qint64 rowsAfter = std::max<qint64>(0, qint64(top) + cells.size() - grid_.Rows());
    const QLocale russian(QLocale::Russian);
    QString why;
    if (qint64(left) + width > FlexGrid::maxCols)
        why = QStringLiteral("в строке текста %1 полей, а в таблице может быть не больше %2 колонок")
                  .arg(russian.toString(width), russian.toString(FlexGrid::maxCols));
    else if (grid_.model().Rows() + rowsAfter > FlexGrid::maxRows)
        why = QStringLiteral("в тексте %1 строк, а в таблице может быть не больше %2 строк")
                  .arg(russian.toString(cells.size()), russian.toString(FlexGrid::maxRows - 1));
    if (why.isEmpty())
        return false;
    // The log of the work replays only what the grid can hold.
    desktop_.messageBox(QStringLiteral("Вставка не выполнена: %1. Таблица не изменена.").arg(why), programTitle());
    return true;
}

void CellClipboard::pasteText(const QString& text, int row, int col)
{
    const QList<QStringList> cells = parseCells(text);
    const int top = std::max(FlexGrid::FixedRows, row);
    if (cells.isEmpty() || refused(cells, top, col))
        return;
    cellBox_.settle();
    GridModel& model = grid_.model();
    int width = 0;
    for (const QStringList& line : cells)
        width = std::max(width, int(line.size()));
    const int rowsAdded = std::max(0, top + int(cells.size()) - grid_.Rows());
    const int colsAdded = std::max(0, col + width - grid_.Cols());
    auto step = std::make_unique<CellsCommand>(grid_, QStringLiteral("вставка в строку %1").arg(top), false);
    step->addedShape(rowsAdded, colsAdded);
    // Rows added at the end, as "Добавить строку" adds them, and shown.
    model.setRows(model.Rows() + rowsAdded);
    model.setCols(model.Cols() + colsAdded);
    const auto write = [&](int shownRow, int c, const QString& value) {
        const int target = grid_.modelRow(shownRow);
        const CellText held = model.cellText(target, c);
        if (held == CellText(value))
            return;
        step->add(target, c, held, value);
        model.setTextMatrix(target, c, value);
    };
    for (int r = 0; r < int(cells.size()); ++r) {
        for (int c = 0; c < int(cells[r].size()); ++c)
            write(top + r, col + c, cells[r][c]);
        const int activation = RegisterLayout::activationColumn - col;
        if (activation >= 0 && activation < cells[r].size()) {
            if (const auto derived = undo_.derivedCell(top + r, RegisterLayout::activationColumn, cells[r][activation]))
                write(top + r, derived->col, derived->text);
        }
    }
    grid_.scrollIntoView(top + int(cells.size()) - 1, col);
    if (!step->isEmpty())
        undo_.push(step.release());
}

void CellClipboard::watchCellBox(QLineEdit& box)
{
    boxEdit_ = &box;
    box.installEventFilter(this);
}

void CellClipboard::watchInputLine(QLineEdit& line)
{
    inputLine_ = &line;
    line.installEventFilter(this);
}

bool CellClipboard::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || (watched != boxEdit_ && watched != inputLine_))
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (watched == boxEdit_ && key->matches(QKeySequence::Copy) && !boxEdit_->hasSelectedText()) {
        copy();
        return true;
    }
    const QString text = QGuiApplication::clipboard()->text();
    if (key->matches(QKeySequence::Paste) && holdsCells(text)) {
        // The box's text gives way to the cells pasted from its cell.
        if (watched == boxEdit_)
            cellBox_.drop();
        pasteText(text, grid_.Row(), grid_.Col());
        return true;
    }
    return QObject::eventFilter(watched, event);
}
