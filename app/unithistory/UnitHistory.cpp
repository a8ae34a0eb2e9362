#include "app/unithistory/UnitHistory.h"

#include "app/desktop/Desktop.h"
#include "app/desktop/ProgramTitle.h"
#include "app/document/RegisterDocument.h"
#include "app/unithistory/UnitHistoryWindow.h"
#include "grid/FlexGrid.h"
#include "storage/ArchiveName.h"

#include <QWidget>

UnitHistory::UnitHistory(
    QWidget& window, FlexGrid& grid, Desktop& desktop, RegisterDocument& document, ShownEntries& shown)
    : window_(window)
    , grid_(grid)
    , desktop_(desktop)
    , document_(document)
    , opener_(window, grid, desktop, document, shown)
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
        connect(results_, &UnitHistoryWindow::chosen, this,
            [this](int, const QString& path, int row, const QStringList& cells) {
                if (opener_.open(path, row, cells, QStringLiteral("История ЭКЛЗ…")) && results_)
                    results_->close(); // the entry is shown; the list would stay behind the window
            });
    }
    std::vector<UnitHistoryWindow::SearchedFile> sources =
        ArchiveName::listed(document_.archiveFolder(), {{QStringLiteral("текущий журнал"), QString()}});
    results_->setWindowTitle(QStringLiteral("История ЭКЛЗ"));
    results_->search(word, grid_.model().snapshot(), std::move(sources));
}
