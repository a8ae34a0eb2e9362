#include "app/due/DueWindow.h"

#include "app/due/DueChart.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QString dayText(QDate day)
{
    return day.toString(QStringLiteral("dd.MM.yyyy"));
}

QString monthName(QDate first)
{
    return QLocale(QLocale::Russian).standaloneMonthName(first.month()) + QStringLiteral(" %1").arg(first.year());
}

} // namespace

struct DueWindow::Run {
    GridSnapshot grid;
    DueColumns columns;
    std::vector<DueList::Source> sources;
    QDate today;
    QDate from;
    QDate to;
    std::atomic<bool> stop = false;
    DueList::Result result;
};

DueWindow::DueWindow(QWidget* owner)
    : QWidget(owner, Qt::Window)
{
    setWindowTitle(QStringLiteral("Сроки блокировки"));
    chart_ = new DueChart(this);
    period_ = new QComboBox(this);
    period_->setAccessibleName(QStringLiteral("Период"));
    replaced_ = new QCheckBox(QStringLiteral("Показать заменённые"), this);
    heading_ = new QLabel(this);
    heading_->setWordWrap(true);
    view_ = new QTableView(this);
    view_->setModel(&table_);
    view_->setAccessibleName(QStringLiteral("Сроки блокировки"));
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->horizontalHeader()->setStretchLastSection(true);
    heading_->setBuddy(view_);
    below_ = new QLabel(this);
    below_->setWordWrap(true);
    below_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    auto* print = new QPushButton(QStringLiteral("Печать"), this);
    auto* pdf = new QPushButton(QStringLiteral("Сохранить в PDF…"), this);
    auto* close = new QPushButton(QStringLiteral("Закрыть"), this);

    auto* choices = new QHBoxLayout;
    auto* periodLabel = new QLabel(QStringLiteral("&Период:"), this);
    periodLabel->setBuddy(period_);
    choices->addWidget(periodLabel);
    choices->addWidget(period_, 1);
    choices->addWidget(replaced_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(print);
    buttons->addWidget(pdf);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(chart_, 2);
    layout->addLayout(choices);
    layout->addWidget(heading_);
    layout->addWidget(view_, 3);
    layout->addWidget(below_);
    layout->addLayout(buttons);
    resize(1000, 700);

    connect(view_, &QTableView::activated, this, [this](const QModelIndex& index) {
        const DueList::Entry& entry = table_.entryAt(index.row());
        emit chosen(sources_[size_t(entry.source)].path, entry.row, entry.cells);
    });
    connect(chart_, &DueChart::monthClicked, this, [this](int month) { choosePeriod(month + 1); });
    connect(period_, &QComboBox::currentIndexChanged, this, &DueWindow::showPeriod);
    connect(replaced_, &QCheckBox::toggled, this, &DueWindow::showPeriod);
    connect(print, &QPushButton::clicked, this, &DueWindow::printWanted);
    connect(pdf, &QPushButton::clicked, this, &DueWindow::pdfWanted);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
}

DueWindow::~DueWindow()
{
    if (run_)
        run_->stop = true;
    pool_.waitForDone();
}

void DueWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        QWidget::keyPressEvent(event);
}

std::vector<QDate> DueWindow::months() const
{
    const QDate first = QDate(today_.year(), today_.month(), 1).addMonths(-monthsBack);
    std::vector<QDate> firsts;
    for (int i = 0; i <= monthsBack + monthsAhead; ++i)
        firsts.push_back(first.addMonths(i));
    return firsts;
}

void DueWindow::read(GridSnapshot grid, DueColumns columns, std::vector<DueList::Source> sources, QDate today)
{
    // A read still running is left to end on its own; it is never shown.
    if (run_)
        run_->stop = true;
    run_ = std::make_shared<Run>();
    run_->grid = std::move(grid);
    run_->columns = columns;
    run_->sources = std::move(sources);
    run_->today = today;
    const QDate thisMonth(today.year(), today.month(), 1);
    run_->from = std::min(today.addDays(-soonDays), thisMonth.addMonths(-monthsBack));
    run_->to = std::max(today.addDays(soonDays), thisMonth.addMonths(monthsAhead + 1).addDays(-1));
    heading_->setText(QStringLiteral("Чтение журнала и архивов…"));
    pool_.start([this, run = run_] {
        run->result = DueList::make(run->sources, run->grid, run->columns, run->from, run->to, &run->stop);
        run->grid = {};
        // The window waits for the task before it goes, so it is there to take it.
        QMetaObject::invokeMethod(
            this, [this, run] { finished(run); }, Qt::QueuedConnection);
    });
}

