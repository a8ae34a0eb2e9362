// Saves that would replace a register or an archive the grid does not hold
// ask first; archives are found whatever the case of their names.
#include "WindowFixture.h"
#include "app/desktop/Fonts.h"
#include "storage/RegisterFormat.h"

#include <QDir>
#include <functional>
#include <unistd.h>

namespace {

const QString sample = QStringLiteral("1;100;15.01.2009;01.03.2010;ЭКР;7;Иванов;\r\n");
QByteArray encoded(const QString& text)
{
    return QStringEncoder("windows-1251").encode(text);
}

const QByteArray edited = encoded(QString(sample).replace(QStringLiteral("Иванов"), QStringLiteral("EDITED")));

// name may begin with "../" for a file beside Archive, or be "->TARGET" for
// Archive/LINK.csv, a symbolic link to TARGET.
void writeArchive(WindowFixture& f, const QString& name)
{
    for (const char* folder : {"Archive", "Backup"})
        QDir(f.folder.path()).mkdir(QLatin1String(folder));
    if (name.startsWith(QStringLiteral("->"))) {
        f.writeRegister(sample);
        QFile::link(name.mid(2), f.path(QStringLiteral("Archive/LINK.csv")));
        return;
    }
    f.writeRegister(sample, QStringLiteral("Archive/") + name);
}

// What the user does after opening the register, in the window of a fixture.
using Change = std::function<void(WindowFixture&)>;

} // namespace

Q_DECLARE_METATYPE(Change)

class TestSaveGuard : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void registerSaveAsksUnlessTheGridHoldsTheFile_data();
    void registerSaveAsksUnlessTheGridHoldsTheFile();
    void saveAsAsksBeforeReplacingAnArchive_data();
    void saveAsAsksBeforeReplacingAnArchive();
    void archivesAreFoundInAnyCase_data();
    void archivesAreFoundInAnyCase();
    void readOnlyFolderWritesTheFileInPlace();
    void loadAsksBeforeDroppingChanges_data();
    void loadAsksBeforeDroppingChanges();
};

void TestSaveGuard::registerSaveAsksUnlessTheGridHoldsTheFile_data()
{
    QTest::addColumn<QString>("before"); // what happened before the owner cell was edited
    QTest::addColumn<bool>("reply");
    QTest::addColumn<QString>("asked"); // a part of the question, or empty for none
    QTest::newRow("opened, unchanged") << "open" << false << "";
    QTest::newRow("saved here, saved again") << "open save" << false << "";
    QTest::newRow("no file on disk") << "delete" << false << "";
    QTest::newRow("never opened: no") << "" << false << "не открывался";
    QTest::newRow("never opened: yes") << "" << true << "не открывался";
    QTest::newRow("archive loaded") << "archive" << false << "архив «2009.csv»";
    QTest::newRow("load stopped part-way") << "broken" << true << "не полностью";
    QTest::newRow("saved by a second window") << "open second" << false << "другим окном";
    QTest::newRow("changed by another program") << "open touch" << true << "изменён";
    // The question holds no lock: a second window saves while it is open,
    // and the first window's "Да" is asked again about the file as it is then.
    QTest::newRow("a second window saves during the question") << "open touch during" << false << "изменён";
    QTest::newRow("text in an eighth column: no") << "open eighth" << false << "первые 7 колонок";
    QTest::newRow("text in an eighth column: yes") << "open eighth" << true << "первые 7 колонок";
}

