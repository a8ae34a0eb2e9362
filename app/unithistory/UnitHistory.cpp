#include "app/unithistory/UnitHistory.h"

#include "app/desktop/Desktop.h"
#include "app/desktop/ProgramTitle.h"
#include "app/document/RegisterDocument.h"
#include "app/shown/ShownEntries.h"
#include "app/unithistory/UnitHistoryWindow.h"
#include "grid/FlexGrid.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QWidget>
#include <algorithm>

namespace {

// The archives, newest first: by the time they were written, then by name.
std::vector<UnitHistoryWindow::SearchedFile> archivesIn(const QString& folder)
{
    QFileInfoList files;
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort))
        if (file.suffix().compare(QStringLiteral("csv"), Qt::CaseInsensitive) == 0)
            files << file;
    std::sort(files.begin(), files.end(), [](const QFileInfo& a, const QFileInfo& b) {
        const QDateTime at = a.lastModified();
        const QDateTime bt = b.lastModified();
        return at != bt ? at > bt : a.fileName() > b.fileName();
    });
    std::vector<UnitHistoryWindow::SearchedFile> sources;
    for (const QFileInfo& file : files)
        sources.push_back({file.fileName(), file.filePath()});
    return sources;
}

bool holds(const GridModel& model, int row, const QStringList& cells)
{
    for (int c = 0; c < cells.size(); ++c)
        if (model.TextMatrix(row, c) != cells[c])
            return false;
    return row >= GridModel::FixedRows && row < model.Rows();
}

} // namespace

UnitHistory::UnitHistory(
    QWidget& window, FlexGrid& grid, Desktop& desktop, RegisterDocument& document, ShownEntries& shown)
    : window_(window)
    , grid_(grid)
    , desktop_(desktop)
    , document_(document)
    , shown_(shown)
{
}

void UnitHistory::run()
{
    QString word = grid_.Row() >= FlexGrid::FixedRows ? grid_.Text().trimmed() : QString();
    if (word.isEmpty())
        word = desktop_.inputBox(QStringLiteral("История ЭКЛЗ: найти записи, в которых есть слово:"), programTitle())
                   .trimmed();
    if (word.isEmpty())
        return;
    if (!results_) {
        results_ = new UnitHistoryWindow(&window_);
        connect(results_, &UnitHistoryWindow::chosen, this, &UnitHistory::open);
    }
    std::vector<UnitHistoryWindow::SearchedFile> sources {{QStringLiteral("текущий журнал"), QString()}};
    for (UnitHistoryWindow::SearchedFile& archive : archivesIn(document_.archiveFolder()))
        sources.push_back(std::move(archive));
    searchedRevision_ = grid_.model().revision();
    results_->setWindowTitle(QStringLiteral("История ЭКЛЗ"));
    results_->search(word, grid_.model().snapshot(), std::move(sources));
}

void UnitHistory::open(int source, const QString& path, int row, const QStringList& cells)
{
    GridModel& model = grid_.model();
    if (source == 0) {
        // The register may have changed since the search: the same entry
        // is looked for where it stood, then anywhere.
        int at = row;
        if (grid_.model().revision() != searchedRevision_ && !holds(model, row, cells)) {
            at = -1;
            for (int r = GridModel::FixedRows; r < model.Rows() && at < 0; ++r)
                if (holds(model, r, cells))
                    at = r;
        }
        if (at < 0) {
            desktop_.messageBox(QStringLiteral("Этой записи больше нет в таблице: её изменили или удалили после "
                                               "поиска. Запустите «История ЭКЛЗ…» снова."),
                programTitle());
            return;
        }
        makeCurrent(at);
        return;
    }
    if (document_.loadArchive(path))
        makeCurrent(row);
}

void UnitHistory::makeCurrent(int modelRow)
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
