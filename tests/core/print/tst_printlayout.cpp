#include "grid/FlexGrid.h"
#include "print/PrintLayout.h"
#include "print/PrintTarget.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// Keeps every drawing operation, with the state it was drawn in.
struct Recorder : PrintTarget {
    struct Line {
        int x1, y1, x2, y2, pen, page;
    };
    struct Text {
        float x, y;
        QString text;
        int size;
        bool bold;
        int page;
    };
    std::vector<Line> lines;
    std::vector<Text> texts;
    QString font;
    int size = 0;
    bool bold = false;
    int pen = 0;
    int page = 1;
    bool ended = false;

    void setFontName(const QString& name) override { font = name; }
    void setFontSize(int points) override { size = points; }
    void setBold(bool on) override { bold = on; }
    void setPenWidth(int dots) override { pen = dots; }
    void drawLine(int x1, int y1, int x2, int y2) override { lines.push_back({x1, y1, x2, y2, pen, page}); }
    void drawText(float x, float y, const QString& text) override { texts.push_back({x, y, text, size, bold, page}); }
    void newPage() override { ++page; }
    void endDocument() override { ended = true; }

    // Vertical lines of one table row, as column positions (x / u).
    QList<int> verticalsAt(int y1, int u, int pageNumber = 1) const
    {
        QList<int> positions;
        for (const Line& l : lines)
            if (l.x1 == l.x2 && l.y1 == y1 && l.page == pageNumber)
                positions.append(l.x1 / u);
        return positions;
    }
    QList<int> rulesOn(int pageNumber, int v) const
    {
        QList<int> at;
        for (const Line& l : lines)
            if (l.y1 == l.y2 && l.page == pageNumber)
                at.append(l.y1 / v);
        return at;
    }
    QStringList labels() const
    {
        QStringList found;
        for (const Text& t : texts)
            if (t.text.startsWith(QStringLiteral("стр.")))
                found.append(t.text);
        return found;
    }
};

// A4 landscape at 600 dpi: u = 160, v = 220 for these measures.
constexpr PrintPage page {16000, 11000};
constexpr int u = 160;
constexpr int v = 220;

void fillGrid(FlexGrid& grid, int cols, int entries)
{
    grid.model().setCols(cols);
    grid.setRows(entries + 1);
    for (int c = 0; c < cols; ++c)
        grid.setTextMatrix(0, c, QStringLiteral("T%1").arg(c));
    for (int r = 1; r <= entries; ++r)
        for (int c = 0; c < cols; ++c)
            grid.setTextMatrix(r, c, QStringLiteral("%1/%2").arg(r).arg(c));
}

Recorder printGrid(FlexGrid& grid, PrintPage measures = page)
{
    Recorder recorder;
    PrintLayout(grid, recorder, measures, {QStringLiteral("07.12.2026"), QStringLiteral("9:05:07")}).run();
    return recorder;
}

} // namespace

class TestPrintLayout : public QObject {
    Q_OBJECT
private slots:
    void columnEdges_data();
    void columnEdges();
    void thickLinesAroundTheFirstColumn();
    void pages_data();
    void pages();
    void titleAndHeaderOfPageOne();
    void laterPagesRepeatTheColumnTitlesInRegularType();
    void oneColumnAndColumnsBeyondThirty();
    void overflowAbandonsOnlyTheStepThatNeededIt();
    void walkEndsOnTheLastCellAndRaisesLeaveCell();
};

void TestPrintLayout::columnEdges_data()
{
    QTest::addColumn<int>("cols");
    QTest::addColumn<QList<int>>("edges");
    QTest::newRow("seven") << 7 << QList<int> {4, 13, 21, 29, 37, 49, 58, 58};
    QTest::newRow("eight") << 8 << QList<int> {4, 12, 19, 26, 33, 43, 51, 51, 51};
    QTest::newRow("six") << 6 << QList<int> {4, 15, 25, 35, 45, 59, 70};
}

