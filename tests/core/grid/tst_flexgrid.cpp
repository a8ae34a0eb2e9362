#include "grid/FlexGrid.h"
#include "grid/GenericOrder.h"
#include "rules/BlockingDate.h"

#include <QSignalSpy>
#include <QTest>
#include <functional>

namespace {

// A grid of the given column texts, one entry row per element, below a header.
void fill(FlexGrid& grid, const QStringList& column, int col = 0)
{
    grid.setRows(static_cast<int>(column.size()) + 1);
    for (int i = 0; i < column.size(); ++i)
        grid.setTextMatrix(i + 1, col, column[i]);
}

QStringList columnTexts(const FlexGrid& grid, int col)
{
    QStringList texts;
    for (int r = 1; r < grid.Rows(); ++r)
        texts.append(grid.TextMatrix(r, col));
    return texts;
}

using ModelChange = std::function<void(GridModel&)>;

} // namespace

Q_DECLARE_METATYPE(ModelChange)

class TestFlexGrid : public QObject {
    Q_OBJECT
private slots:
    void shapeGrowsAndShrinksAtTheEnd();
    void leaveCellOnlyOnRealMoves();
    void shapeChangesKeepTheCurrentCellWithoutLeaveCell();
    void formatStringSetsCaptionsAlignmentAndWidths();
    void colPositionMovesWholeColumns();
    void removeItemKeepsHeaderAndLastEntry();
    void sortOrdersNumbersByValueAndTextsByCollation_data();
    void sortOrdersNumbersByValueAndTextsByCollation();
    void sortIsStableAndHonoursTheSelection();
    void readNumber_data();
    void readNumber();
    void cellRectScrollsIntoView();
    void userPressOnHeaderSelectsTheColumn();
    void releaseRaisesMouseUpThenClick();
    void viewFollowsItsModel_data();
    void viewFollowsItsModel();
};

void TestFlexGrid::shapeGrowsAndShrinksAtTheEnd()
{
    FlexGrid grid;
    QCOMPARE(grid.Rows(), 2);
    grid.model().setCols(3);
    grid.setRows(4);
    grid.setTextMatrix(3, 2, QStringLiteral("x"));
    grid.setTextMatrix(1, 1, QStringLiteral("keep"));
    grid.model().setCols(2);
    grid.model().setCols(3);
    QCOMPARE(grid.TextMatrix(3, 2), QString()); // dropped, not hidden
    grid.setRows(3);
    grid.setRows(5);
    QCOMPARE(grid.TextMatrix(4, 0), QString());
    QCOMPARE(grid.TextMatrix(1, 1), QStringLiteral("keep"));
    QVERIFY(!grid.setRows(0));
    QVERIFY(!grid.model().setCols(0));
    QVERIFY(!grid.setTextMatrix(5, 0, QStringLiteral("outside")));
    QVERIFY(!grid.setTextMatrix(0, 3, QStringLiteral("outside")));
    QCOMPARE(grid.TextMatrix(9, 9), QString());
    grid.model().AddItem(QString());
    QCOMPARE(grid.Rows(), 6);
}

void TestFlexGrid::leaveCellOnlyOnRealMoves()
{
    FlexGrid grid;
    grid.model().setCols(4);
    grid.setRows(5);
    QSignalSpy leave(&grid, &FlexGrid::LeaveCell);
    QCOMPARE(grid.Row(), 1);
    QCOMPARE(grid.Col(), 0);
    grid.setRow(1);
    grid.setCol(0);
    QCOMPARE(leave.count(), 0);
    grid.setRow(3);
    grid.setCol(2);
    QCOMPARE(leave.count(), 2);
    QVERIFY(!grid.setRow(7));
    QCOMPARE(leave.count(), 2);
    grid.setTextMatrix(1, 1, QStringLiteral("t")); // writing a cell moves nothing
    grid.setRowSel(4);
    QCOMPARE(leave.count(), 2);

    // The current cell has not changed yet while LeaveCell runs.
    int rowSeen = -1;
    connect(&grid, &FlexGrid::LeaveCell, this, [&] { rowSeen = grid.Row(); });
    grid.setRow(2);
    QCOMPARE(rowSeen, 3);
    QCOMPARE(grid.Row(), 2);
    QCOMPARE(grid.RowSel(), 2);
}

