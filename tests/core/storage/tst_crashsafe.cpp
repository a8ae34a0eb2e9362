#include "storage/FileStamp.h"
#include "storage/KeptVersions.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <csignal>
#include <unistd.h>

namespace {

constexpr int entries = CRASHSAFE_ENTRIES; // enough for a save to be killed inside

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A register without activation dates, so that opening it changes nothing and
// a save differs from it only by the marker in the first owner cell.
QByteArray bigRegister()
{
    QByteArray bytes;
    bytes.reserve(entries * 48);
    for (int i = 0; i < entries; ++i)
        bytes += QByteArray::number(8710000000LL + i) + ";0001234567;;;MODEL;" +
                 QByteArray::number(100000 + i % 900000) + ";OWNER;\r\n";
    return bytes;
}

QByteArray withMarker(const QByteArray& bytes, const QByteArray& marker)
{
    // The first line's seventh field (index 6).
    qsizetype start = 0;
    for (int field = 0; field < 6; ++field)
        start = bytes.indexOf(';', start) + 1;
    const qsizetype end = bytes.indexOf(';', start);
    QByteArray changed = bytes;
    changed.replace(start, end - start, marker);
    return changed;
}

} // namespace

class TestCrashSafe : public QObject {
    Q_OBJECT
private slots:
    void killedSaveLeavesTheOldOrTheNewFileWhole_data();
    void killedSaveLeavesTheOldOrTheNewFileWhole();
};

void TestCrashSafe::killedSaveLeavesTheOldOrTheNewFileWhole_data()
{
    // A register with a second name is written in place: killed once it
    // starts to change, it may be torn, but then its kept version is the old file.
    QTest::addColumn<bool>("inPlace");
    QTest::newRow("replaced by a rename") << false;
    QTest::newRow("written in place") << true;
}

void TestCrashSafe::killedSaveLeavesTheOldOrTheNewFileWhole()
{
    QFETCH(bool, inPlace);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("thisyear.csv"));
    QByteArray current = bigRegister();
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(current), current.size());
    }
    if (inPlace)
        QCOMPARE(::link(qPrintable(path), qPrintable(dir.filePath(QStringLiteral("second name.csv")))), 0);
    const QString helper = QCoreApplication::applicationDirPath() + QStringLiteral("/save_register");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    int sawOld = 0;
    int sawNew = 0;
    int sawTorn = 0;
    qint64 saveMs = 400;
    QSet<QByteArray> versions {QCryptographicHash::hash(current, QCryptographicHash::Sha1)};
    for (int round = 0; round < 12; ++round) {
        const QByteArray marker = "MARK" + QByteArray::number(round);
        const QByteArray next = withMarker(current, marker);
        versions.insert(QCryptographicHash::hash(next, QCryptographicHash::Sha1));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(helper, {dir.path(), QString::fromLatin1(marker)});
        QVERIFY(process.waitForStarted());
        QElapsedTimer saving;
        while (!process.readAllStandardOutput().contains("saving"))
            QVERIFY(process.waitForReadyRead(60000));
        saving.start();
        if (round == 0) {
            // The first save runs to its end: how long a save takes here.
            QVERIFY(process.waitForFinished(60000));
            QCOMPARE(process.exitCode(), 0);
            saveMs = std::max<qint64>(saving.elapsed(), 50);
        } else if (inPlace) {
            const std::optional<FileStamp> before = FileStamp::of(path);
            while (process.state() == QProcess::Running && FileStamp::of(path) == before)
                QThread::usleep(200);
            QThread::usleep(static_cast<unsigned long>(QRandomGenerator::global()->bounded(saveMs * 100)));
        } else {
            QTest::qWait(static_cast<int>(QRandomGenerator::global()->bounded(saveMs + saveMs / 4)));
        }
        if (round > 0) {
            // A save that finished first has no process left to kill (and a
            // pid of 0 would mean our own process group).
            const qint64 pid = process.processId();
            if (pid > 0 && process.state() == QProcess::Running)
                ::kill(static_cast<pid_t>(pid), SIGKILL);
            if (process.state() != QProcess::NotRunning)
                QVERIFY(process.waitForFinished(60000));
        }
        const QByteArray now = fileBytes(path);
        const QByteArray hash = QCryptographicHash::hash(now, QCryptographicHash::Sha1);
        const bool isOld = hash == QCryptographicHash::hash(current, QCryptographicHash::Sha1);
        const bool isNew = hash == QCryptographicHash::hash(next, QCryptographicHash::Sha1);
        // Every kept version is a whole one, whatever moment the kill took.
        const QString backup = dir.filePath(QStringLiteral("Backup"));
        for (const QString& version : QDir(backup).entryList(QDir::Files | QDir::Hidden))
            QVERIFY2(versions.contains(
                         QCryptographicHash::hash(fileBytes(backup + u'/' + version), QCryptographicHash::Sha1)) ||
                         version.contains(QStringLiteral(".palomet-part-")),
                qPrintable(QStringLiteral("round %1: %2 is not a whole version").arg(round).arg(version)));
        if (inPlace && !isOld && !isNew) {
            // The newest in the program's own order ("-2" after a second save
            // within the same second).
            const QStringList kept = KeptVersions::versions(backup, QStringLiteral("thisyear"));
            QVERIFY2(!kept.isEmpty() && fileBytes(kept.last()) == current,
                qPrintable(QStringLiteral("round %1: torn without a kept version").arg(round)));
            ++sawTorn;
            QFile file(path); // restored by hand, through the same file
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(current) == current.size());
            continue;
        }
        QVERIFY2(
            isOld || isNew, qPrintable(QStringLiteral("round %1: a torn file of %2 bytes").arg(round).arg(now.size())));
        (isNew ? sawNew : sawOld) += 1;
        if (isNew)
            current = next;
    }
    // A killed save's temporary files go with the next save.
    QProcess last;
    last.setProcessEnvironment(environment);
    last.start(helper, {dir.path(), QStringLiteral("LAST")});
    QVERIFY(last.waitForFinished(60000));
    QCOMPARE(last.exitCode(), 0);
    const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    QVERIFY2(
        left.filter(QRegularExpression(QStringLiteral("palomet-new-|\\.lock"))).isEmpty(), qPrintable(left.join(u' ')));
    QVERIFY(QDir(dir.filePath(QStringLiteral("Backup")))
                .entryList({QStringLiteral("*palomet-part-*")}, QDir::Files | QDir::Hidden)
                .isEmpty());
    qInfo("after the kills: %d old files, %d new files, %d torn with a kept version (save takes %lld ms)", sawOld,
        sawNew, sawTorn, saveMs);
}

QTEST_GUILESS_MAIN(TestCrashSafe)
#include "tst_crashsafe.moc"
