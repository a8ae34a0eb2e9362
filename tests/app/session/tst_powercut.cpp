// Power cuts, not kills: the program's real save and log paths on
// LazyFS (shared/tools/lazyfs.sh beside the checkout), a file system that
// keeps written data until it is synced and drops it on command, as a
// power cut drops the page cache. The writer is killed at a random moment,
// then the power goes. Every cut must leave the old or the new register
// whole, every kept version whole, and every edit older than a second
// recoverable. Root and /dev/fuse only; skipped with the reason elsewhere.
#include "WindowFixture.h"
#include "app/desktop/Fonts.h"
#include "storage/KeptVersions.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QThread>
#include <csignal>
#include <fcntl.h>
#include <map>

namespace {

const QString sample = QStringLiteral("1;100;;;ЭКР;7;Иванов;\r\n"
                                      "2;200;;;АМС;8;Петров;\r\n"
                                      "3;300;;;ЭКР;9;Сидоров;\r\n"
                                      "4;400;;;ЭКР;7;Козлов;\r\n"
                                      "5;500;;;ЭКР;7;Орлов;\r\n");

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray sha(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
}

// A register without activation dates, so that opening it changes nothing and
// a save differs from it only by the marker in the first owner cell.
QByteArray bigRegister(int entries)
{
    QByteArray bytes;
    for (int i = 0; i < entries; ++i)
        bytes += QByteArray::number(8710000000LL + i) + ";0001234567;;;MODEL;" + QByteArray::number(100000 + i) +
                 ";OWNER;\r\n";
    return bytes;
}

QByteArray withMarker(QByteArray bytes, const QByteArray& marker)
{
    qsizetype start = 0;
    for (int field = 0; field < 6; ++field)
        start = bytes.indexOf(';', start) + 1;
    return bytes.replace(start, bytes.indexOf(';', start) - start, marker);
}

// Edits made by worklog_edits, by number: when each was a step.
using Edits = std::map<int, qint64>;

} // namespace

class TestPowerCut : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void cutInsideASaveLeavesAWholeRegister_data();
    void cutInsideASaveLeavesAWholeRegister();
    void cutLosesNoEditOlderThanASecond_data();
    void cutLosesNoEditOlderThanASecond();

private:
    // Drops all that was written and not synced, as a power cut does.
    void cut();
    QString freshFolder();
    // worklog_edits in folder, killed once its edit number `until` is a
    // step (or right after its first, with -1); the edits it made.
    Edits editAndKill(const QString& folder, const QStringList& extra, int first, int until);
    static void checkEdits(const FlexGrid& grid, const Edits& edits, qint64 settled);

    QString base_;
    QString tool_;
    QString mount_;
    int folders_ = 0;
};

void TestPowerCut::initTestCase()
{
    installFontSubstitutions();
    if (::geteuid() != 0)
        QSKIP("mounting LazyFS needs root");
    if (!QFileInfo::exists(QStringLiteral("/dev/fuse")))
        QSKIP("no /dev/fuse: FUSE mounts are not possible here");
    tool_ = QStringLiteral(PALOMET_SOURCE_DIR "/../shared/tools/lazyfs.sh");
    if (!QFileInfo::exists(tool_))
        QSKIP("needs LazyFS, which a clone of Palomet does not carry: shared/tools/lazyfs.sh and its lazyfs/ "
              "source beside the checkout, as the project's CI lays them (docs/developing.md)");
    base_ = QStringLiteral("/tmp/palomet-powercut-%1").arg(QCoreApplication::applicationPid());
    QProcess up;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LAZYFS_BASE"), base_);
    up.setProcessEnvironment(environment);
    up.start(QStringLiteral("bash"), {tool_, QStringLiteral("up")});
    if (!up.waitForFinished(600000) || up.exitCode() != 0)
        QSKIP(qPrintable(
            QStringLiteral("LazyFS did not come up: ") + QString::fromLocal8Bit(up.readAllStandardError().right(300))));
    mount_ = QString::fromLocal8Bit(up.readAllStandardOutput()).trimmed().split(u'\n').last();
}

void TestPowerCut::cleanupTestCase()
{
    if (base_.isEmpty())
        return;
    QProcess down;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LAZYFS_BASE"), base_);
    down.setProcessEnvironment(environment);
    down.start(QStringLiteral("bash"), {tool_, QStringLiteral("down")});
    down.waitForFinished(60000);
    QDir(base_).removeRecursively();
}

