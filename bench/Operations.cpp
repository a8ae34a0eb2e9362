#include "Operations.h"

#include "BenchWindow.h"
#include "Floors.h"

#include "app/due/DueWindow.h"
#include "app/unithistory/UnitHistoryWindow.h"
#include "rules/BlockingDate.h"
#include "worklog/OrphanedWorkLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int ownerColumn = 6;
constexpr int kkmNumberColumn = 5;
constexpr int blockingColumn = 3;

double peakMegabytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double elapsedMs(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// The longest a window event waited while work ran: a timer asks to fire
// every 5 ms, and the widest gap between two firings, less those 5 ms, is the
// wait.
class EventWaitProbe {
public:
    EventWaitProbe()
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            worst_ = std::max(worst_, elapsedMs(sinceLast_) - 5.0);
            sinceLast_.restart();
        });
        sinceLast_.start();
        timer_.start();
    }
    double worstAfter() const { return std::max(worst_, elapsedMs(sinceLast_) - 5.0); }

private:
    QTimer timer_;
    QElapsedTimer sinceLast_;
    double worst_ = 0;
};

struct Stats {
    double median = 0, min = 0, max = 0;
};

Stats statsOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.front(), values.back()};
}

using Action = std::function<void(BenchWindow&)>;

// An owner typed into the input line and copied with "Ввод": one step.
void editCell(BenchWindow& w)
{
    static int edits = 0;
    w.window().grid().setRow(2);
    w.window().grid().setCol(ownerColumn);
    w.window().findChild<QLineEdit*>(QStringLiteral("TxtVvod"))->setText(QStringLiteral("Правка %1").arg(++edits));
    w.press("CmdEdit");
}

// Runs the window's events until sender sends signal, at most a minute.
template<typename Sender, typename Signal> void waitFor(Sender* sender, Signal signal)
{
    QEventLoop loop;
    QObject::connect(sender, signal, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, [] { qFatal("the signal never came"); });
    loop.exec();
}

// «История ЭКЛЗ…» on the second entry's serial number, over the register
// and twenty archives that are copies of it: from the key to the results in
// their window.
double timeHistory(BenchWindow& w)
{
    w.window().grid().setRow(2);
    w.window().grid().setCol(0);
    QElapsedTimer timer;
    timer.start();
    w.window().unitHistory().run();
    waitFor(w.window().unitHistory().results(), &UnitHistoryWindow::searched);
    const double ms = elapsedMs(timer);
    if (w.window().unitHistory().results()->table().rowCount() != 21)
        qFatal("the history did not find the entry in every file");
    return ms;
}

// "Сохранить изменения" after another desk saved: a hundred owners typed
// here and a hundred others there (a thousand each at a million entries),
// the other desk's written to the file untimed before each run; from the
// click to the joined register on disk.
double timeJoinedSave(BenchWindow& w)
{
    static int round = 0;
    ++round;
    GridModel& grid = w.window().grid().model();
    const int entries = grid.Rows() - 1;
    const int changes = entries >= 1000000 ? 1000 : 100;
    // The other desk's register is one a Palomet wrote: blocking dates derived.
    if (round == 1)
        w.press("CmdSave");
    const int step = entries / (2 * changes);
    const QString path = w.folder() + QStringLiteral("/thisyear.csv");
    // Theirs: owners of the odd entries of each pair, written line by line
    // so that the preparation adds nothing to the peak measured.
    QFile file(path);
    QSaveFile theirs(path);
    if (!file.open(QIODevice::ReadOnly) || !theirs.open(QIODevice::WriteOnly))
        qFatal("cannot rewrite the register");
    for (int line = 0, change = 0; !file.atEnd(); ++line) {
        QByteArray text = file.readLine();
        if (change < changes && line == 2 * change * step + step) {
            const qsizetype ownerEnd = text.lastIndexOf(';', text.size() - 3);
            const qsizetype ownerStart = text.lastIndexOf(';', ownerEnd - 1) + 1;
            text.replace(ownerStart, ownerEnd - ownerStart, "THEIRS" + QByteArray::number(round));
            ++change;
        }
        theirs.write(text);
    }
    // On disk, as the other desk's save leaves it: a new file in its place.
    if (!theirs.commit())
        qFatal("cannot write the other desk's register");
    for (int change = 0; change < changes; ++change)
        grid.setTextMatrix(1 + 2 * change * step, ownerColumn, QStringLiteral("MINE%1").arg(round));
    w.desktop().lastMessage.clear();
    QElapsedTimer timer;
    timer.start();
    w.press("CmdSave");
    const double ms = elapsedMs(timer);
    if (!w.desktop().lastMessage.contains(QStringLiteral("изменено %1,").arg(changes)))
        qFatal("the save did not join the other desk's: %s", qPrintable(w.desktop().lastMessage));
    return ms;
}

