#include "editing/GridOperations.h"
#include "grid/FlexGrid.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// Seven columns whose header reads H0..H6 and whose cell (r, c) reads "rc".
void fillNumbered(FlexGrid& grid, int entries)
{
    grid.model().setCols(7);
    grid.setRows(entries + 1);
    for (int r = 0; r <= entries; ++r)
        for (int c = 0; c < 7; ++c)
            grid.setTextMatrix(r, c, r == 0 ? QStringLiteral("H%1").arg(c) : QStringLiteral("%1%2").arg(r).arg(c));
}

QStringList header(const FlexGrid& grid)
{
    QStringList texts;
    for (int c = 0; c < grid.Cols(); ++c)
        texts.append(grid.TextMatrix(0, c));
    return texts;
}

} // namespace

class TestGridOperations : public QObject {
    Q_OBJECT
private slots:
    void searchFindsTheFirstCellThatBeginsWithTheWord_data();
    void searchFindsTheFirstCellThatBeginsWithTheWord();
    void searchSelectsTheFoundEntryAlone();
    void searchReadsTheSelectionEndColumn();
    void deleteRowRemovesTheSelectionEnd();
    void columnRotationRestoresTheOrder();
    void insertAndDeleteColumns();
    void sortByColumnRestoresTheStandardHeader();
};

void TestGridOperations::searchFindsTheFirstCellThatBeginsWithTheWord_data()
{
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("row");
    QTest::newRow("prefix, first of two") << QStringList {"ABC", "XABCD", "", "ABCDE", "ABCD"} << "ABCD" << 4;
    QTest::newRow("no match") << QStringList {"ABC", "XABCD", ""} << "ABCD" << -1;
    QTest::newRow("cyrillic any case") << QStringList {"ромашка", "Ёлка"} << "ЁЛ" << 2;
    QTest::newRow("header row takes part") << QStringList {"Владимир"} << "ВЛАД" << 0;
}

void TestGridOperations::searchFindsTheFirstCellThatBeginsWithTheWord()
{
    QFETCH(QStringList, cells);
    QFETCH(QString, word);
    QFETCH(int, row);
    FlexGrid grid;
    grid.model().setCols(7);
    grid.setRows(static_cast<int>(cells.size()) + 1);
    grid.setTextMatrix(0, 6, QStringLiteral("Владелец"));
    for (int i = 0; i < cells.size(); ++i)
        grid.setTextMatrix(i + 1, 6, cells[i]);
    grid.setRow(1);
    grid.setCol(6);
    grid.setRowSel(1);
    QCOMPARE(GridOperations::search(grid, word), row >= 0);
    QCOMPARE(grid.Row(), row >= 0 ? row : 1);
    QCOMPARE(grid.Col(), 6);
}

// The selection ends on the entry found, the last one too, so that a
// deletion after a search removes that entry.
void TestGridOperations::searchSelectsTheFoundEntryAlone()
{
    FlexGrid grid;
    fillNumbered(grid, 5);
    grid.setViewportSize(5000, 2000);
    grid.setCol(1);
    grid.setRowSel(1);
    QVERIFY(GridOperations::search(grid, QStringLiteral("31")));
    QCOMPARE(grid.Row(), 3);
    QCOMPARE(grid.RowSel(), 3);
    QVERIFY(GridOperations::search(grid, QStringLiteral("51")));
    QCOMPARE(grid.Row(), 5);
    QCOMPARE(grid.RowSel(), 5);
    QVERIFY(GridOperations::deleteRow(grid, grid.RowSel()));
    QCOMPARE(grid.TextMatrix(grid.Rows() - 1, 1), QStringLiteral("41"));
}

void TestGridOperations::searchReadsTheSelectionEndColumn()
{
    FlexGrid grid;
    fillNumbered(grid, 3);
    grid.setCol(0);
    grid.setColSel(4); // a selection from column 0 to 4: column 4 is searched
    QVERIFY(!GridOperations::search(grid, QStringLiteral("20")));
    QVERIFY(GridOperations::search(grid, QStringLiteral("24")));
    QCOMPARE(grid.Row(), 2);
}

