#include "FileSystemHelpers.h"
#include "WindowFixture.h"
#include "app/desktop/Fonts.h"
#include "storage/RegisterFormat.h"

#include <QDir>
#include <QRandomGenerator>

class TestBadInput : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void binaryGarbageLoadsOrIsReported();
    void twoMillionLinesOfAHundredMegabytes();
    void impossibleActivationDatesKeepTheirBlockingDate();
    void readOnlyFolderIsReported();
    void folderNamedLikeTheRegisterIsReported();
    void archiveThatIsAFileIsReported();
    void fullDiskIsReportedAndTheOldFileKept();
    void busyPointerReturnsAfterEveryOperation_data();
    void busyPointerReturnsAfterEveryOperation();
};

void TestBadInput::binaryGarbageLoadsOrIsReported()
{
    for (int round = 0; round < 20; ++round) {
        WindowFixture f;
        QByteArray garbage(40000 + round * 997, Qt::Uninitialized);
        for (char& byte : garbage)
            byte = static_cast<char>(QRandomGenerator::global()->generate() & 0xff);
        if (round % 2)
            garbage.replace('\r', 'x').replace('\n', 'x'); // one line far too long
        f.writeBytes(garbage);
        f.press("CmdZagruz");
        if (round % 2) {
            QCOMPARE(f.desktop.messages.size(), size_t {1});
        } else {
            QVERIFY(f.desktop.messages.empty());
            QCOMPARE(f.grid().Rows() - 1, RegisterFormat::parse(garbage)->size());
            f.press("CmdSave"); // may refuse a cell with a LF, but never tears the file
            QVERIFY(!f.readBytes().isEmpty());
        }
    }
}

void TestBadInput::twoMillionLinesOfAHundredMegabytes()
{
    WindowFixture f;
    const QByteArray line = "8710000101;0001234567;;;ЭКР 2102К;102345;ООО Ромашка и партнёры;\r\n";
    QByteArray bytes;
    bytes.reserve(line.size() * 2000000);
    for (int i = 0; i < 2000000; ++i)
        bytes += line;
    QVERIFY(bytes.size() > 100 * 1000 * 1000);
    f.writeBytes(bytes);
    bytes.clear();
    f.press("CmdZagruz");
    QVERIFY(f.desktop.messages.empty());
    QCOMPARE(f.grid().Rows(), 2000001);
    QCOMPARE(f.grid().TextMatrix(2000000, 5), QStringLiteral("102345"));
}

void TestBadInput::impossibleActivationDatesKeepTheirBlockingDate()
{
    WindowFixture f;
    f.writeRegister(QStringLiteral("1;;31.02.2009;kept;;;;\r\n2;;скоро;kept;;;;\r\n3;;15.01.2009;;;;;\r\n"));
    f.press("CmdZagruz");
    QCOMPARE(f.grid().TextMatrix(1, 3), QStringLiteral("kept"));
    QCOMPARE(f.grid().TextMatrix(2, 3), QStringLiteral("kept"));
    QCOMPARE(f.grid().TextMatrix(3, 3), QStringLiteral("01.03.2010"));
}

void TestBadInput::readOnlyFolderIsReported()
{
    // No file there to write in place: the save cannot happen.
    WindowFixture f;
    f.grid().setTextMatrix(1, 0, QStringLiteral("new"));
    ReadOnlyGuard guard(f.folder.path());
    if (!guard.ok())
        QSKIP("cannot make a folder read-only here");
    f.press("CmdSave");
    QCOMPARE(f.desktop.messages.size(), size_t {1});
    QVERIFY(f.desktop.messages[0].text.contains(f.path(QStringLiteral("thisyear.csv"))));
    QCOMPARE(f.desktop.messages[0].title, QStringLiteral("Palomet"));
    QVERIFY(!QFile::exists(f.path(QStringLiteral("thisyear.csv"))));
    QCOMPARE(f.grid().TextMatrix(1, 0), QStringLiteral("new"));
}

void TestBadInput::folderNamedLikeTheRegisterIsReported()
{
    WindowFixture f;
    QVERIFY(QDir(f.folder.path()).mkdir(QStringLiteral("thisyear.csv")));
    f.grid().setTextMatrix(1, 0, QStringLiteral("kept"));
    f.press("CmdSave");
    QCOMPARE(f.desktop.messages.size(), size_t {1});
    QVERIFY(f.desktop.messages[0].text.contains(QStringLiteral("папка")));
    QCOMPARE(f.grid().TextMatrix(1, 0), QStringLiteral("kept"));
}

