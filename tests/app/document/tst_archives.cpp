#include "WindowFixture.h"
#include "app/desktop/Fonts.h"

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