void TestSaveGuard::registerSaveAsksUnlessTheGridHoldsTheFile()
{
    QFETCH(QString, before);
    QFETCH(bool, reply);
    QFETCH(QString, asked);
    WindowFixture f;
    QByteArray onDisk = encoded(sample);
    f.writeBytes(onDisk);
    for (const QString& step : before.split(u' ', Qt::SkipEmptyParts)) {
        if (step == u"open") {
            f.press("CmdZagruz");
        } else if (step == u"save") {
            f.press("CmdSave");
        } else if (step == u"delete") {
            QFile::remove(f.path(QStringLiteral("thisyear.csv")));
            onDisk.clear();
        } else if (step == u"archive") {
            writeArchive(f, QStringLiteral("2009.csv"));
            f.desktop.answers = QStringList {QStringLiteral("2009")};
            f.press("CmdZArch");
        } else if (step == u"broken") {
            onDisk = encoded(sample) + QByteArray(RegisterFormat::maxLineLength + 1, 'x');
            f.writeBytes(onDisk);
            f.press("CmdZagruz");
        } else if (step == u"second") {
            ScriptedDesktop desktop;
            FrmEKLZ second(desktop, f.folder.path(), f.logs.path());
            second.findChild<QPushButton*>(QStringLiteral("CmdZagruz"))->click();
            second.grid().setTextMatrix(1, 0, QStringLiteral("SECOND"));
            second.findChild<QPushButton*>(QStringLiteral("CmdSave"))->click();
            QVERIFY(desktop.questions.empty());
            onDisk = f.readBytes();
            QVERIFY(onDisk.startsWith("SECOND;"));
        } else if (step == u"during") {
            f.desktop.duringQuestion = [&] {
                f.desktop.duringQuestion = nullptr;
                ScriptedDesktop desktop;
                FrmEKLZ second(desktop, f.folder.path(), f.logs.path());
                second.findChild<QPushButton*>(QStringLiteral("CmdZagruz"))->click();
                second.grid().setTextMatrix(1, 0, QStringLiteral("SECOND"));
                second.findChild<QPushButton*>(QStringLiteral("CmdSave"))->click();
                QVERIFY(desktop.messages.empty() && desktop.questions.empty()); // neither frozen nor busy
                onDisk = f.readBytes();
            };
        } else if (step == u"eighth") {
            f.grid().setTextMatrix(1, 7, QStringLiteral("в восьмой"));
        } else if (step == u"touch") {
            QThread::msleep(10);
            onDisk = encoded(sample).replace("100", "200");
            f.writeBytes(onDisk);
        }
    }
    f.grid().setTextMatrix(1, 0, QStringLiteral("1"));
    f.grid().setTextMatrix(1, 6, QStringLiteral("EDITED"));
    f.desktop.replies = {reply};
    f.press("CmdSave");

    if (asked.isEmpty()) {
        QVERIFY(f.desktop.questions.empty());
    } else {
        QCOMPARE(f.desktop.questions.size(), size_t {1});
        QVERIFY2(f.desktop.questions[0].text.contains(asked), qPrintable(f.desktop.questions[0].text));
        QCOMPARE(f.desktop.questions[0].title, QStringLiteral("Palomet"));
    }
    const bool written = asked.isEmpty() || reply;
    QVERIFY(f.desktop.messages.size() == size_t(before == u"broken"));
    QCOMPARE(f.readBytes().contains("EDITED"), written);
    if (!written)
        QCOMPARE(f.readBytes(), onDisk);
}

void TestSaveGuard::saveAsAsksBeforeReplacingAnArchive_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<bool>("reply");
    QTest::addColumn<QString>("asked");
    QTest::newRow("new name") << QStringList {} << false << "";
    QTest::newRow("exists: no") << QStringList {"2009.csv"} << false << "уже существует";
    QTest::newRow("exists: yes") << QStringList {"2009.csv"} << true << "уже существует";
    QTest::newRow("in another case") << QStringList {"2009.CSV"} << true << "«2009.CSV»";
    QTest::newRow("both") << QStringList {"2009.csv", "2009.Csv"} << false << "«2009.Csv»";
}