void TestPowerCut::cut()
{
    const auto cleared = [&] { return fileBytes(base_ + QStringLiteral("/lazyfs.log")).count("cache is cleared"); };
    const qsizetype before = cleared();
    const int fifo = ::open(QFile::encodeName(base_ + QStringLiteral("/faults.fifo")).constData(), O_WRONLY);
    QVERIFY(fifo >= 0);
    const char command[] = "lazyfs::clear-cache\n";
    QCOMPARE(::write(fifo, command, sizeof command - 1), ssize_t(sizeof command - 1));
    ::close(fifo);
    QTRY_VERIFY_WITH_TIMEOUT(cleared() > before, 20000);
}

QString TestPowerCut::freshFolder()
{
    const QString folder = mount_ + QStringLiteral("/case-%1").arg(++folders_);
    QDir().mkpath(folder + QStringLiteral("/logs"));
    return folder;
}

void TestPowerCut::cutInsideASaveLeavesAWholeRegister_data()
{
    QTest::addColumn<bool>("inPlace"); // the register has a second name
    QTest::newRow("replaced by a rename") << false;
    QTest::newRow("written in place") << true;
}

void TestPowerCut::cutInsideASaveLeavesAWholeRegister()
{
    QFETCH(bool, inPlace);
    const QString folder = freshFolder();
    const QString path = folder + QStringLiteral("/thisyear.csv");
    QByteArray current = bigRegister(200000);
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(current) == current.size() && file.flush());
        QCOMPARE(::fsync(file.handle()), 0);
    }
    if (inPlace)
        QCOMPARE(::link(qPrintable(path), qPrintable(folder + QStringLiteral("/second name.csv"))), 0);
    QSet<QByteArray> versions {sha(current)};
    qint64 saveMs = 1000;
    for (int round = 0; round < 6; ++round) {
        const QByteArray marker = "MARK" + QByteArray::number(round);
        const QByteArray next = withMarker(current, marker);
        versions.insert(sha(next));
        QProcess saver;
        saver.start(QCoreApplication::applicationDirPath() + QStringLiteral("/save_register"),
            {folder, QString::fromLatin1(marker)});
        QVERIFY(saver.waitForStarted());
        while (!saver.readAllStandardOutput().contains("saving"))
            QVERIFY(saver.waitForReadyRead(60000));
        QElapsedTimer saving;
        saving.start();
        if (round == 0) { // runs to its end: how long a save takes here
            QVERIFY(saver.waitForFinished(120000));
            saveMs = std::max<qint64>(saving.elapsed(), 50);
        } else {
            QThread::msleep(static_cast<unsigned long>(QRandomGenerator::global()->bounded(saveMs + saveMs / 4)));
            if (saver.state() == QProcess::Running)
                ::kill(pid_t(saver.processId()), SIGKILL);
            QVERIFY(saver.waitForFinished(60000));
        }
        cut();
        const QByteArray now = sha(fileBytes(path));
        const QString backup = folder + QStringLiteral("/Backup");
        for (const QString& version : QDir(backup).entryList(QDir::Files))
            QVERIFY2(versions.contains(sha(fileBytes(backup + u'/' + version))),
                qPrintable(QStringLiteral("round %1: %2 is not a whole version").arg(round).arg(version)));
        if (inPlace && now != sha(current) && now != sha(next)) {
            // Torn in place: its kept version, synced before the write, is the old file.
            const QStringList kept = KeptVersions::versions(backup, QStringLiteral("thisyear"));
            QVERIFY2(!kept.isEmpty() && fileBytes(kept.last()) == current,
                qPrintable(QStringLiteral("round %1: torn without a kept version").arg(round)));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(current) == current.size() && file.flush());
            ::fsync(file.handle());
            continue;
        }
        QVERIFY2(now == sha(current) || now == sha(next),
            qPrintable(QStringLiteral("round %1: the register is torn").arg(round)));
        if (now == sha(next))
            current = next;
    }
}

