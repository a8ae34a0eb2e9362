#include "grid/FlexGrid.h"
#include "grid/PackedRow.h"

#include <QTest>

class TestPackedRow : public QObject {
    Q_OBJECT
private slots:
    void longCellsKeepTheirLength();
    void editsKeepTheOtherCells();
    void moveShiftsTheCellsBetween();
    void rowsGoWideAndComeBack_data();
    void rowsGoWideAndComeBack();
    void cellsKeepTheirBytes_data();
    void cellsKeepTheirBytes();
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

void TestPackedRow::rowsGoWideAndComeBack_data()
{
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("wide");
    QTest::newRow("Cyrillic stays narrow") << QStringList {"ab", "cd"} << 1 << "Жук №5" << false;
    QTest::newRow("a character without a byte") << QStringList {"ab", "cd"} << 1 << "中" << true;
    QTest::newRow("past the stored cells") << QStringList {"ab"} << 5 << "✓" << true;
    QTest::newRow("a surrogate pair") << QStringList {"ab"} << 0 << "😀" << true;
    QTest::newRow("the last one leaves") << QStringList {"中", "cd"} << 0 << "x" << false;
    QTest::newRow("emptied") << QStringList {"✓"} << 0 << "" << false;
    QTest::newRow("another one stays") << QStringList {"中", "✓"} << 0 << "x" << true;
    QTest::newRow("separators stay narrow") << QStringList {"ab"} << 0 << ";\r\n" << false;
}

void TestPackedRow::rowsGoWideAndComeBack()
{
    QFETCH(QStringList, cells);
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(bool, wide);
    FlexGrid grid;
    grid.model().setCols(6);
    for (int c = 0; c < cells.size(); ++c)
        grid.setTextMatrix(1, c, cells[c]);
    grid.setTextMatrix(1, column, text);
    cells.resize(6);
    cells[column] = text;
    QCOMPARE(grid.rowView(1).isWide(), wide);
    for (int c = 0; c < 6; ++c)
        QCOMPARE(grid.TextMatrix(1, c), cells[c]);
}

void TestPackedRow::cellsKeepTheirBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    QTest::newRow("every byte") << all;
    QTest::newRow("the first") << QByteArray(1, '\x00');
    QTest::newRow("the last") << QByteArray(3, '\xff');
    QTest::newRow("longest one-byte length") << QByteArray(0x7f, '\xe9');
    QTest::newRow("shortest four-byte length") << QByteArray(0x80, '\xe9');
}

void TestPackedRow::cellsKeepTheirBytes()
{
    QFETCH(QByteArray, bytes);
    const QString text = CellText::fromBytes(bytes).toString();
    QCOMPARE(text.size(), bytes.size());
    FlexGrid grid;
    grid.model().setCols(3);
    grid.setTextMatrix(1, 2, QStringLiteral("end"));
    grid.setTextMatrix(1, 1, text);
    QVERIFY(grid.cellText(1, 1).isNarrow());
    QCOMPARE(grid.cellText(1, 1).bytes(), bytes);
    QCOMPARE(grid.TextMatrix(1, 1), text);
    QCOMPARE(grid.TextMatrix(1, 2), u"end");

    QByteArray joined(bytes.size() + 8, '\0');
    const qsizetype written = grid.rowView(1).join(3, '|', joined.data());
    if (bytes.size() < 0x80)
        QCOMPARE(joined.first(written), "|" + bytes + "|end|");
    else
        QCOMPARE(written, -1); // a long cell is joined field by field
}

QTEST_MAIN(TestPackedRow)
#include "tst_packedrow.moc"
