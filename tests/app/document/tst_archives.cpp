#include "WindowFixture.h"
#include "app/desktop/Fonts.h"

#include <QAction>
#include <QDir>
#include <QGuiApplication>

// «Сохранить как» and «Загрузить архив»: archives written and read back,
// missing ones reported, names that would leave Archive refused.
class TestArchives : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void archiveRoundTrip_data();
    void archiveRoundTrip();
    void missingArchivesAreReported();
    void archiveNameThatLeavesTheFolderIsRefused();
    void newYear_data();
    void newYear();
};

void TestArchives::archiveRoundTrip_data()
{
    QTest::addColumn<QString>("answer");
    QTest::newRow("lower") << "arch";
    QTest::newRow("upper") << "ARCH";
    QTest::newRow("mixed") << "Arch";
}

void TestArchives::archiveRoundTrip()
{
    QFETCH(QString, answer);
    WindowFixture f;
    f.open(WindowFixture::threeEntries);
    f.desktop.answers = QStringList {QStringLiteral("arch")};
    f.press("CmdSaveAs");
    QCOMPARE(f.desktop.prompts.value(0), QStringLiteral("Введите имя файла"));
    QVERIFY(QFile::exists(f.path(QStringLiteral("Archive/ARCH.csv"))));

    f.grid().setTextMatrix(1, 3, QStringLiteral("stored"));
    f.desktop.answers = QStringList {QStringLiteral("arch")};
    f.desktop.replies = {true}; // "Да": replace the archive
    f.press("CmdSaveAs");
    QCOMPARE(f.desktop.questions.size(), size_t {1});
    f.press("CmdZagruz");
    f.desktop.answers = QStringList {answer};
    f.press("CmdZArch");
    QCOMPARE(f.desktop.prompts.last(), QStringLiteral("Введите год (или другое имя файла)"));
    QCOMPARE(f.grid().Rows(), 4);
    QCOMPARE(f.grid().Cols(), 8);
    QCOMPARE(f.grid().TextMatrix(1, 3), QStringLiteral("stored")); // no pass on archives
    QVERIFY(f.desktop.messages.empty());
    QCOMPARE(f.desktop.busyChanges.back(), false);
    // The caption says the grid holds an archive, which a save would write
    // over the register; «Palomet» alone is the register again.
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Palomet — архив «ARCH.csv»"));
    f.press("CmdZagruz");
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Palomet"));
}

void TestArchives::missingArchivesAreReported()
{
    WindowFixture f;
    f.open(WindowFixture::threeEntries);
    f.desktop.answers = QStringList {QStringLiteral("2009")};
    f.press("CmdZArch"); // no Archive folder at all
    QCOMPARE(f.grid().Rows(), 2);
    QCOMPARE(f.desktop.messages.size(), size_t {1});
    QCOMPARE(f.desktop.messages[0].text, QStringLiteral("Не могу найти  указанный год."));

    f.desktop.answers = QStringList {QStringLiteral("2009")};
    f.press("CmdSaveAs");
    f.desktop.answers = QStringList {QStringLiteral("2008")};
    f.press("CmdZArch");
    QCOMPARE(f.desktop.messages.size(), size_t {2});
    QCOMPARE(f.grid().Rows(), 2);

    f.press("CmdZagruz");
    f.press("CmdZArch"); // cancelled: nothing happens
    QCOMPARE(f.grid().Rows(), 4);
    QCOMPARE(f.desktop.messages.size(), size_t {2});
}

void TestArchives::archiveNameThatLeavesTheFolderIsRefused()
{
    WindowFixture f;
    f.open(WindowFixture::threeEntries);
    f.desktop.answers = QStringList {QStringLiteral("../thisyear"), QStringLiteral("..")};
    f.press("CmdSaveAs");
    f.press("CmdZArch");
    QCOMPARE(f.desktop.messages.size(), size_t {2});
    QVERIFY(f.desktop.messages[0].text.contains(QStringLiteral("«../THISYEAR»")));
    QVERIFY(!QDir(f.path(QStringLiteral("Archive"))).exists());
    QCOMPARE(f.grid().Rows(), 4); // the refused load left the grid alone
}

QTEST_MAIN(TestArchives)
#include "tst_archives.moc"

void TestArchives::newYear_data()
{
    QTest::addColumn<bool>("archiveThere"); // 2009.csv before
    QTest::addColumn<bool>("changedElsewhere"); // thisyear.csv rewritten after the load
    QTest::addColumn<bool>("reply"); // to the question the save asks
    QTest::addColumn<bool>("archived"); // 2009.csv holds the register after
    QTest::addColumn<bool>("started"); // thisyear.csv is empty, its old self in Backup
    QTest::addColumn<QString>("message"); // the start of what the user is told, or empty
    QTest::newRow("no archive of that year") << false << false << false << true << true << "";
    QTest::newRow("the archive replaced") << true << false << true << true << true << "";
    QTest::newRow("the archive kept") << true << false << false << false << false << "";
    QTest::newRow("the register changed elsewhere, kept")
        << false << true << false << true << false
        << "Архив «2009.csv» записан, в нём весь журнал. Новый журнал не начат";
}

// «Начать новый год…» archives the register under the year of its newest
// activation, then starts an empty one; a save that does not happen loses
// nothing and says which file holds what.
void TestArchives::newYear()
{
    QFETCH(bool, archiveThere);
    QFETCH(bool, changedElsewhere);
    QFETCH(bool, reply);
    QFETCH(bool, archived);
    QFETCH(bool, started);
    QFETCH(QString, message);
    WindowFixture f;
    QVERIFY(QDir(f.folder.path()).mkpath(QStringLiteral("Archive")));
    const QByteArray older = "old;;;;;;\r\n";
    if (archiveThere)
        f.writeBytes(older, QStringLiteral("Archive/2009.csv"));
    f.open(WindowFixture::threeEntries);
    const QByteArray before = f.readBytes();
    const QByteArray elsewhere = "4;;01.01.2009;;;;\r\n";
    if (changedElsewhere)
        f.writeBytes(elsewhere);
    f.desktop.answers = {QStringLiteral("2009")};
    f.desktop.replies = {reply};
    for (QAction* action : f.window->findChildren<QAction*>())
        if (action->text() == QStringLiteral("Начать новый год…"))
            action->trigger();
    QCOMPARE(
        f.desktop.prompts.value(0), QStringLiteral("Сохранить журнал в архив «2009» и начать новый, пустой журнал?"));
    QCOMPARE(f.desktop.offered.value(0), QStringLiteral("2009"));
    QCOMPARE(f.readBytes(QStringLiteral("Archive/2009.csv")) == older, !archived && archiveThere);
    QCOMPARE(f.readBytes(QStringLiteral("Archive/2009.csv")).startsWith("3;300;15.01.2009"), archived);
    QCOMPARE(f.readBytes().isEmpty(), started);
    QCOMPARE(f.readBytes() == (changedElsewhere ? elsewhere : before), !started);
    QCOMPARE(
        QDir(f.path(QStringLiteral("Backup"))).entryList({QStringLiteral("thisyear-*.csv")}).size(), started ? 1 : 0);
    QCOMPARE(f.grid().Rows() <= FlexGrid::FixedRows + 1 && f.grid().TextMatrix(1, 0).isEmpty(), started);
    QCOMPARE(f.desktop.messages.empty() ? QString() : f.desktop.messages.back().text.left(message.size()), message);
}
