// Saves that would replace a register or an archive the grid does not hold
// ask first; archives are found whatever the case of their names.
#include "WindowFixture.h"
#include "app/desktop/ConflictWindow.h"
#include "app/desktop/Fonts.h"
#include "storage/RegisterFormat.h"
#include "storage/RegisterLock.h"
#include "storage/RegisterReader.h"

#include <QDialogButtonBox>
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
    void conflictsAreDecidedByKeyboard();
    void joinsTheOtherDesksWork_data();
    void joinsTheOtherDesksWork();
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
    QTest::addColumn<QString>("joined"); // what the other's save left that the file keeps, when joined
    QTest::newRow("opened, unchanged") << "open" << false << ""
                                       << "";
    QTest::newRow("saved here, saved again") << "open save" << false << ""
                                             << "";
    QTest::newRow("no file on disk") << "delete" << false << ""
                                     << "";
    QTest::newRow("never opened: no") << "" << false << "не открывался"
                                      << "";
    QTest::newRow("never opened: yes") << "" << true << "не открывался"
                                       << "";
    QTest::newRow("archive loaded") << "archive" << false << "архив «2009.csv»"
                                    << "";
    QTest::newRow("load stopped part-way") << "broken" << true << "не полностью"
                                           << "";
    QTest::newRow("saved by a second window: joined") << "open second" << false << ""
                                                      << "SECOND";
    QTest::newRow("changed by another program: joined") << "open touch" << false << ""
                                                        << "200";
    QTest::newRow("changed into a file cut short: asked") << "open damage" << true << "изменён"
                                                          << "";
    // A question holds no lock: a second window saves while it is open, and
    // the first window's "Да" joins its work, with no second question.
    QTest::newRow("a second window saves during the question") << "open eighth during" << true << "первые 7 колонок"
                                                               << "SECOND";
    QTest::newRow("text in an eighth column: no") << "open eighth" << false << "первые 7 колонок"
                                                  << "";
    QTest::newRow("text in an eighth column: yes") << "open eighth" << true << "первые 7 колонок"
                                                   << "";
}

