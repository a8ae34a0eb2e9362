#include "app/unithistory/UnitHistoryWindow.h"
#include "app/desktop/ProgramTitle.h"

#include "storage/HistorySearch.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QProgressDialog>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr size_t hitsShown = HistorySearch::hitsKept;

QString reasonFor(RegisterReader::Status status)
{
    switch (status) {
    case RegisterReader::Status::Unreadable:
        return QStringLiteral("нет прав на чтение файла");
    case RegisterReader::Status::NotRegularFile:
        return QStringLiteral("это не обычный файл, а канал, сокет или устройство");
    case RegisterReader::Status::LineTooLong:
        return QStringLiteral("в нём строка длиннее 32 766 знаков; строки до неё просмотрены");
    case RegisterReader::Status::ReadFailed:
        return QStringLiteral("ошибка чтения; строки до неё просмотрены");
    case RegisterReader::Status::CannotOpen:
        return QStringLiteral("файл не открывается");
    case RegisterReader::Status::Ok:
    case RegisterReader::Status::TooManyRows:
        break;
    }
    return {};
}

} // namespace

struct UnitHistoryWindow::Run {
    std::atomic<bool> cancelled = false;
    std::atomic<int> left = 0;
    std::vector<HistorySearch::Found> found;
    GridSnapshot snapshot;
};

UnitHistoryWindow::UnitHistoryWindow(QWidget* owner)
    : QWidget(owner, Qt::Window)
{
    setWindowTitle(QStringLiteral("История ЭКЛЗ"));
    view_ = new QTableView(this);
    view_->setModel(&table_);
    view_->setAccessibleName(QStringLiteral("История ЭКЛЗ"));
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->horizontalHeader()->setStretchLastSection(true);
    failures_ = new QLabel(this);
    failures_->setWordWrap(true);
    failures_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_);
    layout->addWidget(failures_);
    resize(900, 400);
    connect(view_, &QTableView::activated, this, [this](const QModelIndex& index) {
        const UnitHistoryTable::Row& row = table_.rowAt(index.row());
        emit chosen(row.source, sources_[size_t(row.source)].path, row.hit.row, row.hit.cells);
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

QString UnitHistoryWindow::failures() const
{
    return failures_->text();
}

void UnitHistoryWindow::search(const QString& word, GridSnapshot snapshot, std::vector<SearchedFile> sources)
{
    if (run_)
        run_->cancelled = true;
    pool_.waitForDone();
    sources_ = std::move(sources);
    run_ = std::make_shared<Run>();
    run_->snapshot = std::move(snapshot);
    run_->found.resize(sources_.size());
    run_->left = int(sources_.size());
    for (size_t i = 0; i < sources_.size(); ++i) {
        pool_.start([this, run = run_, i, word, path = sources_[i].path] {
            run->found[i] = path.isEmpty() ? HistorySearch::inRegister(run->snapshot, word, run->cancelled)
                                           : HistorySearch::inFile(path, word, run->cancelled);
            const bool last = --run->left == 0;
            // Handed to the window's thread; the window waits for every task
            // before it goes, so it is there to take them.
            QMetaObject::invokeMethod(
                this, last ? &UnitHistoryWindow::finished : &UnitHistoryWindow::progressed, Qt::QueuedConnection);
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
    progress_ = new QProgressDialog(QString(), QStringLiteral("Отмена"), 0, int(sources_.size()), parentWidget());
    progress_->setWindowTitle(programTitle());
    progress_->setMinimumDuration(0);
    progress_->setAttribute(Qt::WA_DeleteOnClose);
    connect(progress_, &QProgressDialog::canceled, this, [run = run_] { run->cancelled = true; });
    progressed();
    progress_->show();
}

void UnitHistoryWindow::progressed()
{
    if (!progress_ || !run_)
        return;
    const int done = int(sources_.size()) - run_->left;
    progress_->setLabelText(QStringLiteral("История ЭКЛЗ: просмотрено файлов %1 из %2").arg(done).arg(sources_.size()));
    progress_->setValue(done);
}

void UnitHistoryWindow::finished()
{
    slow_.stop();
    if (progress_)
        progress_->close();
    progress_ = nullptr;
    std::vector<UnitHistoryTable::Row> rows;
    QStringList names;
    QStringList unread;
    for (size_t i = 0; i < sources_.size(); ++i) {
        names << sources_[i].name;
        const HistorySearch::Found& found = run_->found[i];
        for (const HistorySearch::Hit& hit : found.hits)
            if (rows.size() < hitsShown)
                rows.push_back({int(i), hit});
        const QString reason = reasonFor(found.status);
        if (!reason.isEmpty())
            unread << QStringLiteral("«%1»: %2").arg(sources_[i].name, reason);
    }
    QString below;
    if (!unread.isEmpty())
        below = QStringLiteral("Не прочитаны: %1.").arg(unread.join(QStringLiteral("; ")));
    if (run_->cancelled)
        below += (below.isEmpty() ? QString() : QStringLiteral(" ")) +
                 QStringLiteral("Поиск отменён: показано найденное до отмены.");
    const bool truncated = std::any_of(
        run_->found.begin(), run_->found.end(), [](const HistorySearch::Found& found) { return found.truncated; });
    if (rows.size() == hitsShown || truncated)
        below += (below.isEmpty() ? QString() : QStringLiteral(" ")) +
                 QStringLiteral("Показаны не все записи: в файле их больше %1.").arg(hitsShown);
    if (rows.empty() && below.isEmpty())
        below = QStringLiteral("Ничего не найдено.");
    failures_->setText(below);
    failures_->setVisible(!below.isEmpty());
    table_.setRows(names, std::move(rows));
    view_->resizeColumnsToContents();
    run_->snapshot = {};
    show();
    raise();
    activateWindow();
    view_->setFocus();
    if (table_.rowCount() > 0)
        view_->selectRow(0);
    emit searched();
}
