#include "grid/GridModel.h"
#include "rules/BlockingDate.h"
#include "rules/BlockingPass.h"
#include "rules/DuplicateSerials.h"

#include <QTest>

namespace {

// A register grid whose column 2 holds the given activation dates.
void fillActivations(GridModel& grid, const QStringList& dates)
{
    grid.setCols(7);
    grid.setRows(static_cast<int>(dates.size()) + 1);
    for (int i = 0; i < dates.size(); ++i) {
        grid.setTextMatrix(i + 1, 2, dates[i]);
        grid.setTextMatrix(i + 1, 3, QStringLiteral("old"));
    }
}

QStringList blockingColumn(const GridModel& grid)
{
    QStringList texts;
    for (int r = 1; r < grid.Rows(); ++r)
        texts.append(grid.TextMatrix(r, 3));
    return texts;
}

} // namespace

class TestBlockingDate : public QObject {
    Q_OBJECT
private slots:
    void workedValues_data();
    void workedValues();
    void readsLooseFormsButNoImpossibleDates_data();
    void readsLooseFormsButNoImpossibleDates();
    void passStopsAtTheFirstEmptyActivation();
    void passSkipsRowsWithoutADate();
    void passYieldsOncePerComputedRow();
    void passSurvivesRowsRemovedWhileYielding();
    void nestedPassRunsToItsEnd();
    void passWritesEveryEntryItsOwnDate_data();
    void passWritesEveryEntryItsOwnDate();
    void duplicatesOfALoadAreCountedAnew();
};

void TestBlockingDate::workedValues_data()
{
    QTest::addColumn<QString>("activation");
    QTest::addColumn<QString>("blocking");
    QTest::newRow("mid-month") << "15.01.2009"
                               << "01.03.2010";
    QTest::newRow("new year's eve") << "31.12.2008"
                                    << "01.03.2010";
    QTest::newRow("leap day") << "29.02.2008"
                              << "01.04.2009";
    QTest::newRow("month end") << "31.10.2008"
                               << "01.12.2009";
    QTest::newRow("year rollover") << "01.11.2008"
                                   << "01.01.2010";
    QTest::newRow("next year's january") << "05.11.2009"
                                         << "01.01.2011";
    QTest::newRow("over a leap day") << "01.01.2012"
                                     << "01.03.2013";
}

void TestBlockingDate::workedValues()
{
    QFETCH(QString, activation);
    QFETCH(QString, blocking);
    const auto computed = BlockingDate::forActivationText(activation);
    QCOMPARE(computed ? std::optional<QString>(computed->toString()) : std::nullopt, std::optional<QString>(blocking));
}

void TestBlockingDate::readsLooseFormsButNoImpossibleDates_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");
    QTest::newRow("one-digit day and month") << "5.1.2009" << QDate(2009, 1, 5);
    QTest::newRow("blanks around") << "  15.01.2009 " << QDate(2009, 1, 15);
    QTest::newRow("31 February") << "31.02.2009" << QDate();
    QTest::newRow("29 February, no leap year") << "29.02.2009" << QDate();
    QTest::newRow("month 13") << "01.13.2009" << QDate();
    QTest::newRow("two-digit year") << "01.01.09" << QDate();
    QTest::newRow("word") << "скоро" << QDate();
    QTest::newRow("with a time") << "01.01.2009 10:00" << QDate();
    QTest::newRow("blanks only") << "   " << QDate();
    QTest::newRow("other separator") << "01/01/2009" << QDate();
    QTest::newRow("year zero") << "01.01.0000" << QDate();
}

void TestBlockingDate::readsLooseFormsButNoImpossibleDates()
{
    QFETCH(QString, text);
    QFETCH(QDate, date);
    const auto read = BlockingDate::readDate(text);
    QCOMPARE(read.value_or(QDate()), date);
}

void TestBlockingDate::passStopsAtTheFirstEmptyActivation()
{
    GridModel grid;
    fillActivations(grid, {"15.01.2009", "31.10.2008", "", "01.11.2008"});
    runBlockingPass(grid, [] { return false; });
    QCOMPARE(blockingColumn(grid), (QStringList {"01.03.2010", "01.12.2009", "old", "old"}));

    GridModel headerOnly;
    headerOnly.setRows(1);
    runBlockingPass(headerOnly, [] { return false; });
    QCOMPARE(headerOnly.Rows(), 1);
}

