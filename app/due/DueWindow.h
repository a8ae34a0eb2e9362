#pragma once

#include "app/due/DueTable.h"
#include "due/DueList.h"
#include "ui/TablePrinter.h"

#include <QThreadPool>
#include <QWidget>
#include <memory>

class DueChart;
class QCheckBox;
class QComboBox;
class QLabel;
class QTableView;

// The window «Сроки блокировки»: the units blocked or blocking across the
// register and every archive, read off the window's thread. A chart of the
// months from three back to twelve ahead, a box choosing the period listed
// (the last and the next 30 days first, then each month; a click on a bar
// chooses its month), «Показать заменённые», the list, and below it what
// was left out and why: replaced units, files not read, dates that do not
// read. A line above the list says what it lists. Enter or a double click
// chooses an entry; Escape closes the window.
class DueWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int soonDays = 30;
    static constexpr int monthsBack = 3;
    static constexpr int monthsAhead = 12;

    explicit DueWindow(QWidget* owner);
    ~DueWindow() override;

    // The grid first among the sources, with its columns where they stand.
    void read(GridSnapshot grid, DueColumns columns, std::vector<DueList::Source> sources, QDate today);
    void waitForRead();
    // 0: the last and the next 30 days; 1 on: the months of the chart.
    void choosePeriod(int index);

    const DueTable& table() const { return table_; }
    QString heading() const;
    QString below() const;
    // The list as shown, for printing.
    TablePrinter::Table printed() const;

signals:
    void chosen(const QString& path, int row, const QStringList& cells);
    void printWanted();
    void pdfWanted();
    // The list is shown.
    void listed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Run;
    void finished(const std::shared_ptr<Run>& run);
    void showPeriod();
    // The months of the chart, each as its first day.
    std::vector<QDate> months() const;

    DueTable table_;
    DueChart* chart_ = nullptr;
    QComboBox* period_ = nullptr;
    QCheckBox* replaced_ = nullptr;
    QLabel* heading_ = nullptr;
    QTableView* view_ = nullptr;
    QLabel* below_ = nullptr;
    QThreadPool pool_;
    std::shared_ptr<Run> run_;
    std::vector<DueList::Source> sources_; // of the list shown
    DueList::Result result_;
    QDate today_;
};
