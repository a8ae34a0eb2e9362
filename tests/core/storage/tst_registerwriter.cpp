#include "FileSystemHelpers.h"
#include "RegisterFiles.h"
#include "grid/GridModel.h"
#include "storage/ArchiveName.h"
#include "storage/FileReplacement.h"
#include "storage/KeptVersions.h"
#include "storage/RegisterFormat.h"
#include "storage/RegisterLock.h"
#include "storage/RegisterReader.h"
#include "storage/RegisterWriter.h"

#include <QSignalSpy>
#include <QStringEncoder>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

using namespace RegisterFiles;

// A grid holding the given rows below a header.
void fill(GridModel& grid, int cols, const std::vector<QStringList>& rows)
{
    grid.setCols(cols);
    grid.setRows(static_cast<int>(rows.size()) + 1);
    for (size_t r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            grid.setTextMatrix(static_cast<int>(r) + 1, c, rows[r][c]);
}

} // namespace

class TestRegisterWriter : public QObject {
    Q_OBJECT
private slots:
    void writesSevenFieldsPerLine_data();
    void writesSevenFieldsPerLine();
    void loadSaveLoadSaveGivesTheSameBytes();
    void everyByteSurvivesASave();
    void refusesCellsTheFileCannotCarry_data();
    void refusesCellsTheFileCannotCarry();
    void failuresLeaveTheOldFileWhole();
    void fullDiskLeavesTheOldFileWhole_data();
    void fullDiskLeavesTheOldFileWhole();
    void savesKeepWhatTheyReplace_data();
    void savesKeepWhatTheyReplace();
    void anotherUsersLockHolds_data();
    void anotherUsersLockHolds();
    void onlyTheNewestVersionsAreKept();
    void archiveNames_data();
    void archiveNames();
};

void TestRegisterWriter::writesSevenFieldsPerLine_data()
{
    QTest::addColumn<int>("cols");
    QTest::addColumn<std::vector<QStringList>>("rows");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("header only") << 7 << std::vector<QStringList> {} << QByteArray();
    QTest::newRow("empty entry") << 7 << std::vector<QStringList> {{}} << QByteArray(";;;;;;;\r\n");
    QTest::newRow("ten columns, three lost")
        << 10 << std::vector<QStringList> {{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}}
        << QByteArray("0;1;2;3;4;5;6;\r\n");
    QTest::newRow("three columns, four empty")
        << 3 << std::vector<QStringList> {{"a", "b", "c"}} << QByteArray("a;b;c;;;;;\r\n");
    QTest::newRow("blanks and cyrillic kept")
        << 8 << std::vector<QStringList> {{" Ж ", "№"}, {"", "", "", "", "", "", "Иванов"}}
        << cp1251(QStringLiteral(" Ж ;№;;;;;;\r\n;;;;;;Иванов;\r\n"));
}

void TestRegisterWriter::writesSevenFieldsPerLine()
{
    QFETCH(int, cols);
    QFETCH(std::vector<QStringList>, rows);
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("thisyear.csv"));
    GridModel grid;
    fill(grid, cols, rows);
    QVERIFY(RegisterWriter::save(grid, path).saved());
    QCOMPARE(readAll(path), bytes);
}

void TestRegisterWriter::loadSaveLoadSaveGivesTheSameBytes()
{
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("first.csv"));
    const QString second = dir.filePath(QStringLiteral("second.csv"));
    const QByteArray original =
        cp1251(QStringLiteral("8710000101;0001234567;15.01.2009;01.03.2010;ЭКР 2102К;102345;ООО Ромашка;\r\n"
                              ";;;;;;;\r\n"
                              " lead;trail ;29.02.2008;01.04.2009;АМС-100К;7;ИП Иванов И.И.;\r\n"));
    writeAll(first, original);
    for (const QString& target : {first, second}) {
        GridModel grid;
        RegisterFiles::resetForLoading(grid);
        QCOMPARE(RegisterReader::loadInto(grid, first), RegisterReader::Status::Ok);
        QCOMPARE(grid.Cols(), 8);
        QVERIFY(RegisterWriter::save(grid, target).saved());
        QCOMPARE(readAll(target), original);
    }
}

