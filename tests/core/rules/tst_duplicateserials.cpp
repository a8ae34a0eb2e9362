#include "grid/GridModel.h"
#include "rules/DuplicateSerials.h"

#include <QGuiApplication>
#include <QTest>
#include <functional>

// Which entries share a serial number, on a model alone: counted on a thread
// after a change of everything, then followed change by change, and the
// same answers either way.
namespace {

using Change = std::function<void(GridModel&)>;

void fill(GridModel& model, const QStringList& serials)
{
    model.setCols(7);
    model.setRows(1 + int(serials.size()));
    for (int r = 0; r < serials.size(); ++r)
        model.setTextMatrix(r + 1, 0, serials[r]);
}

// The entries that are duplicates, as "1 3" (model rows).
QString duplicates(const GridModel& model, const DuplicateSerials& serials)
{
    QStringList rows;
    for (int row = GridModel::FixedRows; row < model.Rows(); ++row)
        if (serials.isDuplicate(row))
            rows << QString::number(row);
    return rows.join(u' ');
}

} // namespace

Q_DECLARE_METATYPE(Change)

class TestDuplicateSerials : public QObject {
    Q_OBJECT
private slots:
    void followsEveryChange_data();
    void followsEveryChange();
};

void TestDuplicateSerials::followsEveryChange_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QString>("expected");
    QTest::newRow("as counted") << Change([](GridModel&) {}) << "1 3";
    QTest::newRow("an edit makes one") << Change([](GridModel& m) { m.setTextMatrix(2, 0, QStringLiteral("A")); })
                                       << "1 2 3";
    QTest::newRow("an edit ends one") << Change([](GridModel& m) { m.setTextMatrix(3, 0, QStringLiteral("D")); }) << "";
    QTest::newRow("blank serials are nobody's") << Change([](GridModel& m) {
        m.setTextMatrix(1, 0, QString());
        m.setTextMatrix(3, 0, QString());
    }) << "";
    QTest::newRow("a row deleted") << Change([](GridModel& m) { m.RemoveItem(1); }) << "";
    QTest::newRow("a row put back") << Change([](GridModel& m) { m.insertRow(2, m.rowCells(1)); }) << "1 2 4";
    QTest::newRow("a row added") << Change([](GridModel& m) { m.AddItem(QStringLiteral("B")); }) << "1 2 3 5";
    QTest::newRow("whole rows written") << Change([](GridModel& m) { m.setRowCells(4, m.rowCells(2)); }) << "1 2 3 4";
    QTest::newRow("a sort keeps them") << Change([](GridModel& m) { m.sort(1, m.Rows() - 1, 0, 0); }) << "1 2";
    QTest::newRow("a column moved before them") << Change([](GridModel& m) { m.setColPosition(6, 0); }) << "1 3";
    QTest::newRow("their column moved") << Change([](GridModel& m) { m.setColPosition(0, 4); }) << "1 3";
    QTest::newRow("their column deleted") << Change([](GridModel& m) {
        m.setColPosition(0, 6);
        m.setCols(6);
    }) << "";
    QTest::newRow("only the header's text")
        << Change([](GridModel& m) { m.setTextMatrix(0, 0, QStringLiteral("A")); }) << "1 3";
}

// Serials A B A C: entries 1 and 3 share theirs. Each change is followed,
// and a new count over the result says the same.
void TestDuplicateSerials::followsEveryChange()
{
    QFETCH(Change, change);
    QFETCH(QString, expected);
    GridModel model;
    fill(model, {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("A"), QStringLiteral("C")});
    DuplicateSerials followed(model);
    followed.waitForCount();
    QVERIFY(followed.isCounted());
    change(model);
    followed.waitForCount();
    QCOMPARE(duplicates(model, followed), expected);
    DuplicateSerials counted(model);
    counted.waitForCount();
    QCOMPARE(duplicates(model, counted), expected);
}

QTEST_GUILESS_MAIN(TestDuplicateSerials)
#include "tst_duplicateserials.moc"