void TestFlexGrid::shapeChangesKeepTheCurrentCellWithoutLeaveCell()
{
    FlexGrid grid;
    grid.model().setCols(5);
    grid.setRows(6);
    grid.setRow(5);
    grid.setCol(4);
    QSignalSpy leave(&grid, &FlexGrid::LeaveCell);
    grid.model().setCols(3);
    grid.RemoveItem(5);
    QCOMPARE(grid.Col(), 2);
    QCOMPARE(grid.Row(), 4);
    grid.model().setColPosition(2, 0);
    grid.model().AddItem(QString());
    QCOMPARE(leave.count(), 0);
}

void TestFlexGrid::formatStringSetsCaptionsAlignmentAndWidths()
{
    FlexGrid grid;
    grid.setFormatString(QStringLiteral("^Дата |<Left|>Right|Plain  "));
    QCOMPARE(grid.Cols(), 4);
    QCOMPARE(grid.TextMatrix(0, 0), QStringLiteral("Дата "));
    QCOMPARE(grid.TextMatrix(0, 1), QStringLiteral("Left"));
    QCOMPARE(grid.TextMatrix(0, 3), QStringLiteral("Plain  "));
    QCOMPARE(grid.ColAlignment(0), Qt::AlignHCenter);
    QCOMPARE(grid.ColAlignment(1), Qt::AlignLeft);
    QCOMPARE(grid.ColAlignment(2), Qt::AlignRight);
    QCOMPARE(grid.ColAlignment(3), Qt::AlignLeft);

    // Trailing blanks widen the column.
    FlexGrid blanks;
    blanks.setFormatString(QStringLiteral("Owner|Owner            "));
    QVERIFY(blanks.ColWidth(1) > blanks.ColWidth(0));
    QVERIFY(blanks.ColWidth(0) > 2 * FlexGrid::textMargin);

    // Columns beyond the format keep their texts; the row count stays.
    FlexGrid wide;
    wide.model().setCols(9);
    wide.setTextMatrix(0, 8, QStringLiteral("extra"));
    wide.setFormatString(QStringLiteral("a|b"));
    QCOMPARE(wide.Cols(), 9);
    QCOMPARE(wide.Rows(), 2);
    QCOMPARE(wide.TextMatrix(0, 8), QStringLiteral("extra"));
}

void TestFlexGrid::colPositionMovesWholeColumns()
{
    FlexGrid grid;
    grid.setFormatString(QStringLiteral("^A|B|C"));
    grid.model().setColWidth(2, 1234);
    fill(grid, {QStringLiteral("a1"), QStringLiteral("a2")}, 0);
    grid.setTextMatrix(1, 2, QStringLiteral("c1"));
    QVERIFY(grid.model().setColPosition(2, 0));
    QCOMPARE(grid.TextMatrix(0, 0), QStringLiteral("C"));
    QCOMPARE(grid.TextMatrix(1, 0), QStringLiteral("c1"));
    QCOMPARE(grid.TextMatrix(1, 1), QStringLiteral("a1"));
    QCOMPARE(grid.TextMatrix(0, 2), QStringLiteral("B"));
    QCOMPARE(grid.ColWidth(0), 1234);
    QCOMPARE(grid.ColAlignment(1), Qt::AlignHCenter);
    QVERIFY(!grid.model().setColPosition(3, 0));
}

void TestFlexGrid::removeItemKeepsHeaderAndLastEntry()
{
    FlexGrid grid;
    fill(grid, {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});
    QVERIFY(!grid.RemoveItem(0));
    QVERIFY(!grid.RemoveItem(4));
    QVERIFY(grid.RemoveItem(2));
    QCOMPARE(columnTexts(grid, 0), (QStringList {"1", "3"}));
    QVERIFY(grid.RemoveItem(1));
    QVERIFY(!grid.RemoveItem(1));
    QCOMPARE(grid.Rows(), 2);
}

