#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

namespace {

constexpr int entries = 1000000;

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

class TestCrashSafe : public QObject
{
    Q_OBJECT
private slots:
    void killedSaveLeavesTheOldOrTheNewFileWhole();
};

void TestCrashSafe::killedSaveLeavesTheOldOrTheNewFileWhole()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("thisyear.csv"));
    QByteArray current = bigRegister();
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(current), current.size());
    }
    const QString helper = QCoreApplication::applicationDirPath() + QStringLiteral("/save_register");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    int sawOld = 0;
    int sawNew = 0;
    qint64 saveMs = 400;
    for (int round = 0; round < 12; ++round) {
        const QByteArray marker = "MARK" + QByteArray::number(round);
        const QByteArray next = withMarker(current, marker);
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
        } else {
            QTest::qWait(static_cast<int>(QRandomGenerator::global()->bounded(saveMs + saveMs / 4)));
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
        QVERIFY2(isOld || isNew, qPrintable(QStringLiteral("round %1: a torn file of %2 bytes")
                                                .arg(round)
                                                .arg(now.size())));
        (isNew ? sawNew : sawOld) += 1;
        if (isNew)
            current = next;
        // A killed save leaves its temporary file behind; the register is whole.
        for (const QString& stale : QDir(dir.path()).entryList({QStringLiteral("thisyear.csv.*")}))
            QFile::remove(dir.filePath(stale));
    }
    qInfo("after the kills: %d old files, %d new files (save takes %lld ms)", sawOld, sawNew, saveMs);
}

QTEST_GUILESS_MAIN(TestCrashSafe)
#include "tst_crashsafe.moc"
