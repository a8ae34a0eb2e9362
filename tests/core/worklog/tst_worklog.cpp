#include "grid/FlexGrid.h"
#include "worklog/WorkLog.h"
#include "worklog/WorkLogFormat.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Texts, shape, widths and alignments: all a log must bring back.
QStringList contents(const FlexGrid& grid)
{
    QStringList all;
    for (int c = 0; c < grid.Cols(); ++c)
        all << QStringLiteral("col %1: %2 %3").arg(c).arg(grid.ColWidth(c)).arg(int(grid.ColAlignment(c)));
    for (int r = 0; r < grid.Rows(); ++r)
        for (int c = 0; c < grid.Cols(); ++c)
            all << grid.TextMatrix(r, c);
    return all;
}

void fill(FlexGrid& grid)
{
    grid.setFormatString(QStringLiteral("^№ ЭКЛЗ|<Рег. №|<Дата акт.|<Дата блок.|<Модель ККМ|<№ ККМ|<Владелец"));
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

} // namespace

class TestWorkLog : public QObject {
    Q_OBJECT
private slots:
    void changesReplayOnTheSnapshot_data();
    void changesReplayOnTheSnapshot();
    void longLogBeginsAgainWithNothingLost();
};

void TestWorkLog::changesReplayOnTheSnapshot_data()
{
    QTest::addColumn<QString>("change");
    for (const char* change : {"text", "wide text", "add item", "remove item", "insert row", "row cells", "move column",
             "columns", "rows", "sort", "format", "width and alignment"})
        QTest::newRow(change) << QString::fromLatin1(change);
}

// Every kind of change, logged as a step, then read back from the file
// and replayed on the snapshot, at every length a kill could leave.
void TestWorkLog::changesReplayOnTheSnapshot()
{
    QFETCH(QString, change);
    QTemporaryDir folder;
    FlexGrid grid;
    fill(grid);
    const QStringList before = contents(grid);
    WorkLog log(grid.model(), folder.path(), [] { return WorkLogFormat::Origin {}; });
    log.setRecording(true);
    grid.setTextMatrix(1, 6, QStringLiteral("первая правка")); // the log's first step
    log.stepEnded();
    log.flush();
    const QStringList afterFirst = contents(grid);
    if (change == u"text")
        grid.setTextMatrix(2, 3, QStringLiteral("01.03.2010"));
    else if (change == u"wide text")
        grid.setTextMatrix(3, 6, QStringLiteral("ООО «Ромашка» 😀"));
    else if (change == u"add item")
        grid.AddItem(QStringLiteral("новая"));
    else if (change == u"remove item")
        grid.RemoveItem(2);
    else if (change == u"insert row")
        grid.insertRow(2, grid.rowCells(3));
    else if (change == u"row cells")
        grid.setRowCells(1, grid.rowCells(3));
    else if (change == u"move column")
        grid.setColPosition(6, 2);
    else if (change == u"columns")
        grid.setCols(3);
    else if (change == u"rows")
        grid.setRows(9);
    else if (change == u"sort")
        grid.setSort(1);
    else if (change == u"format")
        grid.setFormatString(QStringLiteral("A|>B|^C|D|E|F|G|H"));
    else if (change == u"width and alignment") {
        grid.setColWidth(4, 777);
        grid.setColAlignment(4, Qt::AlignRight);
    }
    QVERIFY(contents(grid) != afterFirst);
    log.stepEnded();
    log.flush();

    const QByteArray bytes = fileBytes(log.path());
    QBuffer device;
    const std::optional<WorkLogFormat::Contents> whole = readBack(device, bytes);
    QVERIFY(whole);
    QCOMPARE(whole->steps, 2);
    FlexGrid rebuilt;
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
    FlexGrid beforeRefused;
    QCOMPARE(WorkLogFormat::rebuild(*withRefused, device, beforeRefused), std::optional<size_t>(2));
    QCOMPARE(contents(beforeRefused), contents(grid));

    // Cut anywhere: the snapshot and the whole steps before the cut.
    for (qsizetype length = 0; length < bytes.size(); ++length) {
        const std::optional<WorkLogFormat::Contents> cut = readBack(device, QByteArrayView(bytes).first(length));
        if (!cut)
            continue;
        FlexGrid partial;
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
    FlexGrid grid;
    fill(grid);
    grid.setRows(300);
    for (int r = 1; r < grid.Rows(); ++r)
        grid.setTextMatrix(r, 1, QString::number(r * 7919 % 300));
    constexpr qint64 restartAfter = 8 * 1024;
    WorkLog log(
        grid.model(), folder.path(), [] { return WorkLogFormat::Origin {}; }, restartAfter);
    log.setRecording(true);
    qint64 longest = 0;
    for (int step = 0; step < 40; ++step) {
        grid.setCol(step % 2);
        grid.setColSel(step % 2);
        grid.setRow(0);
        grid.setRowSel(0);
        grid.setSort(1);
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
    FlexGrid rebuilt;
    QCOMPARE(WorkLogFormat::rebuild(*read, file, rebuilt), std::optional<size_t>(read->batches.size()));
    QCOMPARE(contents(rebuilt), contents(grid));
}

QTEST_MAIN(TestWorkLog)
#include "tst_worklog.moc"
