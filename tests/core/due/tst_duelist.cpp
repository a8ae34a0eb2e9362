#include "due/DueList.h"
#include "grid/GridModel.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

// The blocking dates across the grid and the archives, without a window.
class TestDueList : public QObject {
    Q_OBJECT
private slots:
    void listsEachUnitOnce_data();
    void listsEachUnitOnce();
};

void TestDueList::listsEachUnitOnce_data()
{
    QTest::addColumn<QString>("grid"); // the grid's entries, as a file holds them
    QTest::addColumn<QStringList>("archives"); // newest first
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QStringList>("listed"); // source:row:blocking, ":заменена" when replaced
    QTest::addColumn<QString>("undated"); // of each source: the grid's, then the archives'
    const QDate winter(2026, 1, 31); // the period runs from 01.01.2026 to 02.03.2026
    QTest::newRow("the period's edges, both included")
        << QStringLiteral("1;;01.10.2024;;;;\r\n2;;01.11.2024;;;;\r\n3;;01.01.2025;;;;\r\n4;;02.02.2025;;;;\r\n")
        << QStringList() << winter << QStringList {"0:2:01.01.2026", "0:3:01.03.2026"} << "0";
    QTest::newRow("the newest file wins, blanks and case aside")
        << QStringLiteral("Ab1;;01.01.2026;;;;\r\n")
        << QStringList {QStringLiteral(" aB1 ;;01.11.2024;;;;\r\nC;;01.11.2024;;;;\r\n"),
               QStringLiteral("C;;01.12.2024;;;;\r\n")}
        << winter << QStringList {"1:2:01.01.2026"} << "0,0,0";
    QTest::newRow("within a file, the entry activated last")
        << QString() << QStringList {QStringLiteral("7;;01.11.2024;;;;\r\n7;;15.12.2024;;;;\r\n")} << winter
        << QStringList {"1:2:01.02.2026"} << "0,0";
    QTest::newRow("a cash register with a later unit: replaced, in any file")
        << QStringLiteral("new;;01.12.2025;;ЭКР 2102;10;\r\n")
        << QStringList {QStringLiteral("old;;01.11.2024;;экр2102; 10 ;\r\nother;;01.11.2024;;ЭКР 2102;11;\r\n"
                                       "nomodel;;01.11.2024;;;10;\r\n")}
        << winter << QStringList {"1:1:01.01.2026:заменена", "1:2:01.01.2026", "1:3:01.01.2026"} << "0,0";
    QTest::newRow("dates that do not read are counted, blank lines are no entries")
        << QStringLiteral(";;;;;;\r\nx;;31.02.2025;;;;\r\n")
        << QStringList {QStringLiteral("y;;;;;;Иванов\r\nz;;01.11.2024;;;;\r\n")} << winter
        << QStringList {"1:2:01.01.2026"} << "1,1";
    QTest::newRow("a register rolled over on 1 January")
        << QString() << QStringList {QStringLiteral("1;;15.11.2024;;;;\r\n2;;15.12.2024;;;;\r\n")} << QDate(2026, 1, 1)
        << QStringList {"1:1:01.01.2026"} << "0,0";
}

void TestDueList::listsEachUnitOnce()
{
    QFETCH(QString, grid);
    QFETCH(QStringList, archives);
    QFETCH(QDate, today);
    QFETCH(QStringList, listed);
    QFETCH(QString, undated);
    QTemporaryDir folder;
    auto write = [&](const QString& name, const QString& text) {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringEncoder("windows-1251").encode(text));
    };
    write(QStringLiteral("thisyear.csv"), grid);
    GridModel model;
    QCOMPARE(
        RegisterReader::loadInto(model, folder.filePath(QStringLiteral("thisyear.csv"))), RegisterReader::Status::Ok);
    std::vector<DueList::Source> sources {{QStringLiteral("grid"), QString()}};
    for (int i = 0; i < archives.size(); ++i) {
        const QString name = QStringLiteral("%1.csv").arg(2025 - i);
        write(name, archives[i]);
        sources.push_back({name, folder.filePath(name)});
    }
    const DueList::Result result = DueList::make(sources, model.snapshot(), {}, today.addDays(-30), today.addDays(30));
    QStringList got;
    for (const DueList::Entry& entry : result.entries) {
        QCOMPARE(entry.cells.size(), 7);
        got << QStringLiteral("%1:%2:%3%4")
                   .arg(entry.source)
                   .arg(entry.row)
                   .arg(entry.blocking.toString(QStringLiteral("dd.MM.yyyy")),
                       entry.replaced ? QStringLiteral(":заменена") : QString());
    }
    QCOMPARE(got, listed);
    QStringList counts;
    for (const DueList::Read& read : result.sources)
        counts << QString::number(read.undated);
    QCOMPARE(counts.join(u','), undated);
}

QTEST_GUILESS_MAIN(TestDueList)
#include "tst_duelist.moc"