void TestPrintLayout::columnEdges()
{
    QFETCH(int, cols);
    QFETCH(QList<int>, edges);
    FlexGrid grid;
    fillGrid(grid, cols, 1);
    const Recorder r = printGrid(grid);
    QCOMPARE(r.verticalsAt(3 * v, u), edges); // the first register row
    QCOMPARE(r.verticalsAt(2 * v, u), edges); // the column titles
    // Texts start two tenths of a column in, one tenth of a line down.
    const auto cell =
        std::find_if(r.texts.begin(), r.texts.end(), [](const auto& t) { return t.text == QStringLiteral("1/1"); });
    QVERIFY(cell != r.texts.end());
    QCOMPARE(cell->x, float((edges[1] + 0.2) * u));
    QCOMPARE(cell->y, float(3.1 * v));
    // Rules run from 4 to 88.
    for (const auto& line : r.lines)
        if (line.y1 == line.y2)
            QCOMPARE(std::pair(line.x1, line.x2), std::pair(4 * u, 88 * u));
}

void TestPrintLayout::thickLinesAroundTheFirstColumn()
{
    FlexGrid grid;
    fillGrid(grid, 7, 1);
    const Recorder r = printGrid(grid);
    QList<int> pens;
    for (const auto& l : r.lines)
        if (l.x1 == l.x2 && l.y1 == 3 * v)
            pens.append(l.pen);
    QCOMPARE(pens, (QList<int> {1, 2, 1, 1, 1, 1, 1, 2}));
}

void TestPrintLayout::pages_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<int>("closingLine"); // of the last page
    QTest::newRow("none") << 0 << QStringList {"стр.  1 "} << 4;
    QTest::newRow("36, one page") << 36 << QStringList {"стр.  1 "} << 40;
    QTest::newRow("37, two pages") << 37 << QStringList {"стр.  1 ", "стр.  2 "} << 3;
    QTest::newRow("74, exactly two") << 74 << QStringList {"стр.  1 ", "стр.  2 "} << 40;
    QTest::newRow("75, three") << 75 << QStringList {"стр.  1 ", "стр.  2 ", "стр.  3 "} << 3;
}

void TestPrintLayout::pages()
{
    QFETCH(int, entries);
    QFETCH(QStringList, labels);
    QFETCH(int, closingLine);
    FlexGrid grid;
    fillGrid(grid, 7, entries);
    const Recorder r = printGrid(grid);
    QCOMPARE(r.labels(), labels);
    QCOMPARE(r.page, labels.size());
    QVERIFY(r.ended);
    for (const auto& t : r.texts) {
        if (t.text.startsWith(QStringLiteral("стр."))) {
            QCOMPARE(t.x, float(84 * u));
            QCOMPARE(t.y, float(39.1 * v));
        }
    }
    const Recorder::Line& last = r.lines.back();
    QCOMPARE(last.y1, closingLine * v);
    QCOMPARE(last.pen, 2);
    // One empty line between the last thin rule and the closing rule.
    QCOMPARE(r.rulesOn(r.page, v).mid(r.rulesOn(r.page, v).size() - 2), (QList<int> {closingLine - 1, closingLine}));
}

void TestPrintLayout::titleAndHeaderOfPageOne()
{
    FlexGrid grid;
    fillGrid(grid, 7, 2);
    const Recorder r = printGrid(grid);
    QCOMPARE(r.font, QStringLiteral("Times New Roman cyr"));
    const auto& title = r.texts.front();
    QCOMPARE(title.text, QStringLiteral(" PALOMET  от  07.12.2026 9:05:07"));
    QCOMPARE(title.x, float(25 * u));
    QCOMPARE(title.y, 0.0f);
    QCOMPARE(title.size, 14);
    QVERIFY(title.bold);
    const auto& firstTitle = r.texts[1];
    QCOMPARE(firstTitle.text, QStringLiteral("T0"));
    QCOMPARE(firstTitle.size, 10);
    QVERIFY(firstTitle.bold);
    QVERIFY(!r.texts[8].bold); // the first register cell
    QCOMPARE(r.rulesOn(1, v), (QList<int> {2, 3, 4, 5, 6}));
}