Edits TestPowerCut::editAndKill(const QString& folder, const QStringList& extra, int first, int until)
{
    QProcess editor;
    editor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    editor.setProcessEnvironment(environment);
    editor.start(QCoreApplication::applicationDirPath() + QStringLiteral("/worklog_edits"),
        QStringList {folder, folder + QStringLiteral("/logs")} + extra);
    Edits edits;
    if (!editor.waitForStarted())
        return edits;
    const int last = until < 0 ? first : until;
    while (!edits.count(last) && editor.state() == QProcess::Running) {
        if (!editor.canReadLine() && !editor.waitForReadyRead(20000))
            break;
        while (editor.canReadLine()) {
            const QList<QByteArray> words = editor.readLine().trimmed().split(' ');
            edits[words.value(1).toInt()] = words.value(2).toLongLong();
        }
    }
    ::kill(pid_t(editor.processId()), SIGKILL);
    editor.waitForFinished(10000);
    return edits;
}

void TestPowerCut::checkEdits(const FlexGrid& grid, const Edits& edits, qint64 settled)
{
    for (int row = 1; row <= 5; ++row) {
        int oldest = -1; // the newest edit of the row that must be back
        int newest = -1;
        for (const auto& [edit, madeAt] : edits) {
            if (edit % 5 != row - 1)
                continue;
            newest = edit;
            if (madeAt <= settled)
                oldest = edit;
        }
        const QString text = grid.TextMatrix(row, 6);
        const int edit = text.startsWith(u'E') ? text.mid(1).toInt() : -1;
        QVERIFY2(edit >= oldest && edit <= std::max(newest, oldest) + 5 && (edit == -1 || edit % 5 == row - 1),
            qPrintable(QStringLiteral("row %1 holds %2; edit %3 was made a second before the cut")
                           .arg(row)
                           .arg(text)
                           .arg(oldest)));
    }
}

void TestPowerCut::cutLosesNoEditOlderThanASecond_data()
{
    QTest::addColumn<QString>("when");
    QTest::newRow("while a log begins") << "begins";
    QTest::newRow("after edits") << "edits";
    QTest::newRow("after recovery") << "recovered";
    QTest::newRow("after Нет") << "no";
}

void TestPowerCut::cutLosesNoEditOlderThanASecond()
{
    QFETCH(QString, when);
    const QString folder = freshFolder();
    {
        QStringEncoder encoder("windows-1251");
        QFile file(folder + QStringLiteral("/thisyear.csv"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(encoder.encode(sample)) > 0 && file.flush());
        QCOMPARE(::fsync(file.handle()), 0);
    }
    const QByteArray registerBefore = fileBytes(folder + QStringLiteral("/thisyear.csv"));
    Edits edits = editAndKill(folder, {}, 0, when == u"begins" ? -1 : QRandomGenerator::global()->bounded(5, 45));
    QVERIFY(!edits.empty());
    qint64 endedAt = QDateTime::currentMSecsSinceEpoch();
    cut();
    if (when == u"recovered") {
        // Taken back, carried on, and cut again.
        const Edits more = editAndKill(folder, {QStringLiteral("recover"), QStringLiteral("1000")}, 1000,
            1000 + QRandomGenerator::global()->bounded(5, 30));
        QVERIFY(!more.empty());
        edits.insert(more.begin(), more.end());
        endedAt = QDateTime::currentMSecsSinceEpoch();
        cut();
    }
    QCOMPARE(fileBytes(folder + QStringLiteral("/thisyear.csv")), registerBefore);
    WindowFixture next(folder, folder + QStringLiteral("/logs"));
    next.desktop.replies = {when != u"no"};
    next.window->offerRecovery();
    QVERIFY2(next.desktop.messages.empty(),
        qPrintable(next.desktop.messages.empty() ? QString() : next.desktop.messages[0].text));
    const FlexGrid* recovered = &next.grid();
    std::unique_ptr<WindowFixture> afterCut;
    if (when == u"no" && !next.desktop.questions.empty()) {
        // Kept in Backup, synced: the power may go at once.
        cut();
        const QStringList versions =
            QDir(folder + QStringLiteral("/Backup")).entryList({QStringLiteral("thisyear-recovered-*")});
        QCOMPARE(versions.size(), 1);
        afterCut = std::make_unique<WindowFixture>(folder, folder + QStringLiteral("/logs"));
        afterCut->desktop.answers = {QFileInfo(versions[0]).completeBaseName()};
        afterCut->press("CmdZArch");
        QVERIFY(afterCut->desktop.messages.empty());
        recovered = &afterCut->grid();
    }
    checkEdits(*recovered, edits, endedAt - 1000);
}

QTEST_MAIN(TestPowerCut)
#include "tst_powercut.moc"