void TestRegisterWriter::everyByteSurvivesASave()
{
    // Every byte but the three that structure the file.
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        if (b != ';' && b != '\r' && b != '\n')
            all.append(static_cast<char>(b));
    QTemporaryDir dir;
    GridModel grid;
    fill(grid, 7, {{RegisterFormat::decode(all)}});
    const QString path = dir.filePath(QStringLiteral("bytes.csv"));
    QVERIFY(RegisterWriter::save(grid, path).saved());
    QCOMPARE(readAll(path), all + ";;;;;;;\r\n");
}

void TestRegisterWriter::refusesCellsTheFileCannotCarry_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<uint>("character");
    QTest::newRow("semicolon") << QStringLiteral("a;b") << uint(';');
    QTest::newRow("line feed") << QStringLiteral("a\nb") << uint('\n');
    QTest::newRow("carriage return") << QStringLiteral("a\rb") << uint('\r');
    QTest::newRow("no windows-1251 code") << QStringLiteral("€uro ✓") << uint(0x2713);
    QTest::newRow("outside the BMP") << QStringLiteral("x😀") << uint(0x1F600);
}

void TestRegisterWriter::refusesCellsTheFileCannotCarry()
{
    QFETCH(QString, text);
    QFETCH(uint, character);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("thisyear.csv"));
    writeAll(path, "old;;;;;;;\r\n");
    GridModel grid;
    fill(grid, 7, {{"fine"}, {"", "", "", "", text}});
    const auto outcome = RegisterWriter::save(grid, path);
    QCOMPARE(outcome.kind, RegisterWriter::Outcome::Kind::CellUnwritable);
    QCOMPARE(outcome.row, 2);
    QCOMPARE(outcome.col, 4);
    QCOMPARE(uint(outcome.character), character);
    QCOMPARE(readAll(path), QByteArray("old;;;;;;;\r\n"));
    QCOMPARE(grid.TextMatrix(2, 4), text);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList {"thisyear.csv"});
}

void TestRegisterWriter::failuresLeaveTheOldFileWhole()
{
    QTemporaryDir dir;
    GridModel grid;
    fill(grid, 7, {{"new"}});

    const QString folder = dir.filePath(QStringLiteral("folder"));
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(RegisterWriter::save(grid, folder).kind == RegisterWriter::Outcome::Kind::CannotOpen);

    const QString missing = dir.filePath(QStringLiteral("no/such/folder.csv"));
    QCOMPARE(RegisterWriter::save(grid, missing).kind, RegisterWriter::Outcome::Kind::CannotOpen);

    const QString readOnly = dir.filePath(QStringLiteral("readonly.csv"));
    writeAll(readOnly, "old;;;;;;;\r\n");
    {
        ReadOnlyGuard guard(readOnly);
        if (!guard.ok())
            QSKIP("cannot make a file read-only here");
        QVERIFY(!RegisterWriter::save(grid, readOnly).saved());
    }
    QCOMPARE(readAll(readOnly), QByteArray("old;;;;;;;\r\n"));

    // Thirty saves written in place (the file has a second name) that fail
    // half-way each copy the unchanged file: none pushes a real version out.
    const QString path = dir.filePath(QStringLiteral("thisyear.csv"));
    const QString backup = dir.filePath(QStringLiteral("Backup"));
    const QDateTime start(QDate(2026, 1, 1), QTime(12, 0));
    for (int i = 0; i < KeptVersions::versionsKept; ++i) {
        writeAll(path, "v" + QByteArray::number(i));
        KeptVersions::keep(path, backup, QStringLiteral("thisyear"), false, start.addSecs(i));
    }
    writeAll(path, "current");
    QCOMPARE(::link(qPrintable(path), qPrintable(dir.filePath(QStringLiteral("second name.csv")))), 0);
    FileReplacement::Guards guards;
    guards.backupFolder = backup;
    guards.keptName = QStringLiteral("thisyear");
    const auto halfAFile = [](const FileReplacement::Sink& sink) {
        sink("half a file");
        SaveOutcome failed;
        failed.kind = SaveOutcome::Kind::WriteFailed;
        return std::optional(failed);
    };
    for (int attempt = 0; attempt < KeptVersions::versionsKept; ++attempt) {
        const SaveOutcome outcome = FileReplacement::write(path, guards, halfAFile);
        QVERIFY(outcome.inPlace && outcome.restored);
    }
    QCOMPARE(readAll(path), QByteArray("current"));
    const QStringList kept = KeptVersions::versions(backup, QStringLiteral("thisyear"));
    QCOMPARE(kept.size(), KeptVersions::versionsKept + 1); // and the one copy of "current"
    for (int i = 0; i < KeptVersions::versionsKept; ++i)
        QCOMPARE(readAll(kept[i]), "v" + QByteArray::number(i));
}