// «Сроки блокировки…» over the register and twenty archives that are copies
// of it: from the key to the list in its window.
double timeDue(BenchWindow& w)
{
    QElapsedTimer timer;
    timer.start();
    w.window().blockingDates().run();
    waitFor(w.window().blockingDates().list(), &DueWindow::listed);
    return elapsedMs(timer);
}

// The duplicate serial numbers counted over the loaded register, as a load
// sets off: from the start to the answers, by a counter of its own beside
// the window's (whose count ran with the load).
double timeDuplicateCount(BenchWindow& w)
{
    QElapsedTimer timer;
    timer.start();
    DuplicateSerials counter(w.window().grid().model());
    while (!counter.isCounted())
        waitFor(&counter, &DuplicateSerials::changed);
    const double ms = elapsedMs(timer);
    for (int row = 2; row < 10; ++row)
        if (counter.isDuplicate(row) != w.window().marks().duplicates().isDuplicate(row))
            qFatal("the two counts disagree");
    return ms;
}

// An entry given the serial number of the one below it through the input
// line and "Ввод", and its own again: the marks follow each edit.
void editSerial(BenchWindow& w)
{
    static int edits = 0;
    FlexGrid& grid = w.window().grid();
    static const QString own = grid.TextMatrix(2, 0);
    const QString serial = ++edits % 2 ? grid.TextMatrix(3, 0) : own;
    grid.setRow(2);
    grid.setCol(0);
    w.window().findChild<QLineEdit*>(QStringLiteral("TxtVvod"))->setText(serial);
    w.press("CmdEdit");
    if (w.window().marks().duplicates().isDuplicate(2) != (edits % 2 == 1))
        qFatal("the duplicate mark did not follow the edit");
}

// Every second entry marked as a duplicate serial number, and every fourth
// as an activation date that does not read.
void markEntries(FlexGrid& grid)
{
    for (int row = 2; row + 1 < grid.Rows(); row += 4) {
        grid.setTextMatrix(row, 0, grid.TextMatrix(row + 1, 0));
        grid.setTextMatrix(row + 2, 2, QStringLiteral("31.02.2024"));
    }
}

// Runs the window's events for a while: the log's batch is made then.
void settle()
{
    QEventLoop loop;
    QTimer::singleShot(400, &loop, &QEventLoop::quit);
    loop.exec();
}

// What a start after a crash does with the log of the window's work:
// finds it, reads it, and rebuilds the grid from it.
double timeRecovery(BenchWindow& w)
{
    editCell(w);
    w.window().workLog().flush();
    QTemporaryDir crashed; // the log as a killed program leaves it: unlocked
    QFile::copy(w.window().workLog().path(), crashed.filePath(QStringLiteral("work.worklog")));
    QElapsedTimer timer;
    timer.start();
    std::vector<OrphanedWorkLog> found = OrphanedWorkLog::findIn(crashed.path());
    GridModel grid;
    grid.setDateReader(&BlockingDate::dayNumber);
    if (found.size() != 1 || !found[0].rebuild(grid) || grid.Rows() != w.window().grid().Rows())
        qFatal("the log did not rebuild the grid");
    return elapsedMs(timer);
}