void TestSaveGuard::registerSaveAsksUnlessTheGridHoldsTheFile()
{
    QFETCH(QString, before);
    QFETCH(bool, reply);
    QFETCH(QString, asked);
    QFETCH(QString, joined);
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
            second.grid().setTextMatrix(1, 4, QStringLiteral("SECOND"));
            second.findChild<QPushButton*>(QStringLiteral("CmdSave"))->click();
            QVERIFY(desktop.questions.empty());
            onDisk = f.readBytes();
            QVERIFY(onDisk.contains(";SECOND;"));
        } else if (step == u"during") {
            f.desktop.duringQuestion = [&] {
                f.desktop.duringQuestion = nullptr;
                ScriptedDesktop desktop;
                FrmEKLZ second(desktop, f.folder.path(), f.logs.path());
                second.findChild<QPushButton*>(QStringLiteral("CmdZagruz"))->click();
                second.grid().setTextMatrix(1, 4, QStringLiteral("SECOND"));
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
        } else if (step == u"damage") {
            QThread::msleep(10);
            onDisk = encoded(sample) + QByteArray(RegisterFormat::maxLineLength + 1, 'x');
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
    QCOMPARE(f.desktop.messages.size(), size_t(before == u"broken" || !joined.isEmpty()));
    QCOMPARE(f.readBytes().contains("EDITED"), written);
    if (!joined.isEmpty()) {
        QVERIFY(f.readBytes().contains(joined.toLatin1()));
        QVERIFY2(f.desktop.messages[0].text.startsWith(
                     QStringLiteral("Журнал сохранён вместе с изменениями, сделанными на другом рабочем месте")),
            qPrintable(f.desktop.messages[0].text));
    }
    if (!written)
        QCOMPARE(f.readBytes(), onDisk);
}

namespace {

// Edits separated by '|': "ROW,COL,TEXT" writes a cell, "-ROW" deletes an
// entry, "sort" sorts by serial number.
void edit(GridModel& grid, const QString& edits)
{
    for (const QString& change : edits.split(u'|', Qt::SkipEmptyParts)) {
        if (change == u"sort") {
            grid.sort(1, grid.Rows() - 1, 0, 0);
        } else if (change.startsWith(u'-')) {
            grid.RemoveItem(change.mid(1).toInt());
        } else {
            grid.setTextMatrix(
                change.section(u',', 0, 0).toInt(), change.section(u',', 1, 1).toInt(), change.section(u',', 2));
        }
    }
}

// Each entry's serial number and owner: "3:Сидоров,1:Иванов".
QString owners(const GridModel& grid)
{
    QStringList entries;
    for (int row = 1; row < grid.Rows(); ++row)
        entries << grid.TextMatrix(row, 0) + u':' + grid.TextMatrix(row, 6);
    return entries.join(u',');
}

QString owners(const QString& file)
{
    GridModel model;
    return RegisterReader::loadInto(model, file) == RegisterReader::Status::Ok ? owners(model) : QString();
}

} // namespace

// «Изменения на двух рабочих местах» with the keys alone: «Оставить их» and
// «Оставить мои» decide the row selected and go on to the next, «Сохранить»
// is there once every row is decided, Escape leaves.
void TestSaveGuard::conflictsAreDecidedByKeyboard()
{
    const std::vector<Desktop::Conflict> rows {{"1 (строка 1)", "Владелец", "там", "здесь"}, {"2", "Модель", "A", "B"}};
    for (const bool cancel : {false, true}) {
        ConflictWindow window(QStringLiteral("intro"), rows);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QAbstractButton* save = window.findChild<QDialogButtonBox*>()->buttons().value(0);
        QVERIFY(save->text() == u"Сохранить" && !save->isEnabled());
        // From the list, Tab reaches «Оставить их», then «Оставить мои»;
        // a decision brings the focus back to the list, on the next row.
        const auto press = [&](int tabs) {
            for (int tab = 0; tab < tabs; ++tab)
                QTest::keyClick(window.focusWidget(), Qt::Key_Tab);
            QTest::keyClick(window.focusWidget(), Qt::Key_Space);
        };
        press(1);
        QVERIFY(!save->isEnabled());
        press(2);
        QVERIFY(save->isEnabled() && save->hasFocus());
        QTest::keyClick(window.focusWidget(), cancel ? Qt::Key_Escape : Qt::Key_Return);
        QCOMPARE(window.result(), cancel ? QDialog::Rejected : QDialog::Accepted);
        QCOMPARE(window.choices(), (std::vector<bool> {true, false}));
    }
}

// Two windows on one folder, each with its own edits: the second saves, then
// the first, which joins the second's work with its own, asking only about
// what both changed, as one undo step.
void TestSaveGuard::joinsTheOtherDesksWork_data()
{
    QTest::addColumn<QString>("theirs"); // the second window's edits
    QTest::addColumn<QString>("ours");
    QTest::addColumn<int>("reply"); // in the conflict window: 1 all theirs, 0 all mine, -1 «Отмена»
    QTest::addColumn<QStringList>("conflicts"); // "entry|column|there|here"
    QTest::addColumn<QString>("saved"); // owners(), or empty when nothing is saved
    QTest::addColumn<QString>("counts");
    QTest::newRow("each its own entry") << "1,6,THEIRS"
                                        << "2,6,MINE" << 0 << QStringList() << "3:THEIRS,1:MINE,2:Петров"
                                        << "добавлено 0, изменено 1, удалено 0";
    QTest::newRow("sorted there: their order") << "sort|1,6,THEIRS"
                                               << "1,6,MINE" << 0 << QStringList() << "1:THEIRS,2:Петров,3:MINE"
                                               << "добавлено 0, изменено 1, удалено 0";
    const QStringList sameCell {"3 (строка 1)|Владелец|THEIRS|MINE"};
    QTest::newRow("the same cell: theirs") << "1,6,THEIRS"
                                           << "1,6,MINE" << 1 << sameCell << "3:THEIRS,1:Иванов,2:Петров"
                                           << "добавлено 0, изменено 1, удалено 0";
    QTest::newRow("the same cell: mine") << "1,6,THEIRS"
                                         << "1,6,MINE" << 0 << sameCell << "3:MINE,1:Иванов,2:Петров"
                                         << "добавлено 0, изменено 0, удалено 0";
    QTest::newRow("the same cell: cancelled") << "1,6,THEIRS"
                                              << "1,6,MINE" << -1 << sameCell << ""
                                              << "";
    QTest::newRow("changed there, deleted here: theirs")
        << "2,6,THEIRS"
        << "-2" << 1
        << QStringList {"1 (строка 2 там)|вся запись|1; 100; 01.11.2008; 01.01.2010; АМС; 9; THEIRS|запись удалена"}
        << "3:Сидоров,1:THEIRS,2:Петров"
        << "добавлено 1, изменено 0, удалено 0";
}

void TestSaveGuard::joinsTheOtherDesksWork()
{
    QFETCH(QString, theirs);
    QFETCH(QString, ours);
    QFETCH(int, reply);
    QFETCH(QStringList, conflicts);
    QFETCH(QString, saved);
    QFETCH(QString, counts);
    WindowFixture f;
    f.writeRegister(WindowFixture::threeEntries);
    f.press("CmdZagruz");
    {
        WindowFixture second(f.folder.path());
        second.press("CmdZagruz");
        edit(second.grid().model(), theirs);
        second.press("CmdSave");
        QVERIFY(second.desktop.questions.empty() && second.desktop.messages.empty());
    }
    const QByteArray theirFile = f.readBytes();
    edit(f.grid().model(), ours);
    const QString mine = owners(f.grid().model());
    if (reply >= 0)
        f.desktop.conflictReply = reply == 1;
    f.press("CmdSave");

    QStringList asked;
    for (const auto& window : f.desktop.conflictWindows)
        for (const Desktop::Conflict& row : window.rows)
            asked << QStringList {row.entry, row.column, row.there, row.here}.join(u'|');
    QCOMPARE(asked, conflicts);
    QVERIFY(f.desktop.questions.empty());
    if (saved.isEmpty()) { // cancelled: the file and the grid as they were
        QCOMPARE(f.readBytes(), theirFile);
        QCOMPARE(owners(f.grid().model()), mine);
        QVERIFY(f.desktop.messages.empty());
        return;
    }
    QCOMPARE(owners(f.path(QStringLiteral("thisyear.csv"))), saved);
    QCOMPARE(owners(f.grid().model()), saved);
    QCOMPARE(f.desktop.messages.size(), size_t(1));
    QCOMPARE(f.desktop.messages[0].text,
        QStringLiteral("Журнал сохранён вместе с изменениями, сделанными на другом рабочем месте (%1): %2 записей.")
            .arg(RegisterLock::thisDesk(), counts.section(QStringLiteral(" записей"), 0, 0)));
    QCOMPARE(f.desktop.messages[0].title, QStringLiteral("Palomet"));
    // The join is one step, taken back with Ctrl+Z; what the first window
    // saved was joined with what the second did.
    if (owners(f.grid().model()) != mine) {
        QCOMPARE(f.window->undoStack().undoText(), QStringLiteral("Слияние с изменениями другого рабочего места"));
        f.window->undoStack().undo();
        QCOMPARE(owners(f.grid().model()), mine);
    }
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
