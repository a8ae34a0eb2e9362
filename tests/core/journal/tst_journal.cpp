#include "grid/FlexGrid.h"
#include "journal/JournalFormat.h"
#include "journal/WorkJournal.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Texts, shape, widths and alignments: all a journal must bring back.
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

// Bytes read as the program reads a journal file, through a device.
std::optional<JournalFormat::Contents> readBack(QBuffer& device, QByteArrayView bytes)
{
    device.close();
    device.setData(bytes.toByteArray());
    device.open(QIODevice::ReadOnly);
    return JournalFormat::read(device);
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestJournal : public QObject
{
    Q_OBJECT
private slots:
    void changesReplayOnTheSnapshot_data();
    void changesReplayOnTheSnapshot();
    void longJournalBeginsAgainWithNothingLost();
};

void TestJournal::changesReplayOnTheSnapshot_data()
{
    QTest::addColumn<QString>("change");
    for (const char* change : {"text", "wide text", "add item", "remove item", "insert row", "row cells",
                               "move column", "columns", "rows", "sort", "format", "width and alignment"})
        QTest::newRow(change) << QString::fromLatin1(change);
}

// Every kind of change, journalled as a step, then read back from the file
// and replayed on the snapshot, at every length a kill could leave.
void TestJournal::changesReplayOnTheSnapshot()
{
    QFETCH(QString, change);
    QTemporaryDir folder;
    FlexGrid grid;
    fill(grid);
    const QStringList before = contents(grid);
    WorkJournal journal(grid.model(), folder.path(), [] { return JournalFormat::Origin{}; });
    journal.setRecording(true);
    grid.setTextMatrix(1, 6, QStringLiteral("первая правка")); // the journal's first step
    journal.stepEnded();
    journal.flush();
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
    journal.stepEnded();
    journal.flush();

    const QByteArray bytes = fileBytes(journal.path());
    QBuffer device;
    const std::optional<JournalFormat::Contents> whole = readBack(device, bytes);
    QVERIFY(whole);
    QCOMPARE(whole->steps, 2);
    FlexGrid rebuilt;
    QCOMPARE(JournalFormat::rebuild(*whole, device, rebuilt), std::optional<size_t>(2)); // one batch a step
    QCOMPARE(contents(rebuilt), contents(grid));

    // A whole frame whose change the grid refuses (a row that is not there)
    // is left out with everything after it, never applied in part.
    QByteArray refused;
    JournalFormat::appendChange(refused, {.kind = GridChange::Kind::SetText, .a = 1, .b = 6, .text = QStringLiteral("half")});
    JournalFormat::appendChange(refused, {.kind = GridChange::Kind::RemoveItem, .a = 999});
    const QByteArray spoilt = bytes + JournalFormat::frameHeader(JournalFormat::FrameKind::Changes, 1, 0, refused) +
                              refused + JournalFormat::frameHeader(JournalFormat::FrameKind::Changes, 1, 0, {});
    const std::optional<JournalFormat::Contents> withRefused = readBack(device, spoilt);
    QVERIFY(withRefused && withRefused->batches.size() == 4);
    FlexGrid beforeRefused;
    QCOMPARE(JournalFormat::rebuild(*withRefused, device, beforeRefused), std::optional<size_t>(2));
    QCOMPARE(contents(beforeRefused), contents(grid));

    // Cut anywhere: the snapshot and the whole steps before the cut.
    for (qsizetype length = 0; length < bytes.size(); ++length) {
        const std::optional<JournalFormat::Contents> cut = readBack(device, QByteArrayView(bytes).first(length));
        if (!cut)
            continue;
        FlexGrid partial;
        QVERIFY(JournalFormat::rebuild(*cut, device, partial));
        const QStringList got = contents(partial);
        QVERIFY2(got == before || got == afterFirst, qPrintable(QStringLiteral("cut at %1").arg(length)));
        QCOMPARE(cut->steps, got == before ? 0 : 1);
    }
    journal.end();
    QVERIFY(QDir(folder.path()).entryList(QDir::Files).isEmpty());
}

// Sorts of every row, over and over: the journal begins again from the
// grid instead of growing by every one, and keeps every step.
void TestJournal::longJournalBeginsAgainWithNothingLost()
{
    QTemporaryDir folder;
    FlexGrid grid;
    fill(grid);
    grid.setRows(300);
    for (int r = 1; r < grid.Rows(); ++r)
        grid.setTextMatrix(r, 1, QString::number(r * 7919 % 300));
    constexpr qint64 restartAfter = 8 * 1024;
    WorkJournal journal(grid.model(), folder.path(), [] { return JournalFormat::Origin{}; }, restartAfter);
    journal.setRecording(true);
    qint64 longest = 0;
    for (int step = 0; step < 40; ++step) {
        grid.setCol(step % 2);
        grid.setColSel(step % 2);
        grid.setRow(0);
        grid.setRowSel(0);
        grid.setSort(1);
        grid.setTextMatrix(1 + step, 6, QStringLiteral("шаг %1").arg(step));
        journal.stepEnded();
        journal.flush();
        longest = std::max(longest, QFileInfo(journal.path()).size());
    }
    const qint64 snapshot = 300 * 40; // about what the grid's texts take
    QVERIFY2(longest < restartAfter + 2 * snapshot, qPrintable(QString::number(longest)));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 1);
    QFile file(journal.path());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const std::optional<JournalFormat::Contents> read = JournalFormat::read(file);
    QVERIFY(read);
    QCOMPARE(read->steps, 40);
    FlexGrid rebuilt;
    QCOMPARE(JournalFormat::rebuild(*read, file, rebuilt), std::optional<size_t>(read->batches.size()));
    QCOMPARE(contents(rebuilt), contents(grid));
}

QTEST_MAIN(TestJournal)
#include "tst_journal.moc"
