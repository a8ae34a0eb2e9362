#include "grid/PackedRow.h"

#include <QTest>

class TestPackedRow : public QObject
{
    Q_OBJECT
private slots:
    void longCellsKeepTheirLength();
    void editsKeepTheOtherCells();
    void moveShiftsTheCellsBetween();
};

namespace {

PackedRow rowOf(const QStringList& cells)
{
    PackedRow row;
    for (const QString& cell : cells)
        row.append(cell);
    return row;
}

} // namespace

void TestPackedRow::longCellsKeepTheirLength()
{
    PackedRow row;
    const QString big(70000, u'Ж');
    row.setCell(1, big);
    row.setCell(2, QStringLiteral("after"));
    QCOMPARE(row.cell(0).size(), 0);
    QCOMPARE(row.cell(1).size(), big.size());
    QCOMPARE(row.cell(1).toString(), big);
    QCOMPARE(row.cell(2).toString(), u"after");
    row.setCell(1, QStringLiteral("short"));
    QCOMPARE(row.cell(1).toString(), u"short");
    QCOMPARE(row.cell(2).toString(), u"after");
}

void TestPackedRow::editsKeepTheOtherCells()
{
    PackedRow row = rowOf({"a", "b", "c", "d"});
    row.setCell(1, QStringLiteral("longer text"));
    row.setCell(6, QStringLiteral("far"));
    QCOMPARE(row.cell(0).toString(), u"a");
    QCOMPARE(row.cell(1).toString(), u"longer text");
    QCOMPARE(row.cell(3).toString(), u"d");
    QCOMPARE(row.cell(5).toString(), u"");
    QCOMPARE(row.cell(6).toString(), u"far");
    row.removeCell(0);
    QCOMPARE(row.cell(0).toString(), u"longer text");
    row.truncate(2);
    QCOMPARE(row.cellCount(), 2);
    QCOMPARE(row.cell(2).toString(), u"");
}

void TestPackedRow::moveShiftsTheCellsBetween()
{
    PackedRow row = rowOf({"0", "1", "2", "3", "4"});
    row.moveCell(4, 1);
    QCOMPARE(row.cell(0).toString(), u"0");
    QCOMPARE(row.cell(1).toString(), u"4");
    QCOMPARE(row.cell(2).toString(), u"1");
    QCOMPARE(row.cell(4).toString(), u"3");
    row.moveCell(1, 4);
    for (int c = 0; c < 5; ++c)
        QCOMPARE(row.cell(c).toString(), QString::number(c));

    PackedRow shortRow = rowOf({"a", "b"});
    shortRow.moveCell(6, 0); // an unstored (empty) cell moves to the front
    QCOMPARE(shortRow.cell(0).toString(), u"");
    QCOMPARE(shortRow.cell(1).toString(), u"a");
    QCOMPARE(shortRow.cell(2).toString(), u"b");
}

QTEST_GUILESS_MAIN(TestPackedRow)
#include "tst_packedrow.moc"