void TestGridOperations::deleteRowRemovesTheSelectionEnd()
{
    FlexGrid grid;
    fillNumbered(grid, 4);
    grid.setCol(0);
    grid.setRow(2);
    grid.setRowSel(3);
    QVERIFY(GridOperations::deleteRow(grid, grid.RowSel())); // row 3, where the selection ends
    QCOMPARE(grid.TextMatrix(2, 0), QStringLiteral("20"));
    QCOMPARE(grid.TextMatrix(3, 0), QStringLiteral("40"));

    grid.setRow(0);
    QVERIFY(!GridOperations::deleteRow(grid, grid.RowSel())); // the header stays
    grid.setRow(1);
    QVERIFY(GridOperations::deleteRow(grid, grid.RowSel())); // row 1 goes like any other
    QCOMPARE(grid.TextMatrix(1, 0), QStringLiteral("20"));
    grid.setRows(2);
    QVERIFY(!GridOperations::deleteRow(grid, grid.RowSel())); // the last entry stays
}

void TestGridOperations::columnRotationRestoresTheOrder()
{
    FlexGrid grid;
    fillNumbered(grid, 2);
    const QStringList start = header(grid);
    grid.setCol(2);
    QSignalSpy leave(&grid, &FlexGrid::LeaveCell);
    for (int press = 1; press <= 5; ++press) {
        GridOperations::moveLastColumn(grid, grid.Col());
        if (press == 4) {
            QCOMPARE(grid.TextMatrix(0, 6), QStringLiteral("H2"));
            QCOMPARE(grid.TextMatrix(1, 6), QStringLiteral("12"));
        }
    }
    QCOMPARE(header(grid), start);
    QCOMPARE(leave.count(), 0);

    grid.setCol(6);
    GridOperations::moveLastColumn(grid, grid.Col());
    QCOMPARE(header(grid), start);
}

void TestGridOperations::insertAndDeleteColumns()
{
    FlexGrid grid;
    fillNumbered(grid, 2);
    grid.setCol(0);
    GridOperations::insertColumn(grid, grid.Col());
    QCOMPARE(grid.Cols(), 8);
    QCOMPARE(grid.TextMatrix(0, 0), QString());
    QCOMPARE(grid.TextMatrix(1, 0), QString());
    QCOMPARE(grid.TextMatrix(1, 1), QStringLiteral("10"));
    QCOMPARE(grid.ColWidth(0), FlexGrid::defaultColWidth);

    grid.setCol(3);
    QVERIFY(GridOperations::deleteLastColumn(grid));
    QCOMPARE(grid.Cols(), 7);
    QCOMPARE(grid.TextMatrix(1, 6), QStringLiteral("15")); // the old column 6 went
    while (grid.Cols() > 1)
        QVERIFY(GridOperations::deleteLastColumn(grid));
    QVERIFY(!GridOperations::deleteLastColumn(grid));
    QCOMPARE(grid.Cols(), 1);
}

void TestGridOperations::sortByColumnRestoresTheStandardHeader()
{
    FlexGrid grid;
    fillNumbered(grid, 3);
    grid.model().setColPosition(6, 0); // the captions no longer match the standard order
    grid.setTextMatrix(1, 5, QStringLiteral("10"));
    grid.setTextMatrix(2, 5, QStringLiteral("9"));
    grid.setTextMatrix(3, 5, QStringLiteral("100"));
    GridOperations::sortByColumn(grid, 5, QStringLiteral("^A|^B|^C|^D|^E|^F|^G"));
    QCOMPARE(header(grid), (QStringList {"A", "B", "C", "D", "E", "F", "G"}));
    QCOMPARE(grid.TextMatrix(1, 5), QStringLiteral("9"));
    QCOMPARE(grid.TextMatrix(3, 5), QStringLiteral("100"));
    QCOMPARE(grid.Row(), 0);
    QCOMPARE(grid.Col(), 5);
    QCOMPARE(grid.RowSel(), 0);
    QCOMPARE(grid.ColSel(), 5);
    QVERIFY(grid.Visible());
}

QTEST_MAIN(TestGridOperations)
#include "tst_gridoperations.moc"