Action actionFor(const QString& operation, int entries)
{
    const QString lastSerial = QString::number(8710000000LL + entries - 1);
    const std::vector<std::pair<QString, Action>> actions = {
        {QStringLiteral("open"), [](BenchWindow& w) { w.press("CmdZagruz"); }},
        {QStringLiteral("click"), [](BenchWindow& w) { w.clickCell(2, ownerColumn); }},
        {QStringLiteral("save"), [](BenchWindow& w) { w.press("CmdSave"); }},
        {QStringLiteral("save as"), [](BenchWindow& w) { w.saveAs(QStringLiteral("bench")); }},
        {QStringLiteral("sort text"), [](BenchWindow& w) { w.releaseOverHeader(ownerColumn); }},
        {QStringLiteral("sort numeric"), [](BenchWindow& w) { w.releaseOverHeader(kkmNumberColumn); }},
        {QStringLiteral("sort date"), [](BenchWindow& w) { w.releaseOverHeader(blockingColumn); }},
        {QStringLiteral("search last"),
            [lastSerial](BenchWindow& w) {
                w.window().grid().setCol(0);
                w.searchFor(lastSerial);
            }},
        {QStringLiteral("print"), [](BenchWindow& w) { w.press("CmdPrint"); }},
        {QStringLiteral("pdf"), [](BenchWindow& w) { w.exportPdf(); }},
        // «Показать»: the blocked units, and the owners holding a word (a
        // sixth of the generated entries hold "Ромашка").
        {QStringLiteral("filter blocked"), [](BenchWindow& w) { w.show(QStringLiteral("Заблокированные")); }},
        {QStringLiteral("filter containing"),
            [](BenchWindow& w) {
                w.window().grid().setCol(ownerColumn);
                w.show(QStringLiteral("Содержащие…"), QStringLiteral("ромашка"));
            }},
        {QStringLiteral("delete row"),
            [](BenchWindow& w) {
                w.window().grid().setRow(2);
                w.press("CmdDelS");
            }},
        {QStringLiteral("edit serial"), editSerial},
        // What "Выход" and the close box look at: a counter against the saved one.
        {QStringLiteral("unsaved check"), [](BenchWindow& w) { w.window().mayLoseWork(); }},
        // The log's share of the window's thread: an edit while it runs,
        // the edit that begins it (a snapshot of the grid), and recording a
        // sort's permutation; the batch that follows is in the worst wait.
        {QStringLiteral("log edit"), editCell},
        {QStringLiteral("log first edit"), editCell},
        {QStringLiteral("log sort"),
            [](BenchWindow& w) {
                std::vector<quint32> order(size_t(w.window().grid().Rows() - 1));
                for (size_t i = 0; i < order.size(); ++i)
                    order[i] = quint32(order.size() - 1 - i);
                w.window().workLog().record({.kind = GridChange::Kind::PermuteRows, .a = 1, .order = &order});
                w.window().workLog().stepEnded();
            }},
    };
    for (const auto& [name, action] : actions)
        if (name == operation)
            return action;
    return {};
}

struct Floor {
    QString kind;
    double ms;
};

// The archives the history searches: copies of the register.
void archiveCopies(const QString& registerFile, const QString& folder, int count)
{
    QDir(folder).mkpath(QStringLiteral("Archive"));
    for (int year = 0; year < count; ++year)
        if (!QFile::copy(registerFile, QStringLiteral("%1/Archive/%2.csv").arg(folder).arg(2000 + year)))
            qFatal("cannot copy the archive");
}

Floor floorFor(const QString& operation, const QString& registerFile, const QString& folder)
{
    if (operation.startsWith(QLatin1String("save")) || operation == QLatin1String("print") ||
        operation == QLatin1String("pdf"))
        return {QStringLiteral("write"), Floors::write(registerFile, folder)};
    if (operation == QLatin1String("sort text"))
        return {QStringLiteral("sort"), Floors::sort(registerFile, ownerColumn)};
    if (operation == QLatin1String("sort numeric"))
        return {QStringLiteral("sort"), Floors::sort(registerFile, kkmNumberColumn)};
    if (operation == QLatin1String("sort date"))
        return {QStringLiteral("sort"), Floors::sort(registerFile, blockingColumn)};
    return {QStringLiteral("read"), Floors::read(registerFile)};
}

QString row(
    const QString& operation, int entries, const Stats& stats, double peakMb, const Floor& floor, double worstWait)
{
    const QString floorText =
        floor.ms > 0 ? floor.kind + u' ' + QString::number(floor.ms, 'f', 1) : QStringLiteral("—");
    return QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 | %7 | %8 | %9 |")
        .arg(operation)
        .arg(entries)
        .arg(stats.median, 0, 'f', 1)
        .arg(stats.min, 0, 'f', 1)
        .arg(stats.max, 0, 'f', 1)
        .arg(peakMb, 0, 'f', 0)
        .arg(floorText)
        .arg(floor.ms > 0 ? QString::number(stats.median / floor.ms, 'f', 1) : QStringLiteral("—"))
        .arg(worstWait >= 0 ? QString::number(worstWait, 'f', 1) : QStringLiteral("—"));
}

} // namespace

QList<BenchRow> benchRows()
{
    QList<BenchRow> rows;
    const QStringList everywhere = {QStringLiteral("open"), QStringLiteral("click"), QStringLiteral("save"),
        QStringLiteral("save as"), QStringLiteral("sort text"), QStringLiteral("sort numeric"),
        QStringLiteral("search last"), QStringLiteral("scroll")};
    for (const QString& operation : everywhere)
        for (int entries : {1000, 32766, 1000000})
            rows.append({operation, entries});
    rows.append({QStringLiteral("memory floor"), 32766});
    rows.append({QStringLiteral("memory floor"), 1000000});
    rows.append({QStringLiteral("print"), 1000});
    rows.append({QStringLiteral("print"), 32766});
    rows.append({QStringLiteral("pdf"), 32766});
    rows.append({QStringLiteral("history"), 32766});
    rows.append({QStringLiteral("due"), 32766});
    rows.append({QStringLiteral("save joined"), 32766});
    rows.append({QStringLiteral("save joined"), 1000000});
    for (const char* operation :
        {"filter blocked", "filter containing", "scroll filtered", "duplicates", "edit serial", "scroll marked"})
        rows.append({QString::fromLatin1(operation), 1000000});
    for (const char* operation : {"sort date", "delete row", "undo delete row", "undo sort text", "unsaved check",
             "log edit", "log first edit", "log sort", "recovery"})
        for (int entries : {32766, 1000000})
            rows.append({QString::fromLatin1(operation), entries});
    return rows;
}

