#include "RegisterFiles.h"
#include "grid/GridModel.h"
#include "storage/HistorySearch.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

using namespace RegisterFiles;

// A unit's history in one file and in the register as held: every entry
// holding the word in any cell, without regard to case, at most the limit.
class TestHistorySearch : public QObject {
    Q_OBJECT
private slots:
    void findsEveryEntry_data();
    void findsEveryEntry();
};

namespace {

const QString archive = QStringLiteral("8710001025;0001;15.01.2009;01.03.2010;ЭКР 2102К;101;ООО Ромашка;\r\n"
                                       "8710001026;0002;16.01.2009;01.03.2010;АМС 100К;102;ИП Лютиков;\r\n"
                                       "8710001027;0003;17.01.2009;01.03.2010;ЭКР 2102К;103;ромашка и К;\r\n");

// The rows found, as "1 3", and whether the limit cut them.
QString rowsOf(const HistorySearch::Found& found)
{
    QStringList rows;
    for (const HistorySearch::Hit& hit : found.hits)
        rows << QString::number(hit.row);
    return rows.join(u' ') + (found.truncated ? QStringLiteral(" and more") : QString());
}

} // namespace

void TestHistorySearch::findsEveryEntry_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("rows");
    QTest::newRow("a serial number") << "8710001026" << 10 << "2";
    QTest::newRow("part of a serial number") << "871000102" << 10 << "1 2 3";
    QTest::newRow("any cell, any case") << "РОМАШКА" << 10 << "1 3";
    QTest::newRow("a model") << "2102к" << 10 << "1 3";
    QTest::newRow("nothing") << "8710009999" << 10 << "";
    QTest::newRow("past the limit") << "871000102" << 2 << "1 2 and more";
}

// The same hits, as rows of the file and of the register holding its lines.
void TestHistorySearch::findsEveryEntry()
{
    QFETCH(QString, word);
    QFETCH(int, limit);
    QFETCH(QString, rows);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("2009.csv"));
    writeAll(path, cp1251(archive));
    const std::atomic<bool> cancelled = false;
    const HistorySearch::Found inFile = HistorySearch::inFile(path, word, cancelled, size_t(limit));
    QCOMPARE(inFile.status, RegisterReader::Status::Ok);
    QCOMPARE(rowsOf(inFile), rows);
    if (!inFile.hits.empty())
        QCOMPARE(inFile.hits[0].cells.size(), 8); // the seven and the empty one after the last ';'

    GridModel model;
    resetForLoading(model);
    QCOMPARE(RegisterReader::loadInto(model, path, {}), RegisterReader::Status::Ok);
    const HistorySearch::Found inRegister = HistorySearch::inRegister(model.snapshot(), word, cancelled, size_t(limit));
    QCOMPARE(rowsOf(inRegister), rows);

    const std::atomic<bool> stopped = true;
    QVERIFY(HistorySearch::inFile(path, word, stopped).hits.empty());
    QVERIFY(HistorySearch::inRegister(model.snapshot(), word, stopped).hits.empty());
}

QTEST_GUILESS_MAIN(TestHistorySearch)
#include "tst_historysearch.moc"