void TestRegisterWriter::fullDiskLeavesTheOldFileWhole_data()
{
    QTest::addColumn<bool>("inPlace"); // the register has a second name
    QTest::newRow("replaced by a rename") << false;
    QTest::newRow("written in place, put back from its kept version") << true;
}

void TestRegisterWriter::fullDiskLeavesTheOldFileWhole()
{
    QFETCH(bool, inPlace);
    QTemporaryDir dir;
    QTemporaryDir backup;
    SmallFileSystem disk(dir.path(), 64);
    if (!disk.mounted())
        QSKIP("mounting a small file system needs root");
    const QString path = dir.filePath(QStringLiteral("thisyear.csv"));
    const QByteArray old(40 * 1024, 'o');
    writeAll(path, old);
    if (inPlace)
        QCOMPARE(::link(qPrintable(path), qPrintable(dir.filePath(QStringLiteral("second.csv")))), 0);
    GridModel grid;
    fill(grid, 7, std::vector<QStringList>(2000, QStringList {"8710000101", "0001234567", "15.01.2009"}));
    const auto outcome = RegisterWriter::save(grid, path, {backup.path(), QStringLiteral("thisyear"), {}, {}});
    QCOMPARE(outcome.kind, RegisterWriter::Outcome::Kind::WriteFailed);
    QCOMPARE(outcome.inPlace, inPlace);
    QCOMPARE(outcome.restored, inPlace);
    QCOMPARE(readAll(path), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), inPlace ? 2 : 1);
}

void TestRegisterWriter::savesKeepWhatTheyReplace_data()
{
    QTest::addColumn<QString>("standing"); // what stands at thisyear.csv
    QTest::addColumn<QString>("cell"); // the text saved into the first cell
    QTest::addColumn<int>("kind"); // SaveOutcome::Kind
    QTest::addColumn<bool>("inPlace");
    using Kind = SaveOutcome::Kind;
    QTest::newRow("a file") << "file"
                            << "new" << int(Kind::Saved) << false;
    QTest::newRow("a file of group users") << "users"
                                           << "new" << int(Kind::Saved) << false;
    QTest::newRow("a file with two names") << "hard link"
                                           << "new" << int(Kind::Saved) << true;
    QTest::newRow("a symbolic link") << "symlink"
                                     << "new" << int(Kind::Saved) << false;
    QTest::newRow("a FIFO") << "fifo"
                            << "new" << int(Kind::NotRegularFile) << false;
    QTest::newRow("a link to a device") << "device"
                                        << "new" << int(Kind::NotRegularFile) << false;
    QTest::newRow("changed during the question") << "changed"
                                                 << "new" << int(Kind::ChangedMeanwhile) << false;
    // Backup is a file: the save asks whether to go on without a copy, and
    // a write by someone else during that question is caught after it.
    QTest::newRow("changed during the no-copy question") << "changed without a copy"
                                                         << "new" << int(Kind::ChangedMeanwhile) << false;
    QTest::newRow("a line too long to read back")
        << "file" << QString(RegisterFormat::maxLineLength, u'x') << int(Kind::LineTooLong) << false;
    // A lock with nothing in it: its holder died between making and writing
    // it. Fresh, it may be being written; ten seconds old, it is cleared.
    QTest::newRow("a lock being written") << "empty lock"
                                          << "new" << int(Kind::Busy) << false;
    QTest::newRow("a lock its holder never wrote") << "old empty lock"
                                                   << "new" << int(Kind::Saved) << false;
    // Something that is no lock where the lock goes: said, never followed.
    QTest::newRow("a link to nowhere as the lock") << "dangling lock"
                                                   << "new" << int(Kind::LockBlocked) << false;
    QTest::newRow("a folder as the lock") << "folder lock"
                                          << "new" << int(Kind::LockBlocked) << false;
    QTest::newRow("a FIFO as the lock") << "fifo lock"
                                        << "new" << int(Kind::LockBlocked) << false;
    // A desk cloned from the same image has this host's name but another
    // boot: its live lock holds; left unrefreshed for a minute, it goes.
    QTest::newRow("a live lock of a desk with this host name") << "namesake lock"
                                                               << "new" << int(Kind::Busy) << false;
    QTest::newRow("a dead lock of a desk with this host name") << "old namesake lock"
                                                               << "new" << int(Kind::Saved) << false;
    QTest::newRow("a lock of this boot whose process is gone") << "dead own lock"
                                                               << "new" << int(Kind::Saved) << false;
    // A link planted where a copy of the old contents was once written.
    QTest::newRow("a link planted in Backup") << "planted link"
                                              << "new" << int(Kind::Saved) << true;
}