void TestSaveGuard::saveAsAsksBeforeReplacingAnArchive()
{
    QFETCH(QStringList, existing);
    QFETCH(bool, reply);
    QFETCH(QString, asked);
    WindowFixture f;
    for (const QString& name : existing)
        writeArchive(f, name);
    f.grid().setTextMatrix(1, 6, QStringLiteral("EDITED"));
    f.desktop.answers = QStringList {QStringLiteral("2009")};
    f.desktop.replies = {reply};
    f.press("CmdSaveAs");
    QCOMPARE(f.desktop.questions.size(), size_t(!asked.isEmpty()));
    if (!asked.isEmpty())
        QVERIFY2(f.desktop.questions[0].text.contains(asked), qPrintable(f.desktop.questions[0].text));
    const QByteArray saved = f.readBytes(QStringLiteral("Archive/2009.csv"));
    QCOMPARE(saved.contains("EDITED"), asked.isEmpty() || reply);
    for (const QString& name : existing) {
        if (name != u"2009.csv")
            QCOMPARE(f.readBytes(QStringLiteral("Archive/") + name), encoded(sample));
    }
}

void TestSaveGuard::archivesAreFoundInAnyCase_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("loaded");
    QTest::newRow("exact name") << QStringList {"ARCH.csv"} << "arch" << true;
    QTest::newRow("other case") << QStringList {"2008.CSV"} << "2008" << true;
    QTest::newRow("two candidates") << QStringList {"arch.csv", "Arch.CSV"} << "arch" << false;
    QTest::newRow("a kept version") << QStringList {"../Backup/thisyear-2026-12-01-090000.csv"}
                                    << "thisyear-2026-12-01-090000" << true;
    QTest::newRow("a link out of Archive") << QStringList {"->../thisyear.csv"} << "link" << false;
}

void TestSaveGuard::archivesAreFoundInAnyCase()
{
    QFETCH(QStringList, files);
    QFETCH(QString, typed);
    QFETCH(bool, loaded);
    WindowFixture f;
    for (const QString& name : files)
        writeArchive(f, name);
    f.grid().setTextMatrix(1, 0, QStringLiteral("before"));
    f.desktop.answers = QStringList {typed};
    f.desktop.replies = {true};
    f.press("CmdZArch");
    QCOMPARE(f.grid().TextMatrix(1, 6), loaded ? QStringLiteral("Иванов") : QString());
    QCOMPARE(f.desktop.messages.size(), size_t(!loaded));
    if (!loaded) {
        QCOMPARE(f.grid().TextMatrix(1, 0), QStringLiteral("before")); // nothing loaded
        for (const QString& name : files)
            QVERIFY(f.desktop.messages[0].text.contains(name.section(u'/', -1)));
    }
}

void TestSaveGuard::readOnlyFolderWritesTheFileInPlace()
{
    if (geteuid() == 0)
        QSKIP("root writes anywhere: this case runs as nobody (test tst_saveguard_readonly)");
    QTemporaryDir data; // the kept versions go there: the program folder is read-only
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    WindowFixture f;
    f.open(sample);
    writeArchive(f, QStringLiteral("2009.csv"));
    f.grid().setTextMatrix(1, 6, QStringLiteral("EDITED"));
    const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup;
    QVERIFY(QFile::setPermissions(f.path(QStringLiteral("Archive")), readOnly));
    QVERIFY(QFile::setPermissions(f.folder.path(), readOnly));
    f.press("CmdSave");
    f.desktop.answers = QStringList {QStringLiteral("2009")};
    f.desktop.replies = {true};
    f.press("CmdSaveAs");
    f.desktop.answers = QStringList {QStringLiteral("2010")}; // no file to write in place
    f.press("CmdSaveAs");
    QVERIFY(QFile::setPermissions(f.path(QStringLiteral("Archive")), QFile::ExeOwner));
    f.desktop.answers = QStringList {QStringLiteral("2009")};
    f.press("CmdZArch"); // an Archive that cannot be read says so
    QFile::setPermissions(f.folder.path(), readOnly | QFile::WriteOwner);
    QFile::setPermissions(f.path(QStringLiteral("Archive")), readOnly | QFile::WriteOwner);

    QCOMPARE(f.readBytes(), edited);
    QCOMPARE(f.readBytes(QStringLiteral("Archive/2009.csv")), edited);
    QCOMPARE(f.desktop.messages.size(), size_t {2});
    QVERIFY(f.desktop.messages[0].text.contains(QStringLiteral("2010.csv")));
    QVERIFY(f.desktop.messages[1].text.contains(QStringLiteral("нельзя прочитать")));
    const QDir kept(data.filePath(QStringLiteral("palomet/Backup")));
    QCOMPARE(kept.entryList({QStringLiteral("thisyear-*.csv")}).size(), 1);
    QCOMPARE(kept.entryList({QStringLiteral("2009-*.csv")}).size(), 1);
}

