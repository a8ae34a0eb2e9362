#include "grid/GridModel.h"
#include "rules/EntryFilter.h"

#include <QGuiApplication>
#include <QTest>

// Which entries «Показать» shows, on a model alone: the period's edges, dates
// that do not read, a word held without regard to case, and the same through
// column operations.
class TestEntryFilter : public QObject {
    Q_OBJECT
private slots:
    void matches_data();
    void matches();
};

namespace {

const QDate today(2026, 12, 9);

// One entry a row: serial number, blocking date, owner.
void fill(GridModel& model, const QList<QStringList>& entries)
{
    model.setCols(7);
    model.setRows(1 + int(entries.size()));
    for (int r = 0; r < entries.size(); ++r) {
        model.setTextMatrix(r + 1, 0, entries[r][0]);
        model.setTextMatrix(r + 1, 3, entries[r][1]);
        model.setTextMatrix(r + 1, 6, entries[r][2]);
    }
}

const QList<QStringList> entries {
    {"1", "09.12.2026", "ООО Ромашка"}, // blocks today: blocked
    {"2", "10.12.2026", "ИП Лютиков"}, // tomorrow: soon
    {"3", "08.01.2027", "ромашка и К"}, // in 30 days: soon
    {"4", "09.01.2027", "Василёк"}, // in 31 days: neither
    {"5", "01.03.2010", "РОМАШКА"}, // long ago: blocked
    {"6", "31.02.2027", "Ромашка"}, // no such day: neither
    {"7", "", "Лютик"}, // no date: neither
};

} // namespace

void TestEntryFilter::matches_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("column");
    QTest::addColumn<std::vector<quint32>>("rows");
    using Kind = EntryFilter::Kind;
    QTest::newRow("all") << int(Kind::All) << QString() << 0 << std::vector<quint32> {1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("blocked: today and before") << int(Kind::Blocked) << QString() << 0 << std::vector<quint32> {1, 5};
    QTest::newRow("soon: tomorrow to 30 days") << int(Kind::Soon) << QString() << 0 << std::vector<quint32> {2, 3};
    QTest::newRow("a word, any case") << int(Kind::Containing) << QStringLiteral("ромаШКА") << 6
                                      << std::vector<quint32> {1, 3, 5, 6};
    QTest::newRow("a word in its column only")
        << int(Kind::Containing) << QStringLiteral("1") << 0 << std::vector<quint32> {1};
    QTest::newRow("a column that is not there")
        << int(Kind::Containing) << QStringLiteral("1") << 9 << std::vector<quint32> {};
}

void TestEntryFilter::matches()
{
    QFETCH(int, kind);
    QFETCH(QString, word);
    QFETCH(int, column);
    QFETCH(std::vector<quint32>, rows);
    GridModel model;
    fill(model, entries);
    const EntryFilter filter {EntryFilter::Kind(kind), word, column};
    QCOMPARE(filter.matches(model, today), rows);
    // The same entries once a column is added before the others ("Добавить
    // колонку" on the first) and the last moved to the second place
    // ("Переместить колонки"): a filter holds to its columns.
    model.setCols(8);
    model.setColPosition(7, 0);
    model.setColPosition(7, 1);
    QCOMPARE(filter.matches(model, today), rows);
}

QTEST_GUILESS_MAIN(TestEntryFilter)
#include "tst_entryfilter.moc"
