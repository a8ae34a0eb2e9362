#pragma once

#include "app/unithistory/UnitHistoryTable.h"
#include "grid/GridSnapshot.h"

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
// goes on past them. Enter or a double click on a row chooses its entry.
class UnitHistoryWindow : public QWidget {
    Q_OBJECT
public:
    struct SearchedFile {
        QString name; // as the table shows it
        QString path; // empty: the register, searched in the snapshot
    };

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

private:
    struct Run;
    void progressed();
    void finished();
    void showProgress();

    UnitHistoryTable table_;
    QTableView* view_ = nullptr;
    QLabel* failures_ = nullptr;
    QThreadPool pool_;
    QTimer slow_;
    std::shared_ptr<Run> run_;
    std::vector<SearchedFile> sources_;
    QProgressDialog* progress_ = nullptr;
};