void TestPrintLayout::laterPagesRepeatTheColumnTitlesInRegularType()
{
    FlexGrid grid;
    fillGrid(grid, 7, 37);
    const Recorder r = printGrid(grid);
    std::vector<Recorder::Text> pageTwo;
    std::copy_if(
        r.texts.begin(), r.texts.end(), std::back_inserter(pageTwo), [](const auto& t) { return t.page == 2; });
    QCOMPARE(pageTwo.front().text, QStringLiteral("T0"));
    QCOMPARE(pageTwo.front().y, float(0.1 * v));
    QVERIFY(!pageTwo.front().bold);
    QCOMPARE(pageTwo[7].text, QStringLiteral("37/0"));
    QCOMPARE(pageTwo[7].y, float(1.1 * v));
    QCOMPARE(r.rulesOn(1, v).last(), 39); // the page's last rule, overdrawn thick
    QCOMPARE(r.rulesOn(2, v), (QList<int> {0, 1, 2, 3}));
}

void TestPrintLayout::oneColumnAndColumnsBeyondThirty()
{
    FlexGrid single;
    fillGrid(single, 1, 1);
    QCOMPARE(printGrid(single).verticalsAt(3 * v, u), (QList<int> {4, 4}));

    FlexGrid wide;
    fillGrid(wide, 33, 1);
    const Recorder r = printGrid(wide);
    QStringList titleRow;
    for (const auto& t : r.texts)
        if (t.y == float(2.1 * v))
            titleRow.append(t.text);
    QCOMPARE(titleRow.size(), 33);
    QCOMPARE(titleRow[30], QStringLiteral("T30"));
    QCOMPARE(titleRow[31], QString());
    QVERIFY(
        std::any_of(r.texts.begin(), r.texts.end(), [](const auto& t) { return t.text == QStringLiteral("1/32"); }));
}

void TestPrintLayout::overflowAbandonsOnlyTheStepThatNeededIt()
{
    // u = 400: 88 × u overflows 16 bits, 58 × u does not.
    FlexGrid grid;
    fillGrid(grid, 7, 1);
    const Recorder r = printGrid(grid, PrintPage {40000, 11000});
    QVERIFY(std::none_of(r.lines.begin(), r.lines.end(), [](const auto& l) { return l.y1 == l.y2; }));
    QCOMPARE(r.verticalsAt(3 * v, 400), (QList<int> {4, 13, 21, 29, 37, 49, 58, 58}));
    QVERIFY(r.labels().isEmpty()); // 84 × u overflows too
    QCOMPARE(r.texts.front().x, float(25 * 400));

    // v = 1000: lines 33 and below overflow; the rows above still print.
    const Recorder tall = printGrid(grid, PrintPage {16000, 50000});
    QVERIFY(!tall.verticalsAt(3 * 1000, u).isEmpty());
    QVERIFY(tall.ended);
}

void TestPrintLayout::walkEndsOnTheLastCellAndRaisesLeaveCell()
{
    FlexGrid grid;
    fillGrid(grid, 8, 3);
    QSignalSpy leave(&grid, &FlexGrid::LeaveCell);
    printGrid(grid);
    QCOMPARE(grid.Row(), 3);
    QCOMPARE(grid.Col(), 7);
    QVERIFY(leave.count() > 0);

    FlexGrid empty;
    fillGrid(empty, 7, 0);
    printGrid(empty);
    QCOMPARE(empty.Row(), 0);
    QCOMPARE(empty.Col(), 6);
}

QTEST_MAIN(TestPrintLayout)
#include "tst_printlayout.moc"
