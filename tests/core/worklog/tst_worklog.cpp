#include "grid/GridModel.h"
#include "worklog/WorkLog.h"
#include "worklog/WorkLogFormat.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

namespace {

// Texts, shape, widths and alignments: all a log must bring back.
QStringList contents(const GridModel& grid)
{
    QStringList all;
    for (int c = 0; c < grid.Cols(); ++c)
        all << QStringLiteral("col %1: %2 %3").arg(c).arg(grid.ColWidth(c)).arg(int(grid.ColAlignment(c)));
    for (int r = 0; r < grid.Rows(); ++r)
        for (int c = 0; c < grid.Cols(); ++c)
            all << grid.TextMatrix(r, c);
    return all;
}

void fill(GridModel& grid)
{
    grid.setFormatString(
        QStringLiteral("^№ ЭКЛЗ|<Рег. №|<Дата акт.|<Дата блок.|<Модель ККМ|<№ ККМ|<Владелец"), QFont());
    grid.setRows(4);
    const char* owners[] = {"Петров", "Иванов", "Сидоров"};
    for (int r = 1; r < 4; ++r) {
        grid.setTextMatrix(r, 0, QString::number(r * 7 % 5));
        grid.setTextMatrix(r, 6, QString::fromUtf8(owners[r - 1]));
    }
}

// Bytes read as the program reads a log file, through a device.
std::optional<WorkLogFormat::Contents> readBack(QBuffer& device, QByteArrayView bytes)
{
    device.close();
    device.setData(bytes.toByteArray());
    device.open(QIODevice::ReadOnly);
    return WorkLogFormat::read(device);
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

using Change = std::function<void(GridModel&)>;

} // namespace

Q_DECLARE_METATYPE(Change)

class TestWorkLog : public QObject {
    Q_OBJECT
private slots:
    void changesReplayOnTheSnapshot_data();
    void changesReplayOnTheSnapshot();
    void longLogBeginsAgainWithNothingLost();
};

void TestWorkLog::changesReplayOnTheSnapshot_data()
{
    QTest::addColumn<Change>("change");
    QTest::newRow("text") << Change([](GridModel& g) { g.setTextMatrix(2, 3, QStringLiteral("01.03.2010")); });
    QTest::newRow("wide text") << Change(
        [](GridModel& g) { g.setTextMatrix(3, 6, QStringLiteral("ООО «Ромашка» 😀")); });
    QTest::newRow("add item") << Change([](GridModel& g) { g.AddItem(QStringLiteral("новая")); });
    QTest::newRow("remove item") << Change([](GridModel& g) { g.RemoveItem(2); });
    QTest::newRow("insert row") << Change([](GridModel& g) { g.insertRow(2, g.rowCells(3)); });
    QTest::newRow("row cells") << Change([](GridModel& g) { g.setRowCells(1, g.rowCells(3)); });
    QTest::newRow("move column") << Change([](GridModel& g) { g.setColPosition(6, 2); });
    QTest::newRow("columns") << Change([](GridModel& g) { g.setCols(3); });
    QTest::newRow("rows") << Change([](GridModel& g) { g.setRows(9); });
    QTest::newRow("sort") << Change([](GridModel& g) { g.sort(1, g.Rows() - 1, 0, 0); });
    QTest::newRow("format") << Change([](GridModel& g) { g.setFormatString(QStringLiteral("A|>B|^C|D|E|F|G|H"), {}); });
    QTest::newRow("width and alignment") << Change([](GridModel& g) {
        g.setColWidth(4, 777);
        g.setColAlignment(4, Qt::AlignRight);
    });
}

// Every kind of change, logged as a step, then read back from the file
// and replayed on the snapshot, at every length a kill could leave.
void TestWorkLog::changesReplayOnTheSnapshot()
{
    QFETCH(Change, change);
    QTemporaryDir folder;
    GridModel grid;
    fill(grid);
    const QStringList before = contents(grid);
    WorkLog log(grid, folder.path(), [] { return WorkLogFormat::Origin {}; });
    log.setRecording(true);
    grid.setTextMatrix(1, 6, QStringLiteral("первая правка")); // the log's first step
    log.stepEnded();
    log.flush();
    const QStringList afterFirst = contents(grid);
    change(grid);
    QVERIFY(contents(grid) != afterFirst);
    log.stepEnded();
    log.flush();

    const QByteArray bytes = fileBytes(log.path());
    QBuffer device;
    const std::optional<WorkLogFormat::Contents> whole = readBack(device, bytes);
    QVERIFY(whole);
    QCOMPARE(whole->steps, 2);
    GridModel rebuilt;
    QCOMPARE(WorkLogFormat::rebuild(*whole, device, rebuilt), std::optional<size_t>(2)); // one batch a step
    QCOMPARE(contents(rebuilt), contents(grid));

    // A whole frame whose change the grid refuses (a row that is not there)
    // is left out with everything after it, never applied in part.
    QByteArray refused;
    WorkLogFormat::appendChange(
        refused, {.kind = GridChange::Kind::SetText, .a = 1, .b = 6, .text = QStringLiteral("half")});
    WorkLogFormat::appendChange(refused, {.kind = GridChange::Kind::RemoveItem, .a = 999});
    const QByteArray spoilt = bytes + WorkLogFormat::frameHeader(WorkLogFormat::FrameKind::Changes, 1, 0, refused) +
                              refused + WorkLogFormat::frameHeader(WorkLogFormat::FrameKind::Changes, 1, 0, {});
    const std::optional<WorkLogFormat::Contents> withRefused = readBack(device, spoilt);
    QVERIFY(withRefused && withRefused->batches.size() == 4);
    GridModel beforeRefused;
    QCOMPARE(WorkLogFormat::rebuild(*withRefused, device, beforeRefused), std::optional<size_t>(2));
    QCOMPARE(contents(beforeRefused), contents(grid));

    // Logs of earlier versions hold the captions set from a format text as
    // one record (kind 9: its UTF-16 text after its length in bytes).
    const QString format = QStringLiteral(">Старый|^формат");
    QByteArray old(1, char(9));
    const quint32 formatBytes = quint32(format.size() * 2);
    old.append(reinterpret_cast<const char*>(&formatBytes), sizeof formatBytes);
    old.append(reinterpret_cast<const char*>(format.utf16()), formatBytes);
    const std::optional<WorkLogFormat::Contents> fromOld =
        readBack(device, bytes + WorkLogFormat::frameHeader(WorkLogFormat::FrameKind::Changes, 1, 0, old) + old);
    GridModel oldRebuilt;
    QVERIFY(fromOld && WorkLogFormat::rebuild(*fromOld, device, oldRebuilt) == std::optional<size_t>(3));
    QCOMPARE(oldRebuilt.TextMatrix(0, 0), QStringLiteral("Старый"));
    QCOMPARE(oldRebuilt.ColAlignment(1), Qt::AlignHCenter);

    // Cut anywhere: the snapshot and the whole steps before the cut.
    for (qsizetype length = 0; length < bytes.size(); ++length) {
        const std::optional<WorkLogFormat::Contents> cut = readBack(device, QByteArrayView(bytes).first(length));
        if (!cut)
            continue;
        GridModel partial;
        QVERIFY(WorkLogFormat::rebuild(*cut, device, partial));
        const QStringList got = contents(partial);
        QVERIFY2(got == before || got == afterFirst, qPrintable(QStringLiteral("cut at %1").arg(length)));
        QCOMPARE(cut->steps, got == before ? 0 : 1);
    }
    log.end();
    QVERIFY(QDir(folder.path()).entryList(QDir::Files).isEmpty());
}

// Sorts of every row, over and over: the log begins again from the
// grid instead of growing by every one, and keeps every step.
void TestWorkLog::longLogBeginsAgainWithNothingLost()
{
    QTemporaryDir folder;
    GridModel grid;
    fill(grid);
    grid.setRows(300);
    for (int r = 1; r < grid.Rows(); ++r)
        grid.setTextMatrix(r, 1, QString::number(r * 7919 % 300));
    constexpr qint64 restartAfter = 8 * 1024;
    WorkLog log(
        grid, folder.path(), [] { return WorkLogFormat::Origin {}; }, restartAfter);
    log.setRecording(true);
    qint64 longest = 0;
    for (int step = 0; step < 40; ++step) {
        grid.sort(1, grid.Rows() - 1, step % 2, step % 2);
        grid.setTextMatrix(1 + step, 6, QStringLiteral("шаг %1").arg(step));
        log.stepEnded();
        log.flush();
        longest = std::max(longest, QFileInfo(log.path()).size());
    }
    const qint64 snapshot = 300 * 40; // about what the grid's texts take
    QVERIFY2(longest < restartAfter + 2 * snapshot, qPrintable(QString::number(longest)));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 1);
    QFile file(log.path());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const std::optional<WorkLogFormat::Contents> read = WorkLogFormat::read(file);
    QVERIFY(read);
    QCOMPARE(read->steps, 40);
    GridModel rebuilt;
    QCOMPARE(WorkLogFormat::rebuild(*read, file, rebuilt), std::optional<size_t>(read->batches.size()));
    QCOMPARE(contents(rebuilt), contents(grid));
}

QTEST_MAIN(TestWorkLog)
#include "tst_worklog.moc"
