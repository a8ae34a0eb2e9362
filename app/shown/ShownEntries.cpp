#include "app/shown/ShownEntries.h"

#include "app/desktop/Desktop.h"
#include "app/desktop/ProgramTitle.h"
#include "app/document/RegisterDocument.h"
#include "grid/FlexGrid.h"
#include "ui/CellBox.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

ShownEntries::ShownEntries(
    QWidget& window, FlexGrid& grid, Desktop& desktop, CellBox& cellBox, const RegisterDocument& document)
    : window_(window)
    , grid_(grid)
    , desktop_(desktop)
    , cellBox_(cellBox)
    , document_(document)
{
    addAction(QStringLiteral("Все записи"), QKeySequence(Qt::CTRL | Qt::Key_1), EntryFilter::Kind::All);
    addAction(QStringLiteral("Заблокированные"), QKeySequence(Qt::CTRL | Qt::Key_2), EntryFilter::Kind::Blocked);
    addAction(
        QStringLiteral("Блокируются в течение 30 дней"), QKeySequence(Qt::CTRL | Qt::Key_3), EntryFilter::Kind::Soon);
    addAction(QStringLiteral("Содержащие…"), QKeySequence(Qt::CTRL | Qt::Key_4), EntryFilter::Kind::Containing);
    // Whoever shows every entry (a load, a recovery) ends the filter.
    connect(&grid_, &FlexGrid::shownChanged, this, [this] {
        if (!grid_.filtered())
            filter_ = {};
        updateCaption();
    });
    connect(&grid_.model(), &GridModel::rowsInserted, this, &ShownEntries::updateCaption);
    connect(&grid_.model(), &GridModel::rowsRemoved, this, &ShownEntries::updateCaption);
    connect(&document_, &RegisterDocument::loaded, this, &ShownEntries::updateCaption);
}

QAction* ShownEntries::addAction(const QString& text, const QKeySequence& keys, EntryFilter::Kind kind)
{
    auto* action = new QAction(text, &window_);
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    window_.addAction(action); // the keys act anywhere in the window
    connect(action, &QAction::triggered, this, [this, kind] {
        if (kind == EntryFilter::Kind::Containing)
            showContaining();
        else
            show({kind, {}, 0});
    });
    actions_.push_back(action);
    return action;
}

void ShownEntries::addTo(QMenu& menu)
{
    QMenu* submenu = menu.addMenu(QStringLiteral("Показать"));
    for (QAction* action : actions_)
        submenu->addAction(action);
}

void ShownEntries::showContaining()
{
    const int col = grid_.Col();
    const QString caption = grid_.TextMatrix(0, col).trimmed();
    const QString prompt = caption.isEmpty()
                               ? QStringLiteral("Показать записи, в колонке %1 которых есть слово:").arg(col + 1)
                               : QStringLiteral("Показать записи, в колонке «%1» которых есть слово:").arg(caption);
    const QString word = desktop_.inputBox(prompt, programTitle(), grid_.Row() > 0 ? grid_.Text() : QString());
    if (word.isEmpty())
        return;
    show({EntryFilter::Kind::Containing, word, grid_.model().columnKey(col)});
}

void ShownEntries::show(const EntryFilter& filter)
{
    // The rows move under a pending edit: it goes into its own cell first.
    cellBox_.settle();
    filter_ = filter;
    if (filter.kind == EntryFilter::Kind::All) {
        grid_.showAll();
        return;
    }
    const Desktop::BusyScope busy(desktop_);
    grid_.showRows(filter.matches(grid_.model(), today_.isValid() ? today_ : QDate::currentDate()));
}

void ShownEntries::reapply()
{
    if (filter_.kind != EntryFilter::Kind::All)
        show(filter_);
}

QString ShownEntries::filterWords() const
{
    switch (filter_.kind) {
    case EntryFilter::Kind::All:
        break;
    case EntryFilter::Kind::Blocked:
        return QStringLiteral("заблокированные");
    case EntryFilter::Kind::Soon:
        return QStringLiteral("блокируются в течение 30 дней");
    case EntryFilter::Kind::Containing: {
        const int col = grid_.model().columnWithKey(filter_.column);
        const QString caption = grid_.TextMatrix(0, col).trimmed();
        if (col < 0)
            return QStringLiteral("содержащие «%1» в удалённой колонке").arg(filter_.word);
        return caption.isEmpty() ? QStringLiteral("содержащие «%1» в колонке %2").arg(filter_.word).arg(col + 1)
                                 : QStringLiteral("содержащие «%1» в колонке «%2»").arg(filter_.word, caption);
    }
    }
    return QString();
}

QString ShownEntries::note() const
{
    QStringList parts;
    if (const QString archive = document_.archiveHeld(); !archive.isEmpty())
        parts << QStringLiteral("архив «%1»").arg(archive);
    if (grid_.filtered())
        parts << QStringLiteral("показано %1 из %2: %3")
                     .arg(grid_.Rows() - FlexGrid::FixedRows)
                     .arg(grid_.model().Rows() - FlexGrid::FixedRows)
                     .arg(filterWords());
    return parts.join(QStringLiteral(", "));
}

void ShownEntries::updateCaption()
{
    const QString what = note();
    window_.setWindowTitle(what.isEmpty() ? programTitle() : programTitle() + QStringLiteral(" — ") + what);
}
