#include "app/unithistory/EntryOpener.h"

#include "app/desktop/Desktop.h"
#include "app/desktop/ProgramTitle.h"
#include "app/document/RegisterDocument.h"
#include "app/shown/ShownEntries.h"
#include "grid/FlexGrid.h"

#include <QFileInfo>
#include <QWidget>

namespace {

bool holds(const GridModel& model, int row, const QStringList& cells)
{
    if (row < GridModel::FixedRows || row >= model.Rows())
        return false;
    for (int c = 0; c < cells.size(); ++c)
        if (model.TextMatrix(row, c) != cells[c])
            return false;
    return true;
}

} // namespace

EntryOpener::EntryOpener(
    QWidget& window, FlexGrid& grid, Desktop& desktop, RegisterDocument& document, ShownEntries& shown)
    : window_(window)
    , grid_(grid)
    , desktop_(desktop)
    , document_(document)
    , shown_(shown)
{
}

int EntryOpener::find(const GridModel& model, int row, const QStringList& cells)
{
    if (holds(model, row, cells))
        return row;
    for (int r = GridModel::FixedRows; r < model.Rows(); ++r)
        if (holds(model, r, cells))
            return r;
    return -1;
}

bool EntryOpener::open(const QString& path, int row, const QStringList& cells, const QString& listName)
{
    const bool archive = !path.isEmpty();
    if (archive && !document_.loadArchive(path))
        return false;
    const int at = find(grid_.model(), row, cells);
    if (at < 0) {
        const QString where = archive ? QStringLiteral("Архив «%1» загружен, но этой записи в нём больше нет: архив "
                                                       "изменили после того, как составлен список.")
                                            .arg(QFileInfo(path).fileName())
                                      : QStringLiteral("Этой записи больше нет в таблице: её изменили или удалили "
                                                       "после того, как составлен список.");
        desktop_.messageBox(where + QStringLiteral(" Откройте «%1» снова.").arg(listName), programTitle());
        return false;
    }
    makeCurrent(at);
    return true;
}

void EntryOpener::makeCurrent(int modelRow)
{
    if (grid_.viewRow(modelRow) < 0)
        shown_.show({}); // shown again: the filter hid it
    const int row = grid_.viewRow(modelRow);
    if (row < 0)
        return;
    grid_.setRow(row);
    grid_.setCol(0);
    grid_.scrollIntoView(row, 0);
    window_.raise();
    window_.activateWindow();
}
