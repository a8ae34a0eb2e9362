#include "app/unithistory/UnitHistoryWindow.h"
#include "app/desktop/ProgramTitle.h"

#include "storage/HistorySearch.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressDialog>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr size_t hitsShown = HistorySearch::hitsKept;

} // namespace

struct UnitHistoryWindow::Run {
    QString word;
    std::vector<SearchedFile> sources;
    GridSnapshot snapshot;
    std::vector<HistorySearch::Found> found; // one to a source, each written by its task
    std::atomic<bool> cancelled = false;
    std::atomic<int> left = 0;
    bool cancelledByUser = false; // «Отмена» pressed; read and written on the window's thread
};

UnitHistoryWindow::UnitHistoryWindow(QWidget* owner)
    : QWidget(owner, Qt::Window)
{
    setWindowTitle(QStringLiteral("История ЭКЛЗ"));
    heading_ = new QLabel(this);
    heading_->setWordWrap(true);
    view_ = new QTableView(this);
    view_->setModel(&table_);
    view_->setAccessibleName(QStringLiteral("История ЭКЛЗ"));
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->horizontalHeader()->setStretchLastSection(true);
    heading_->setBuddy(view_);
    failures_ = new QLabel(this);
    failures_->setWordWrap(true);
    failures_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addWidget(view_);
    layout->addWidget(failures_);
    resize(900, 400);
    connect(view_, &QTableView::activated, this, [this](const QModelIndex& index) {
        const UnitHistoryTable::Row& row = table_.rowAt(index.row());
        emit chosen(row.source, shownSources_[size_t(row.source)].path, row.hit.row, row.hit.cells);
    });
    slow_.setSingleShot(true);
    slow_.setInterval(1000);
    connect(&slow_, &QTimer::timeout, this, &UnitHistoryWindow::showProgress);
}

UnitHistoryWindow::~UnitHistoryWindow()
{
    if (run_)
        run_->cancelled = true;
    pool_.waitForDone();
}

void UnitHistoryWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        QWidget::keyPressEvent(event);
}

QString UnitHistoryWindow::failures() const
{
    return failures_->text();
}

void UnitHistoryWindow::search(const QString& word, GridSnapshot snapshot, std::vector<SearchedFile> sources)
{
    // A search still running is left to end on its own: its tasks hold what
    // they read, and what they find is never shown.
    if (run_)
        run_->cancelled = true;
    closeProgress();
    run_ = std::make_shared<Run>();
    run_->word = word;
    run_->sources = std::move(sources);
    run_->snapshot = std::move(snapshot);
    run_->found.resize(run_->sources.size());
    run_->left = int(run_->sources.size());
    heading_->setText(QStringLiteral("Поиск записей со словом «%1»…").arg(word));
    for (size_t i = 0; i < run_->sources.size(); ++i) {
        pool_.start([this, run = run_, i] {
            const QString& path = run->sources[i].path;
            run->found[i] = path.isEmpty() ? HistorySearch::inRegister(run->snapshot, run->word, run->cancelled)
                                           : HistorySearch::inFile(path, run->word, run->cancelled);
            const bool last = --run->left == 0;
            // Handed to the window's thread; the window waits for every task
            // before it goes, so it is there to take them.
            QMetaObject::invokeMethod(
                this, [this, run, last] { last ? finished(run) : progressed(run); }, Qt::QueuedConnection);
        });
    }
    slow_.start();
}

void UnitHistoryWindow::waitForSearch()
{
    pool_.waitForDone();
    QCoreApplication::sendPostedEvents(this);
}

void UnitHistoryWindow::showProgress()
{
    if (!run_ || run_->left == 0)
        return;
    progress_ = new QProgressDialog(QString(), QStringLiteral("Отмена"), 0, int(run_->sources.size()), parentWidget());
    progress_->setWindowTitle(programTitle());
    progress_->setMinimumDuration(0);
    progress_->setAttribute(Qt::WA_DeleteOnClose);
    connect(progress_, &QProgressDialog::canceled, this, [run = run_] {
        run->cancelledByUser = true;
        run->cancelled = true;
    });
    progressed(run_);
    progress_->show();
}

void UnitHistoryWindow::closeProgress()
{
    slow_.stop();
    if (!progress_)
        return;
    // Closing the dialog says «canceled» too: that is not the user's.
    progress_->disconnect(this);
    progress_->close();
    progress_ = nullptr;
}

void UnitHistoryWindow::progressed(const std::shared_ptr<Run>& run)
{
    if (!progress_ || run != run_)
        return;
    const int files = int(run->sources.size());
    const int done = files - run->left;
    progress_->setLabelText(QStringLiteral("История ЭКЛЗ: просмотрено файлов %1 из %2").arg(done).arg(files));
    progress_->setValue(done);
}

void UnitHistoryWindow::finished(const std::shared_ptr<Run>& run)
{
    if (run != run_)
        return; // a search another one replaced
    closeProgress();
    std::vector<UnitHistoryTable::Row> rows;
    QStringList names;
    QStringList unread;
    bool stopped = false;
    for (size_t i = 0; i < run->sources.size(); ++i) {
        names << run->sources[i].name;
        const HistorySearch::Found& found = run->found[i];
        for (const HistorySearch::Hit& hit : found.hits)
            if (rows.size() < hitsShown)
                rows.push_back({int(i), hit});
        stopped = stopped || found.status == RegisterReader::Status::Stopped;
        const QString reason = RegisterReader::whyUnread(found.status);
        if (!reason.isEmpty())
            unread << QStringLiteral("«%1»: %2").arg(run->sources[i].name, reason);
    }
    QStringList below;
    if (!unread.isEmpty())
        below << QStringLiteral("Не прочитаны: %1.").arg(unread.join(QStringLiteral("; ")));
    if (run->cancelledByUser && stopped)
        below << QStringLiteral("Поиск отменён: показано найденное до отмены.");
    const bool truncated = std::any_of(
        run->found.begin(), run->found.end(), [](const HistorySearch::Found& found) { return found.truncated; });
    if (rows.size() == hitsShown || truncated)
        below << QStringLiteral("Показаны не все записи: в файле их больше %1.").arg(hitsShown);
    if (rows.empty() && below.isEmpty())
        below << QStringLiteral("Ничего не найдено.");
    heading_->setText(QStringLiteral("Записи со словом «%1»: найдено %2, просмотрено файлов: %3.")
                          .arg(run->word)
                          .arg(rows.size())
                          .arg(run->sources.size()));
    failures_->setText(below.join(u' '));
    failures_->setVisible(!below.isEmpty());
    shownSources_ = std::move(run->sources);
    table_.setRows(names, std::move(rows));
    view_->resizeColumnsToContents();
    run_.reset();
    show();
    raise();
    activateWindow();
    view_->setFocus();
    if (table_.rowCount() > 0)
        view_->selectRow(0);
    emit searched();
}