void TestSaveGuard::loadAsksBeforeDroppingChanges_data()
{
    QTest::addColumn<QString>("load"); // the button
    QTest::addColumn<Change>("change"); // made after opening the register
    QTest::addColumn<bool>("reply");
    QTest::addColumn<bool>("asks");
    QTest::addColumn<bool>("boxOpen"); // the cell box still open after a "Нет"
    const auto press = [](const char* button) { return Change([button](WindowFixture& f) { f.press(button); }); };
    QTest::newRow("unchanged") << "CmdZagruz" << Change([](WindowFixture&) {}) << false << false << false;
    QTest::newRow("a row added, no") << "CmdZagruz" << press("CmdAddS") << false << true << false;
    QTest::newRow("a row added, yes") << "CmdZagruz" << press("CmdAddS") << true << true << false;
    QTest::newRow("a pending cell box, no")
        << "CmdZagruz" << Change([](WindowFixture& f) { f.retype(1, 6, QStringLiteral("Сидоров")); }) << false << true
        << true;
    QTest::newRow("sorted, archive, no") << "CmdZArch" << Change([](WindowFixture& f) {
        QTest::mouseClick(f.window->gridWidget()->viewport(), Qt::LeftButton, {}, f.cellCentre(0, 6));
    }) << false << true << false;
    QTest::newRow("a column deleted, archive, yes") << "CmdZArch" << press("CmdDelC") << true << true << false;
    // The click's blocking pass only writes the dates the file already holds.
    QTest::newRow("a click, its pass equal") << "CmdZagruz" << Change([](WindowFixture& f) {
        f.open(QStringLiteral("2;200;15.01.2009;01.03.2010;ЭКР;7;Петров;\r\n"
                              "1;100;31.10.2008;01.12.2009;АМС;8;Иванов;\r\n"));
        f.clickCell(2, 0);
        QTest::mouseClick(f.lineEdit("TxtVvod"), Qt::LeftButton);
    }) << false << false << false;
}

void TestSaveGuard::loadAsksBeforeDroppingChanges()
{
    QFETCH(QString, load);
    QFETCH(Change, change);
    QFETCH(bool, reply);
    QFETCH(bool, asks);
    QFETCH(bool, boxOpen);
    WindowFixture f;
    writeArchive(f, QStringLiteral("2009.csv"));
    f.open(QStringLiteral("2;200;;;;;Петров;\r\n1;100;;;;;Иванов;\r\n"));
    change(f);
    const QString before = f.grid().TextMatrix(1, 6);
    const int rows = f.grid().Rows();
    const int cols = f.grid().Cols();
    f.desktop.answers = QStringList {QStringLiteral("2009")};
    f.desktop.replies = {reply};
    f.press(load.toLatin1().constData());
    QCOMPARE(f.desktop.questions.size(), size_t(asks));
    if (asks) {
        QCOMPARE(f.desktop.questions[0].title, QStringLiteral("Palomet"));
        QVERIFY(f.desktop.questions[0].text.contains(QStringLiteral("будут потеряны")));
    }
    if (asks && !reply) {
        QCOMPARE(f.grid().TextMatrix(1, 6), before);
        QCOMPARE(f.grid().Rows(), rows);
        QCOMPARE(f.grid().Cols(), cols);
        QVERIFY(!boxOpen || f.cellBox()->isVisible());
    } else {
        QCOMPARE(f.grid().TextMatrix(1, 6), load == u"CmdZArch" ? QStringLiteral("Иванов") : QStringLiteral("Петров"));
    }
}

QTEST_MAIN(TestSaveGuard)
#include "tst_saveguard.moc"
