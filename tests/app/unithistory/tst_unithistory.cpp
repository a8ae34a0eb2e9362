#include "WindowFixture.h"
#include "app/desktop/Fonts.h"
#include "app/unithistory/UnitHistoryWindow.h"

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTableView>
#include <functional>
#include <sys/stat.h>

// «История ЭКЛЗ…» through the window.
class TestUnitHistory : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void unitHistoryFindsEveryEntry_data();
    void unitHistoryFindsEveryEntry();
    void neverAnotherEntry_data();
    void neverAnotherEntry();
};

// What happens between the search and the choice of its second row (the
// archive's entry "2;…;Петров"), in a window whose first search is done.
using Meanwhile = std::function<void(WindowFixture&, UnitHistoryWindow&)>;
Q_DECLARE_METATYPE(Meanwhile)

namespace {

void searchAgain(WindowFixture& f)
{
    f.desktop.answers = {QStringLiteral("петров")};
    QTest::keyClick(f.button("CmdProd"), Qt::Key_H, Qt::ControlModifier);
}

} // namespace

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
    QVERIFY(results->findChild<QLabel*>()->text().startsWith(QStringLiteral("Записи со словом «рОмАшКа»: найдено 3")));
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
    QCOMPARE(results->isVisible(), current.isEmpty()); // closed once the entry is shown
}

void TestUnitHistory::neverAnotherEntry_data()
{
    QTest::addColumn<Meanwhile>("meanwhile");
    QTest::addColumn<QString>("current"); // the current entry's owner after, or empty
    QTest::addColumn<QString>("message"); // the start of what the user is told, or empty
    const QString gone = QStringLiteral("Архив «2025.csv» загружен, но этой записи в нём больше нет");
    // The first search's end, queued, must not be taken for the second's.
    QTest::newRow("two searches at once") << Meanwhile([](WindowFixture& f, UnitHistoryWindow& results) {
        QSignalSpy searched(&results, &UnitHistoryWindow::searched);
        int shownFirst = -1;
        const QMetaObject::Connection first = QObject::connect(&results, &UnitHistoryWindow::searched, &results,
            [&] { shownFirst = shownFirst < 0 ? results.table().rowCount() : shownFirst; });
        f.window->model().setRows(300'000); // the second search takes a while
        searchAgain(f);
        searchAgain(f);
        const bool came = searched.wait();
        QObject::disconnect(first); // the locals it writes end here
        QVERIFY(came);
        QCOMPARE(shownFirst, 3);
        QCOMPARE(searched.size(), 1);
        results.findChild<QTableView*>()->setCurrentIndex(results.table().index(1, 0));
    }) << "Петров"
                                          << "";
    // A newer archive shifts the files the new search reads; the row chosen
    // is still the old results' own.
    QTest::newRow("a row of the results shown while another search runs")
        << Meanwhile([](WindowFixture& f, UnitHistoryWindow&) {
               f.writeRegister(QStringLiteral("9;;;;;;Новый;\r\n"), QStringLiteral("Archive/2026.csv"));
               QFile newer(f.path(QStringLiteral("Archive/2026.csv")));
               QVERIFY(newer.open(QIODevice::ReadWrite) &&
                       newer.setFileTime(QDateTime::currentDateTime().addDays(1), QFileDevice::FileModificationTime));
               searchAgain(f);
           })
        << "Петров"
        << "";
    QTest::newRow("the archive sorted since") << Meanwhile([](WindowFixture& f, UnitHistoryWindow&) {
        f.writeRegister(QStringLiteral("3;;;;;;Петрова;\r\n1;;;;;;Сидоров;\r\n2;;;;;;Петров;\r\n"),
            QStringLiteral("Archive/2025.csv"));
    }) << "Петров"
                                              << "";
    QTest::newRow("the entry deleted from the archive since") << Meanwhile([](WindowFixture& f, UnitHistoryWindow&) {
        f.writeRegister(QStringLiteral("1;;;;;;Петров;\r\n3;;;;;;Петрова;\r\n"), QStringLiteral("Archive/2025.csv"));
    }) << "" << gone;
}

// A row chosen in «История ЭКЛЗ» shows its own entry or says it is gone,
// whatever changed or ran since the search; Escape closes the window.
void TestUnitHistory::neverAnotherEntry()
{
    QFETCH(Meanwhile, meanwhile);
    QFETCH(QString, current);
    QFETCH(QString, message);
    WindowFixture f;
    QVERIFY(QDir(f.folder.path()).mkpath(QStringLiteral("Archive")));
    f.writeRegister(
        QStringLiteral("1;;;;;;Сидоров;\r\n2;;;;;;Петров;\r\n3;;;;;;Петрова;\r\n"), QStringLiteral("Archive/2025.csv"));
    f.open(QStringLiteral("10;;;;;;Петров;\r\n"));
    f.grid().setRow(1);
    f.grid().setCol(6);
    QTest::keyClick(f.button("CmdProd"), Qt::Key_H, Qt::ControlModifier);
    UnitHistoryWindow* results = f.window->unitHistory().results();
    QVERIFY(results);
    results->waitForSearch();
    auto* view = results->findChild<QTableView*>();
    view->setCurrentIndex(results->table().index(1, 0));
    meanwhile(f, *results);
    QTest::keyClick(view, Qt::Key_Return);
    if (!current.isEmpty())
        QCOMPARE(f.grid().TextMatrix(f.grid().Row(), 6), current);
    QCOMPARE(f.desktop.messages.empty() ? QString() : f.desktop.messages.back().text.left(message.size()), message);
    results->waitForSearch();

    f.desktop.answers = {QStringLiteral("Петров")};
    f.window->unitHistory().run();
    results->waitForSearch();
    QVERIFY(results->isVisible());
    QTest::keyClick(view, Qt::Key_Escape);
    QVERIFY(!results->isVisible());
}

QTEST_MAIN(TestUnitHistory)
#include "tst_unithistory.moc"