void TestBadInput::archiveThatIsAFileIsReported()
{
    WindowFixture f;
    f.writeBytes("not a folder", QStringLiteral("Archive"));
    f.desktop.answers = QStringList {QStringLiteral("2009"), QStringLiteral("2009")};
    f.press("CmdSaveAs");
    QCOMPARE(f.desktop.messages.size(), size_t {1});
    QVERIFY(f.desktop.messages[0].text.contains(QStringLiteral("Archive")));
    f.press("CmdZArch");
    QCOMPARE(f.desktop.messages.size(), size_t {2});
    QCOMPARE(f.desktop.messages[1].text, QStringLiteral("Не могу найти  указанный год."));
    QCOMPARE(f.readBytes(QStringLiteral("Archive")), QByteArray("not a folder"));
}

void TestBadInput::fullDiskIsReportedAndTheOldFileKept()
{
    WindowFixture f;
    SmallFileSystem disk(f.folder.path(), 64);
    if (!disk.mounted())
        QSKIP("mounting a small file system needs root");
    const QByteArray old(40 * 1024, 'o');
    f.writeBytes(old);
    for (int i = 0; i < 2000; ++i)
        f.grid().model().AddItem(QStringLiteral("8710000101"));
    f.desktop.replies = {true}; // replace the register never opened here
    f.press("CmdSave");
    QCOMPARE(f.desktop.messages.size(), size_t {1});
    QVERIFY(f.desktop.messages[0].text.contains(QStringLiteral("не хватает места")));
    QCOMPARE(f.readBytes(), old);
}

void TestBadInput::busyPointerReturnsAfterEveryOperation_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("fails");
    QTest::newRow("a save that fails") << "save" << true;
    QTest::newRow("a save as that fails") << "save as" << true;
    QTest::newRow("a name too long for the file system") << "long name" << true;
    QTest::newRow("a load that fails") << "load" << true;
    QTest::newRow("a print that fails") << "print" << true;
    QTest::newRow("a header sort") << "sort" << false;
    QTest::newRow("a search") << "search" << false;
}

void TestBadInput::busyPointerReturnsAfterEveryOperation()
{
    QFETCH(QString, operation);
    QFETCH(bool, fails);
    WindowFixture f;
    f.open(QStringLiteral("2;b;;;;;;\r\n1;a;;;;;;\r\n"));
    f.grid().setTextMatrix(1, 6, QStringLiteral("a;b"));
    f.desktop.busyChanges.clear();
    if (operation == u"save") {
        f.press("CmdSave");
    } else if (operation == u"save as") {
        f.desktop.answers = QStringList {QStringLiteral("2009")};
        f.press("CmdSaveAs");
    } else if (operation == u"long name") {
        f.grid().setTextMatrix(1, 6, QStringLiteral("ok"));
        f.desktop.answers = QStringList {QString(200, u'Я')}; // 400 bytes in UTF-8
        f.press("CmdSaveAs");
        QVERIFY(f.desktop.messages.at(0).text.contains(QStringLiteral("имя файла слишком длинное")));
    } else if (operation == u"load") {
        f.writeBytes(QByteArray(RegisterFormat::maxLineLength + 1, 'x'));
        f.desktop.replies = {true};
        f.press("CmdZagruz");
    } else if (operation == u"print") {
        f.desktop.pdfPath = QStringLiteral("/nonexistent/folder/register.pdf");
        f.press("CmdPrint");
    } else if (operation == u"sort") {
        QTest::mouseClick(f.window->gridWidget()->viewport(), Qt::LeftButton, {}, f.cellCentre(0, 0));
    } else {
        f.desktop.answers = QStringList {QStringLiteral("1")};
        f.press("CmdSearh");
    }
    QVERIFY(!f.desktop.busyChanges.empty());
    QCOMPARE(std::count(f.desktop.busyChanges.begin(), f.desktop.busyChanges.end(), true),
        std::count(f.desktop.busyChanges.begin(), f.desktop.busyChanges.end(), false));
    QCOMPARE(f.desktop.busyDepth, 0);
    QCOMPARE(f.desktop.messages.size(), size_t(fails));
    for (const auto& message : f.desktop.messages)
        QCOMPARE(message.busyDepth, 0); // the default pointer is back before a box
}

QTEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