void TestRegisterWriter::savesKeepWhatTheyReplace()
{
    QFETCH(QString, standing);
    QFETCH(QString, cell);
    QFETCH(int, kind);
    QFETCH(bool, inPlace);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("thisyear.csv"));
    const QString other = dir.filePath(QStringLiteral("other.csv")); // a link's target, a second name
    const QByteArray old("old;;;;;;;\r\n");
    if (standing == u"fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (standing == u"device") {
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), path));
    } else {
        writeAll(standing == u"symlink" ? other : path, old);
        if (standing == u"hard link")
            QVERIFY(QFile::link(path, other) && ::link(qPrintable(path), qPrintable(other + u'2')) == 0);
        if (standing == u"symlink")
            QVERIFY(QFile::link(other, path));
    }
    const QString lock = path + QStringLiteral(".lock");
    if (standing.endsWith(u"empty lock") || standing.endsWith(u"namesake lock") || standing == u"dead own lock") {
        QByteArray holder;
        if (!standing.endsWith(u"empty lock")) {
            QFile boot(QStringLiteral("/proc/sys/kernel/random/boot_id"));
            QVERIFY(boot.open(QIODevice::ReadOnly));
            const QByteArray thisBoot = boot.readAll().trimmed();
            holder = "palomet-lock 1\nuser=Иванов\nhost=" + QSysInfo::machineHostName().toUtf8() +
                     "\npid=999999999\nboot=" +
                     (standing == u"dead own lock" ? thisBoot : QByteArray("0f0f0f0f-another-boot")) + "\nsince=1\n";
            if (standing == u"dead own lock") {
                char ns[64] = {};
                const ssize_t length = ::readlink("/proc/self/ns/pid", ns, sizeof ns - 1);
                holder.replace("since=", "ns=" + QByteArray(ns, int(std::max<ssize_t>(length, 0))) + "\nsince=");
            }
        }
        writeAll(lock, holder);
        const int age = standing.startsWith(u"old") ? (standing.endsWith(u"namesake lock") ? -60 : -10) : 0;
        QFile file(lock);
        QVERIFY(file.open(QIODevice::ReadWrite) &&
                file.setFileTime(QDateTime::currentDateTime().addSecs(age), QFileDevice::FileModificationTime));
    }
    if (standing == u"dangling lock")
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("nowhere")), lock));
    if (standing == u"folder lock")
        QVERIFY(QDir().mkdir(lock));
    if (standing == u"fifo lock")
        QCOMPARE(::mkfifo(QFile::encodeName(lock).constData(), 0600), 0);
    // The user's own files beside the register, which no save touches, and
    // what a killed save left, which the next one removes.
    const QStringList neighbours = {"thisyear.csv.backup", "thisyear.csv.copy01", "thisyear.csv.311224",
        ".thisyear.csv.replaced-notes", "thisyear.csv.lock.stale-copy"};
    for (const QString& name : neighbours)
        writeAll(dir.filePath(name), name.toUtf8());
    const QStringList leftovers = {".thisyear.csv.palomet-new-0123456789abcdef", "thisyear.csv.lock.stale-12-34"};
    for (const QString& name : leftovers)
        writeAll(dir.filePath(name), "left by a killed save");
    const QString planted = dir.filePath(QStringLiteral("Backup/.thisyear-%1.part").arg(::getpid()));
    if (standing == u"planted link") {
        QVERIFY(
            ::link(qPrintable(path), qPrintable(other)) == 0 && QDir().mkpath(dir.filePath(QStringLiteral("Backup"))));
        writeAll(dir.filePath(QStringLiteral("victim")), "not the register's");
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("victim")), planted));
    }
    if (standing == u"users" && (geteuid() != 0 || ::chown(qPrintable(path), 0, 100) != 0))
        QSKIP("giving a file to the group users needs root");
    GridModel grid;
    fill(grid, 7, {{cell}});
    const QString backup = dir.filePath(QStringLiteral("Backup"));
    const auto theirs = [&] { // another program writes it meanwhile
        QThread::msleep(10);
        writeAll(path, "theirs;;;;;;;\r\n");
        return true;
    };
    if (standing == u"changed without a copy")
        writeAll(backup, "not a folder");
    FileReplacement::Guards guards {backup, QStringLiteral("thisyear"), [] { return true; },
        [&](int error) { return error == ENOTDIR && theirs(); }};
    if (standing == u"changed")
        guards.mayWrite = theirs;
    const SaveOutcome outcome = RegisterWriter::save(grid, path, guards);
    QCOMPARE(int(outcome.kind), kind);
    QCOMPARE(outcome.inPlace, inPlace);
    for (const QString& name : neighbours)
        QCOMPARE(readAll(dir.filePath(name)), name.toUtf8());
    if (outcome.kind == SaveOutcome::Kind::LockBlocked)
        QCOMPARE(outcome.linkTarget, lock);
    if (!outcome.saved()) {
        QVERIFY(standing == u"fifo" ? QFileInfo(path).isFile() == false : readAll(path) != "new;;;;;;;\r\n");
        return;
    }
    for (const QString& name : leftovers) // beside the file saved; a link's target has another name
        QVERIFY2(!QFileInfo::exists(dir.filePath(name)) || standing == u"symlink", qPrintable(name));
    if (standing == u"planted link")
        QCOMPARE(readAll(dir.filePath(QStringLiteral("victim"))), QByteArray("not the register's"));
    QCOMPARE(readAll(path), QByteArray("new;;;;;;;\r\n"));
    QCOMPARE(readAll(KeptVersions::find(backup, QFileInfo(outcome.keptVersion).fileName())), old);
    QVERIFY(QFileInfo(outcome.keptVersion).fileName().startsWith(QStringLiteral("thisyear-")));
    QCOMPARE(QFileInfo(path).isSymLink(), standing == u"symlink");
    if (standing == u"hard link" || standing == u"symlink" || standing == u"planted link")
        QCOMPARE(readAll(other), QByteArray("new;;;;;;;\r\n"));
    if (standing == u"users")
        QCOMPARE(QFileInfo(path).groupId(), 100u);
}