void DueWindow::waitForRead()
{
    pool_.waitForDone();
    QCoreApplication::sendPostedEvents(this);
}

void DueWindow::finished(const std::shared_ptr<Run>& run)
{
    if (run != run_)
        return; // a read another one replaced
    run_.reset();
    today_ = run->today;
    sources_ = std::move(run->sources);
    result_ = std::move(run->result);
    const std::vector<QDate> firsts = months();
    std::vector<int> counts(firsts.size(), 0);
    for (const DueList::Entry& entry : result_.entries) {
        const QDate first(entry.blocking.year(), entry.blocking.month(), 1);
        const auto at = std::find(firsts.begin(), firsts.end(), first);
        if (!entry.replaced && at != firsts.end())
            ++counts[size_t(at - firsts.begin())];
    }
    chart_->setMonths(firsts, counts, monthsBack);
    const QSignalBlocker quiet(period_);
    period_->clear();
    period_->addItem(QStringLiteral("последние и следующие %1 дней").arg(soonDays));
    for (size_t i = 0; i < firsts.size(); ++i)
        period_->addItem(QStringLiteral("%1 — %2").arg(monthName(firsts[i])).arg(counts[i]));
    period_->setCurrentIndex(0);
    showPeriod();
    show();
    raise();
    activateWindow();
    view_->setFocus();
    emit listed();
}

void DueWindow::choosePeriod(int index)
{
    period_->setCurrentIndex(index); // shown by its signal
}

void DueWindow::showPeriod()
{
    const int index = period_->currentIndex();
    QDate from = today_.addDays(-soonDays);
    QDate to = today_.addDays(soonDays);
    if (index > 0) {
        from = months()[size_t(index - 1)];
        to = from.addMonths(1).addDays(-1);
    }
    std::vector<DueList::Entry> shown;
    int replaced = 0;
    for (const DueList::Entry& entry : result_.entries) {
        if (entry.blocking < from || entry.blocking > to)
            continue;
        replaced += entry.replaced ? 1 : 0;
        if (!entry.replaced || replaced_->isChecked())
            shown.push_back(entry);
    }
    const int units = int(shown.size());
    QStringList names;
    for (const DueList::Source& source : sources_)
        names << source.name;
    table_.setEntries(names, std::move(shown), today_);
    view_->resizeColumnsToContents();
    if (table_.rowCount() > 0)
        view_->selectRow(0);

    const QString period = QStringLiteral("с %1 по %2").arg(dayText(from), dayText(to));
    heading_->setText(
        index == 0
            ? QStringLiteral("Заблокированы за последние %1 дней или блокируются в следующие %1 "
                             "дней (%2): ЭКЛЗ — %3.")
                  .arg(soonDays)
                  .arg(period)
                  .arg(units)
            : QStringLiteral("Блокируются в месяце «%1» (%2): ЭКЛЗ — %3.").arg(monthName(from), period).arg(units));
    QStringList notes;
    if (replaced > 0)
        notes << (replaced_->isChecked()
                      ? QStringLiteral("Заменённые ЭКЛЗ отмечены: %1 (в ту же ККМ позже поставлена другая ЭКЛЗ).")
                      : QStringLiteral("Не показаны заменённые ЭКЛЗ: %1 (в ту же ККМ позже поставлена другая ЭКЛЗ)."))
                     .arg(replaced);
    QStringList unread;
    QStringList undated;
    for (size_t i = 0; i < sources_.size(); ++i) {
        const QString reason = RegisterReader::whyUnread(result_.sources[i].status);
        if (!reason.isEmpty())
            unread << QStringLiteral("«%1»: %2").arg(sources_[i].name, reason);
        if (const int count = result_.sources[i].undated)
            undated << QStringLiteral("«%1» — %2").arg(sources_[i].name).arg(count);
    }
    if (!unread.isEmpty())
        notes << QStringLiteral("Не прочитаны: %1.").arg(unread.join(QStringLiteral("; ")));
    if (!undated.isEmpty())
        notes << QStringLiteral("Записи, в которых дата активации не читается как дата (их срок не известен): %1.")
                     .arg(undated.join(QStringLiteral("; ")));
    below_->setText(notes.join(u' '));
    below_->setVisible(!notes.isEmpty());
}

QString DueWindow::heading() const
{
    return heading_->text();
}

QString DueWindow::below() const
{
    return below_->text();
}

TablePrinter::Table DueWindow::printed() const
{
    TablePrinter::Table table {
        QStringLiteral("Сроки блокировки на %1").arg(dayText(today_)), heading(), DueTable::headers(), {}};
    for (int row = 0; row < table_.rowCount(); ++row)
        table.rows.push_back(table_.texts(row));
    return table;
}
