#include "WindowFixture.h"
#include "app/desktop/Fonts.h"
#include "app/unithistory/UnitHistoryWindow.h"

#include <QDir>
#include <QGuiApplication>
#include <QTableView>
#include <sys/stat.h>

// «История ЭКЛЗ…» through the window.
class TestUnitHistory : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void unitHistoryFindsEveryEntry_data();
    void unitHistoryFindsEveryEntry();
};

void TestUnitHistory::unitHistoryFindsEveryEntry_data()
{
    QTest::addColumn<int>("chosen"); // the row of the results chosen with Enter
    QTest::addColumn<bool>("unsaved"); // changes in the window when it is chosen
    QTest::addColumn<bool>("reply"); // to the question before an archive replaces them
    QTest::addColumn<QString>("current"); // the current entry's owner after
    QTest::addColumn<QString>("first"); // the first entry's owner after: which file is in the window
    QTest::newRow("the register's entry") << 0 << false << false << "Иванов"
                                          << "Сидоров";
    QTest::newRow("an archive's entry") << 1 << false << false << "ООО РОМАШКА"
                                        << "Петров";
    QTest::newRow("an archive's entry over unsaved changes, Нет") << 1 << true << false << ""
                                                                  << "Сидоров";
    QTest::newRow("an archive's entry over unsaved changes, Да") << 1 << true << true << "ООО РОМАШКА"
                                                                 << "Петров";
}

// «История ЭКЛЗ…» finds the word in any cell, any case, in the register
// and in every archive (never in Backup), newest file first, names the
// archive it cannot read, and takes the user to the entry chosen.
void TestUnitHistory::unitHistoryFindsEveryEntry()
{
    QFETCH(int, chosen);
    QFETCH(bool, unsaved);
    QFETCH(bool, reply);
    QFETCH(QString, current);
    QFETCH(QString, first);
    WindowFixture f;
    QVERIFY(QDir(f.folder.path()).mkpath(QStringLiteral("Archive")) &&
            QDir(f.folder.path()).mkpath(QStringLiteral("Backup")));
    f.writeRegister(QStringLiteral("1;;;;;;ООО Ромашка;\r\n"), QStringLiteral("Archive/2024.csv"));
    f.writeRegister(QStringLiteral("2;;;;;;Петров;\r\n3;;;;;;ООО РОМАШКА;\r\n"), QStringLiteral("Archive/2025.csv"));
    f.writeRegister(QStringLiteral("4;;;;;;ромашка;\r\n"), QStringLiteral("Backup/thisyear-2026-01-01-120000.csv"));
    QFile older(f.path(QStringLiteral("Archive/2024.csv")));
    QVERIFY(older.open(QIODevice::ReadWrite) &&
            older.setFileTime(QDateTime::currentDateTime().addDays(-400), QFileDevice::FileModificationTime));
    older.close();
    QCOMPARE(::mkfifo(QFile::encodeName(f.path(QStringLiteral("Archive/BAD.csv"))).constData(), 0600), 0);
    f.open(QStringLiteral("10;;;;;;Сидоров;\r\n20;;;;Ромашка-К;;Иванов;\r\n30;;;;;;;\r\n"));
    if (unsaved)
        f.grid().setTextMatrix(1, 1, QStringLiteral("правка"));
    f.grid().setRow(3);
    f.grid().setCol(6);
    f.desktop.answers = {QStringLiteral("рОмАшКа")}; // the current cell is empty: a word is asked for
    QTest::keyClick(f.button("CmdProd"), Qt::Key_H, Qt::ControlModifier);
    UnitHistoryWindow* results = f.window->unitHistory().results();
    QVERIFY(results);
    results->waitForSearch();
    QCOMPARE(results->windowTitle(), QStringLiteral("История ЭКЛЗ"));
    const UnitHistoryTable& table = results->table();
    QStringList found;
    for (int row = 0; row < table.rowCount(); ++row)
        found << table.data(table.index(row, 0)).toString() + u':' + table.data(table.index(row, 1)).toString();
    QCOMPARE(found, (QStringList {"текущий журнал:2", "2025.csv:2", "2024.csv:1"}));
    QCOMPARE(table.data(table.index(0, 8)).toString(), QStringLiteral("Иванов"));
    QVERIFY2(results->failures().contains(QStringLiteral("«BAD.csv»: это не обычный файл")),
        qPrintable(results->failures()));

    auto* view = results->findChild<QTableView*>();
    view->setCurrentIndex(table.index(chosen, 0));
    f.desktop.replies = {reply};
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(f.desktop.questions.size(), size_t(unsaved ? 1 : 0));
    QCOMPARE(f.grid().TextMatrix(f.grid().Row(), 6), current);
    QCOMPARE(f.grid().TextMatrix(1, 6), first);
}

QTEST_MAIN(TestUnitHistory)
#include "tst_unithistory.moc"