void TestRegisterWriter::anotherUsersLockHolds_data()
{
    QTest::addColumn<bool>("unreadable"); // made unreadable to other users after it was taken
    QTest::newRow("taken under umask 077") << false;
    QTest::newRow("a lock the other user cannot read") << true;
}

// A live lock of one user, ten seconds old (past the age of a lock never
// written, within a live one's), met by a save of another user.
void TestRegisterWriter::anotherUsersLockHolds()
{
    QFETCH(bool, unreadable);
    if (::geteuid() != 0)
        QSKIP("another user's save needs root to become that user");
    QTemporaryDir dir;
    QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777)));
    const QString path = dir.filePath(QStringLiteral("thisyear.csv"));
    writeAll(path, "old;;;;;;;\r\n");
    const mode_t mask = ::umask(077);
    RegisterLock held;
    const RegisterLock::Result taken = held.acquire(path);
    ::umask(mask);
    QCOMPARE(taken, RegisterLock::Result::Held);
    const QString lock = path + QStringLiteral(".lock");
    if (unreadable)
        QVERIFY(QFile::setPermissions(lock, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QFile file(lock);
    QVERIFY(file.open(QIODevice::ReadWrite) &&
            file.setFileTime(QDateTime::currentDateTime().addSecs(-10), QFileDevice::FileModificationTime));
    file.close();
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(100);
        const SaveOutcome outcome = FileReplacement::write(path, {}, [](const FileReplacement::Sink& sink) {
            sink("new;;;;;;;\r\n");
            return std::optional<SaveOutcome>();
        });
        ::_exit(int(outcome.kind));
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), int(SaveOutcome::Kind::Busy));
    QVERIFY(QFileInfo::exists(lock));
    QCOMPARE(readAll(path), QByteArray("old;;;;;;;\r\n"));
}