void TestBlockingDate::passSkipsRowsWithoutADate()
{
    GridModel grid;
    fillActivations(grid, {"31.02.2009", "скоро", "05.11.2009", "31.12.9999"});
    runBlockingPass(grid, [] { return false; });
    QCOMPARE(blockingColumn(grid), (QStringList {"old", "old", "01.01.2011", "old"}));
}

void TestBlockingDate::passYieldsOncePerComputedRow()
{
    GridModel grid;
    fillActivations(grid, {"15.01.2009", "bad", "05.11.2009", ""});
    int yields = 0;
    runBlockingPass(grid, [&] {
        ++yields;
        // The row being computed is written only after the yield.
        [&] { QCOMPARE(grid.TextMatrix(yields == 1 ? 1 : 3, 3), QStringLiteral("old")); }();
        return true;
    });
    QCOMPARE(yields, 2);
}

void TestBlockingDate::passSurvivesRowsRemovedWhileYielding()
{
    GridModel grid;
    fillActivations(grid, {"15.01.2009", "15.01.2009", "15.01.2009", "15.01.2009", "15.01.2009"});
    int yields = 0;
    runBlockingPass(grid, [&] {
        if (++yields == 2) {
            grid.setRows(3); // two entries left
            grid.setCols(3); // and column 3 gone
        }
        return true;
    });
    QCOMPARE(grid.Rows(), 3);
    QCOMPARE(grid.Cols(), 3);
    QCOMPARE(grid.TextMatrix(1, 3), QString());
    QCOMPARE(yields, 2);
}

void TestBlockingDate::nestedPassRunsToItsEnd()
{
    GridModel grid;
    fillActivations(grid, {"15.01.2009", "31.10.2008", "01.11.2008"});
    int depth = 0;
    int nested = 0;
    std::function<bool()> yield = [&] {
        if (depth == 0 && nested == 0) {
            ++depth;
            ++nested;
            runBlockingPass(grid, yield);
            --depth;
        }
        return true;
    };
    runBlockingPass(grid, yield);
    QCOMPARE(nested, 1);
    QCOMPARE(blockingColumn(grid), (QStringList {"01.03.2010", "01.12.2009", "01.01.2010"}));
}

void TestBlockingDate::passWritesEveryEntryItsOwnDate_data()
{
    QTest::addColumn<bool>("sort");
    QTest::newRow("rows sorted while yielding") << true;
    QTest::newRow("a row deleted while yielding") << false;
}

void TestBlockingDate::passWritesEveryEntryItsOwnDate()
{
    QFETCH(bool, sort);
    GridModel grid;
    fillActivations(grid, {"15.01.2009", "31.10.2008", "01.11.2008"});
    bool changed = false;
    runBlockingPass(grid, [&] {
        if (!changed && sort) {
            grid.sort(1, grid.Rows() - 1, 2, 2); // "01.11.2008" comes first as a text
        } else if (!changed) {
            grid.RemoveItem(1);
        }
        changed = true;
        return true;
    });
    for (int row = 1; row < grid.Rows(); ++row)
        QCOMPARE(grid.TextMatrix(row, 3), BlockingDate::forActivationText(grid.TextMatrix(row, 2))->toString());
}

// More entries added one by one (as a load adds them) than are followed are
// counted anew; an edit afterwards is followed.
void TestBlockingDate::duplicatesOfALoadAreCountedAnew()
{
    GridModel model;
    model.setCols(7);
    model.setRows(1);
    DuplicateSerials duplicates(model);
    duplicates.waitForCount(); // followed from here on
    for (int i = 1; i < 5000; ++i)
        model.AddItem(QStringLiteral("S%1").arg(i));
    model.AddItem(QStringLiteral("S1"));
    duplicates.waitForCount();
    QVERIFY(duplicates.isDuplicate(1) && duplicates.isDuplicate(5000) && !duplicates.isDuplicate(2));
    model.setTextMatrix(5000, 0, QStringLiteral("S2"));
    QVERIFY(!duplicates.isDuplicate(1) && duplicates.isDuplicate(2));
}

QTEST_MAIN(TestBlockingDate)
#include "tst_blockingdate.moc"
