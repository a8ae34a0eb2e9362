#pragma once

#include "app/unithistory/UnitHistoryTable.h"
#include "grid/GridSnapshot.h"
#include "storage/ArchiveName.h"

#include <QThreadPool>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <memory>

class QLabel;
class QProgressDialog;
class QTableView;

// The window «История ЭКЛЗ»: every entry holding a word, in the register and
// in the archives, read off the window's thread, one file to a task; a
// search longer than a second shows its progress with «Отмена». Files that
// cannot be read are named below the table, with the reason; the search
// goes on past them. A line above the table says the word searched for and
// what was found. Enter or a double click on a row chooses its entry;
// Escape closes the window. A search started while another runs takes its
// place: the results shown, and the rows chosen from them, are always those
// of one finished search.
class UnitHistoryWindow : public QWidget {
    Q_OBJECT
public:
    // A file searched; an empty path stands for the register, searched in the snapshot.
    using SearchedFile = ArchiveName::ListedFile;

    explicit UnitHistoryWindow(QWidget* owner);
    ~UnitHistoryWindow() override;

    // The register first, then sources, in that order.
    void search(const QString& word, GridSnapshot snapshot, std::vector<SearchedFile> sources);
    void waitForSearch();
    const UnitHistoryTable& table() const { return table_; }
    QString failures() const;

signals:
    // source 0 is the register; row its row, or the archive's line.
    void chosen(int source, const QString& path, int row, const QStringList& cells);
    // The results are in the table.
    void searched();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Run;
    void progressed(const std::shared_ptr<Run>& run);
    void finished(const std::shared_ptr<Run>& run);
    void showProgress();
    void closeProgress();

    UnitHistoryTable table_;
    QTableView* view_ = nullptr;
    QLabel* heading_ = nullptr;
    QLabel* failures_ = nullptr;
    QThreadPool pool_;
    QTimer slow_;
    std::shared_ptr<Run> run_;
    std::vector<SearchedFile> shownSources_; // of the results in the table
    QProgressDialog* progress_ = nullptr;
};