QString tableHeader()
{
    return QStringLiteral("| operation | entries | median ms | min ms | max ms | peak MB | floor ms "
                          "| × floor | worst event wait ms |\n"
                          "|---|---:|---:|---:|---:|---:|---|---:|---:|");
}

QString measure(const QString& operation, const QString& registerFile, int entries, int runs)
{
    if (operation == QLatin1String("memory floor")) {
        // What no grid of these entries can do without: the file's bytes, and
        // for every row its place in the grid's table (8 bytes) and its height
        // (4). Qt and the window come on top.
        const double bytes = double(QFileInfo(registerFile).size()) + double(entries + 1) * 12;
        return QStringLiteral("| %1 | %2 | — | — | — | %3 | — | — | — |")
            .arg(operation)
            .arg(entries)
            .arg(bytes / (1024 * 1024), 0, 'f', 0);
    }
    BenchWindow window(registerFile);
    if (operation.startsWith(QLatin1String("scroll"))) {
        // Every screen is one frame; the figures are frame times.
        if (operation == QLatin1String("scroll filtered")) {
            window.window().grid().setCol(ownerColumn);
            window.show(QStringLiteral("Содержащие…"), QStringLiteral("ромашка"));
        }
        if (operation == QLatin1String("scroll marked"))
            markEntries(window.window().grid());
        std::vector<double> frames;
        for (int run = 0; run < runs; ++run)
            window.scrollThrough([&](double ms) { frames.push_back(ms); });
        return row(operation, entries, statsOf(frames), peakMegabytes(), Floor {QString(), 0}, -1);
    }
    const std::vector<std::pair<QString, std::function<double(BenchWindow&)>>> timed = {
        {QStringLiteral("recovery"), timeRecovery},
        {QStringLiteral("history"), timeHistory},
        {QStringLiteral("due"), timeDue},
        {QStringLiteral("duplicates"), timeDuplicateCount},
        {QStringLiteral("save joined"), timeJoinedSave},
    };
    for (const auto& [name, time] : timed) {
        if (name != operation)
            continue;
        if (operation == QLatin1String("history") || operation == QLatin1String("due"))
            archiveCopies(registerFile, window.folder(), 20);
        std::vector<double> times;
        double worstWait = 0;
        for (int run = 0; run < runs; ++run) {
            EventWaitProbe probe;
            times.push_back(time(window));
            worstWait = std::max(worstWait, probe.worstAfter());
        }
        const double peakMb = peakMegabytes(); // before the floor's work adds to it
        return row(operation, entries, statsOf(times), peakMb, floorFor(operation, registerFile, window.folder()),
            name == u"recovery" ? -1 : worstWait);
    }
    // "undo X" times the undo of X, X itself done untimed before each run.
    const bool undo = operation.startsWith(QLatin1String("undo "));
    const Action action = actionFor(undo ? operation.mid(5) : operation, entries);
    if (!action)
        return {};
    std::vector<double> times;
    double worstWait = 0;
    for (int run = 0; run < runs; ++run) {
        if (undo) {
            action(window);
            window.window().CommitCellEdit();
        }
        // A log already running, or one to begin.
        if (operation == QLatin1String("log edit") && run == 0)
            editCell(window);
        if (operation == QLatin1String("log first edit"))
            window.window().workLog().end();
        EventWaitProbe probe;
        QElapsedTimer timer;
        timer.start();
        if (undo)
            window.window().undoStack().undo();
        else
            action(window);
        times.push_back(elapsedMs(timer));
        if (operation.startsWith(QLatin1String("log")))
            settle();
        worstWait = std::max(worstWait, probe.worstAfter());
        QCoreApplication::processEvents();
    }
    // The operation's own peak, before the floor's work adds to it.
    const double peakMb = peakMegabytes();
    return row(
        operation, entries, statsOf(times), peakMb, floorFor(operation, registerFile, window.folder()), worstWait);
}