void TestFlexGrid::sortOrdersNumbersByValueAndTextsByCollation_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QStringList>("sorted");
    QTest::newRow("numbers by value") << QStringList {"10", "9", "-1", "2.5", "2,25"}
                                      << QStringList {"-1", "2,25", "2.5", "9", "10"};
    QTest::newRow("cyrillic by collation") << QStringList {"Яблоко", "арбуз", "Ёлка", "Борис", "ель"}
                                           << QStringList {"арбуз", "Борис", "Ёлка", "ель", "Яблоко"};
    QTest::newRow("dates by date") << QStringList {"15.01.2009", "02.03.2010", " 1.12.2009", "31.02.2009"}
                                   << QStringList {"15.01.2009", " 1.12.2009", "02.03.2010", "31.02.2009"};
    QTest::newRow("mixed kinds: early texts, numbers, dates, texts")
        << QStringList {"Борис", "01.12.2009", "10", "", "Анна", "-", "9", "1.1.2000"}
        << QStringList {"", "-", "9", "10", "1.1.2000", "01.12.2009", "Анна", "Борис"};
}

void TestFlexGrid::sortOrdersNumbersByValueAndTextsByCollation()
{
    QFETCH(QStringList, keys);
    QFETCH(QStringList, sorted);
    FlexGrid grid;
    fill(grid, keys, 1);
    grid.model().setDateReader(&BlockingDate::dayNumber);
    grid.setRow(0);
    grid.setCol(1);
    grid.setSort(1);
    QCOMPARE(columnTexts(grid, 1), sorted);
}

void TestFlexGrid::sortIsStableAndHonoursTheSelection()
{
    FlexGrid grid;
    grid.model().setCols(2);
    fill(grid, {"b", "a", "b", "a"}, 0);
    for (int r = 1; r <= 4; ++r)
        grid.setTextMatrix(r, 1, QString::number(r));
    grid.setRow(1); // Row == RowSel: every entry row is sorted
    grid.setCol(0);
    grid.setSort(1);
    QCOMPARE(columnTexts(grid, 0), (QStringList {"a", "a", "b", "b"}));
    QCOMPARE(columnTexts(grid, 1), (QStringList {"2", "4", "1", "3"}));

    // Rows 2..3 only, keyed on column 1 (descending texts "4","1" become "1","4").
    grid.setRow(2);
    grid.setRowSel(3);
    grid.setCol(1);
    grid.setSort(1);
    QCOMPARE(columnTexts(grid, 1), (QStringList {"2", "1", "4", "3"}));
}

void TestFlexGrid::readNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");
    QTest::newRow("integer") << QStringLiteral(" 42 ") << true << 42.0;
    QTest::newRow("signed decimal comma") << QStringLiteral("-1,5") << true << -1.5;
    QTest::newRow("exponent") << QStringLiteral("1e3") << true << 1000.0;
    QTest::newRow("date") << QStringLiteral("15.01.2009") << false << 0.0;
    QTest::newRow("empty") << QString() << false << 0.0;
    QTest::newRow("letters") << QStringLiteral("12a") << false << 0.0;
    QTest::newRow("sign only") << QStringLiteral("-") << false << 0.0;
}

void TestFlexGrid::readNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(double, value);
    const auto number = GenericOrder::readNumber(text);
    QCOMPARE(number.has_value(), isNumber);
    if (number)
        QCOMPARE(*number, value);
}

void TestFlexGrid::cellRectScrollsIntoView()
{
    FlexGrid grid;
    grid.model().setCols(3);
    grid.setRows(1001);
    grid.setRowHeight(0, 300);
    grid.model().setColWidth(0, 1500);
    grid.setViewportSize(3000, 300 + 10 * grid.RowHeight(1));
    const int rowHeight = grid.RowHeight(1);

    grid.setRow(1);
    grid.setCol(1);
    QCOMPARE(grid.currentCellRect(), QRect(1500, 300, grid.ColWidth(1), rowHeight));

    grid.setRow(500);
    const QRect deep = grid.currentCellRect();
    QCOMPARE(grid.TopRow(), 491); // the row is the last one that fits
    QCOMPARE(deep.top(), 300 + 9 * rowHeight);

    grid.setTopRow(5000);
    QCOMPARE(grid.TopRow(), grid.maxTopRow());
    QCOMPARE(grid.maxTopRow(), 991);
    grid.setTopRow(0);
    QCOMPARE(grid.TopRow(), 1);
    QCOMPARE(grid.rowAt(299), 0);
    QCOMPARE(grid.rowAt(300 + rowHeight), 2);
    QCOMPARE(grid.colAt(1499), 0);
    QCOMPARE(grid.colAt(1500), 1);
}