void TestRegisterWriter::onlyTheNewestVersionsAreKept()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("thisyear.csv"));
    writeAll(file, "x");
    const QDateTime start(QDate(2026, 1, 1), QTime(12, 0));
    for (int i = 0; i < KeptVersions::versionsKept + 2; ++i)
        QVERIFY(!KeptVersions::keep(file, dir.path(), QStringLiteral("thisyear"), i % 2, start.addSecs(i / 2))
                     .path.isEmpty());
    KeptVersions::prune(dir.path(), QStringLiteral("thisyear"));
    const QStringList kept = QDir(dir.path()).entryList({QStringLiteral("thisyear-*")}, QDir::Files, QDir::Name);
    QCOMPARE(kept.size(), KeptVersions::versionsKept);
    QVERIFY(!kept.contains(QStringLiteral("thisyear-2026-01-01-120000.csv"))); // the two oldest went
    QVERIFY(!kept.contains(QStringLiteral("thisyear-2026-01-01-120000-2.csv")));
    QVERIFY(kept.contains(QStringLiteral("thisyear-2026-01-01-120015-2.csv")));

    // A clock set back: the version a save has just made is the "oldest" by
    // its name, and stays all the same.
    const KeptVersions::Kept justMade =
        KeptVersions::keep(file, dir.path(), QStringLiteral("thisyear"), false, start.addDays(-1));
    KeptVersions::prune(dir.path(), QStringLiteral("thisyear"), justMade.path);
    QVERIFY(QFile::exists(justMade.path));
    QCOMPARE(KeptVersions::versions(dir.path(), QStringLiteral("thisyear")).size(), KeptVersions::versionsKept);
    QCOMPARE(KeptVersions::versions(dir.path(), QStringLiteral("thisyear")).first(), justMade.path);

    // Pruning an archive named "*" removes its own cut copies, never another
    // name's copy still being made.
    const QString starsCopy = KeptVersions::temporaryPath(dir.path(), QStringLiteral("*"));
    const QString othersCopy = KeptVersions::temporaryPath(dir.path(), QStringLiteral("thisyear"));
    writeAll(starsCopy, "cut");
    writeAll(othersCopy, "being made");
    KeptVersions::prune(dir.path(), QStringLiteral("*"));
    QVERIFY(!QFileInfo::exists(starsCopy));
    QVERIFY(QFileInfo::exists(othersCopy));

    // Recovered work kept 31 times in one second: 31 files, none pruned.
    GridModel grid;
    fill(grid, 7, {{"recovered"}});
    QStringList recovered;
    for (int i = 0; i <= KeptVersions::versionsKept; ++i)
        recovered << RegisterWriter::keepAsVersion(grid, dir.path(), QStringLiteral("thisyear-recovered")).path;
    recovered.removeDuplicates();
    QCOMPARE(recovered.size(), KeptVersions::versionsKept + 1);
    for (const QString& version : recovered)
        QCOMPARE(readAll(version), QByteArray("recovered;;;;;;;\r\n"));
}

void TestRegisterWriter::archiveNames_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("inside");
    QTest::addColumn<QString>("file");
    QTest::newRow("year") << "2009" << true << "2009.csv";
    QTest::newRow("latin") << "arch" << true << "ARCH.csv";
    QTest::newRow("cyrillic") << "архив" << true << "АРХИВ.csv";
    QTest::newRow("typed extension") << "2009.csv" << true << "2009.CSV.csv";
    QTest::newRow("slash") << "../thisyear" << false << "";
    QTest::newRow("backslash") << "a\\b" << false << "";
    QTest::newRow("dot") << "." << false << "";
    QTest::newRow("dot dot") << ".." << false << "";
    QTest::newRow("tab") << "a\tb" << false << "";
    QTest::newRow("dots inside are fine") << "a..b" << true << "A..B.csv";
    QTest::newRow("colon, not a resource") << ":6.:6" << true << ":6.:6.csv";
}

void TestRegisterWriter::archiveNames()
{
    QFETCH(QString, typed);
    QFETCH(bool, inside);
    QFETCH(QString, file);
    QCOMPARE(ArchiveName::staysInside(typed.toUpper()), inside);
    if (inside) {
        QCOMPARE(ArchiveName::fileName(typed), file);
        QCOMPARE(ArchiveName::pathIn(QStringLiteral("/p/Archive"), typed), QStringLiteral("/p/Archive/") + file);
    }
}

QTEST_MAIN(TestRegisterWriter)
#include "tst_registerwriter.moc"