void TestFlexGrid::userPressOnHeaderSelectsTheColumn()
{
    FlexGrid grid;
    grid.model().setCols(4);
    grid.setRows(6);
    grid.userPress(0, 2);
    QCOMPARE(grid.Row(), 1);
    QCOMPARE(grid.Col(), 2);
    QCOMPARE(grid.RowSel(), 5);
    QCOMPARE(grid.ColSel(), 2);
    grid.userPress(3, 1);
    QCOMPARE(grid.Row(), 3);
    QCOMPARE(grid.RowSel(), 3);
    grid.userDrag(5, 3);
    QCOMPARE(grid.RowSel(), 5);
    QCOMPARE(grid.ColSel(), 3);
    QCOMPARE(grid.Row(), 3);
}

void TestFlexGrid::releaseRaisesMouseUpThenClick()
{
    FlexGrid grid;
    QStringList order;
    connect(&grid, &FlexGrid::MouseUp, this,
        [&] { order << QStringLiteral("MouseUp %1,%2").arg(grid.MouseRow()).arg(grid.MouseCol()); });
    connect(&grid, &FlexGrid::Click, this, [&] { order << QStringLiteral("Click"); });
    grid.userRelease(0, 1);
    QCOMPARE(order, (QStringList {"MouseUp 0,1", "Click"}));
}

void TestFlexGrid::viewFollowsItsModel_data()
{
    QTest::addColumn<ModelChange>("change"); // made on the model
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<bool>("staysOnB"); // a change at the end or after it
    QTest::newRow("nothing") << ModelChange([](GridModel&) {}) << QStringList {"b", "d"} << true;
    QTest::newRow("an entry added at the end is shown")
        << ModelChange([](GridModel& m) { m.AddItem(QString()); }) << QStringList {"b", "d", ""} << true;
    QTest::newRow("a shown entry removed")
        << ModelChange([](GridModel& m) { m.RemoveItem(2); }) << QStringList {"d"} << false;
    QTest::newRow("a hidden entry removed")
        << ModelChange([](GridModel& m) { m.RemoveItem(3); }) << QStringList {"b", "d"} << true;
    QTest::newRow("an entry put back before them is shown") << ModelChange([](GridModel& m) {
        PackedRow cells;
        cells.append(QStringLiteral("new"));
        m.insertRow(1, cells);
    }) << QStringList {"new", "b", "d"} << false;
    QTest::newRow("sorted: the same entries, in their new order") << ModelChange([](GridModel& m) {
        m.permuteRows(1, {3, 2, 1, 0});
    }) << QStringList {"d", "b"} << false;
    QTest::newRow("rows dropped at the end")
        << ModelChange([](GridModel& m) { m.setRows(3); }) << QStringList {"b"} << true;
}

// A view showing entries b and d of a, b, c, d, with b current: the model
// changes, and the view shows the same entries, and what came in.
void TestFlexGrid::viewFollowsItsModel()
{
    QFETCH(ModelChange, change);
    QFETCH(QStringList, shown);
    QFETCH(bool, staysOnB);
    GridModel model;
    FlexGrid view(model);
    fill(view, {"a", "b", "c", "d"});
    view.setRow(2);
    view.showRows({2, 4});
    QCOMPARE(view.Row(), 1); // still on b
    QCOMPARE(view.viewRow(3), -1);
    change(model);
    QCOMPARE(columnTexts(view, 0), shown);
    for (int row = 1; row < view.Rows(); ++row)
        QCOMPARE(view.viewRow(view.modelRow(row)), row);
    // A change at the end or after it leaves the current cell on its entry.
    if (staysOnB)
        QCOMPARE(view.TextMatrix(view.Row(), 0), QStringLiteral("b"));
    view.showAll();
    QCOMPARE(view.Rows(), model.Rows());
}

QTEST_MAIN(TestFlexGrid)
#include "tst_flexgrid.moc"
