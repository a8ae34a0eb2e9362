#include "WindowFixture.h"
#include "app/desktop/Fonts.h"

#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <csignal>

namespace {

const QString sample = QStringLiteral("1;100;15.01.2009;01.03.2010;ЭКР;7;Иванов;\r\n"
                                      "2;200;31.10.2008;01.12.2009;АМС;8;Петров;\r\n"
                                      "3;300;01.11.2008;01.01.2010;ЭКР;9;Сидоров;\r\n"
                                      "4;400;15.01.2009;01.03.2010;ЭКР;7;Козлов;\r\n"
                                      "5;500;15.01.2009;01.03.2010;ЭКР;7;Орлов;\r\n");

QStringList logsIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files);
}

} // namespace

class TestRecovery : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void workSurvivesTheEndOfItsProgram_data();
    void workSurvivesTheEndOfItsProgram();
    void workTheFileCannotHoldComesBack_data();
    void workTheFileCannotHoldComesBack();
    void killedDuringAJoin_data();
    void killedDuringAJoin();
    void damagedLogIsMovedAside();
    void logThatCannotBeWrittenIsSaid();
};

void TestRecovery::workSurvivesTheEndOfItsProgram_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("then"); // what happens before the next start
    QTest::addColumn<bool>("reply"); // to the recovery question
    for (int round = 1; round <= 3; ++round)
        QTest::addRow("killed, round %d", round) << int(SIGKILL) << "" << true;
    QTest::newRow("terminated") << int(SIGTERM) << "" << true;
    QTest::newRow("killed, the file changed since") << int(SIGKILL) << "changed" << true;
    QTest::newRow("killed, the log torn") << int(SIGKILL) << "torn" << true;
    QTest::newRow("killed, not taken back") << int(SIGKILL) << "" << false;
}

void TestRecovery::workSurvivesTheEndOfItsProgram()
{
    QFETCH(int, signal);
    QFETCH(QString, then);
    QFETCH(bool, reply);
    WindowFixture f;
    f.writeRegister(sample);
    QProcess editor;
    editor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    editor.start(
        QCoreApplication::applicationDirPath() + QStringLiteral("/worklog_edits"), {f.folder.path(), f.logs.path()});
    QVERIFY(editor.waitForStarted());
    // Ended at any moment of the first 40 edits, made 40 ms apart, or of
    // the slower ones after. A torn log loses its last frame, the
    // newest batch: there the check looks further back.
    const bool torn = then == u"torn";
    const int lastEdit = QRandomGenerator::global()->bounded(torn ? 42 : 0, 50);
    std::vector<qint64> madeAt; // by edit number
    while (int(madeAt.size()) <= lastEdit && editor.state() == QProcess::Running) {
        if (!editor.canReadLine() && !editor.waitForReadyRead(5000))
            break;
        while (editor.canReadLine()) {
            const QList<QByteArray> words = editor.readLine().trimmed().split(' ');
            madeAt.push_back(words.value(2).toLongLong());
        }
    }
    QVERIFY2(int(madeAt.size()) > lastEdit, "the editor stopped editing");
    const qint64 endedAt = QDateTime::currentMSecsSinceEpoch();
    ::kill(pid_t(editor.processId()), signal);
    QVERIFY(editor.waitForFinished(10000));
    while (editor.canReadLine())
        madeAt.push_back(editor.readLine().trimmed().split(' ').value(2).toLongLong());

    const QStringList logs = logsIn(f.logs.path());
    QCOMPARE(logs.size(), 1);
    if (then == u"changed")
        f.writeRegister(sample + QStringLiteral("6;600;;;;;Новиков;\r\n"));
    if (then == u"torn") {
        QFile log(f.logs.filePath(logs[0]));
        QVERIFY(log.resize(log.size() - 3));
    }
    // Every edit made a second before the end is back (all of them after a
    // termination), and nothing else.
    const qint64 settled = signal == SIGTERM ? endedAt : endedAt - (torn ? 1500 : 1000);
    WindowFixture next(f.folder.path(), f.logs.path());
    next.desktop.replies = {reply};
    next.window->offerRecovery();
    if (next.desktop.questions.empty() && madeAt[0] > settled)
        return; // ended before any edit was due on disk
    QCOMPARE(next.desktop.questions.size(), size_t(1));
    QVERIFY(next.desktop.questions[0].yesIsDefault);
    QVERIFY2(next.desktop.questions[0].text.startsWith(
                 QStringLiteral("Palomet был закрыт, не сохранив изменения в %1 (")
                     .arg(QDir::toNativeSeparators(f.path(QStringLiteral("thisyear.csv"))))),
        qPrintable(next.desktop.questions[0].text));
    QVERIFY(next.desktop.messages.empty());

    const FlexGrid* recovered = &next.grid();
    if (!reply) {
        // "Нет" keeps the work in Backup, where "Загрузить архив" finds it.
        QCOMPARE(logsIn(f.logs.path()).size(), 0);
        const QStringList versions =
            QDir(f.path(QStringLiteral("Backup"))).entryList({QStringLiteral("thisyear-recovered-*.csv")});
        QCOMPARE(versions.size(), 1);
        next.desktop.answers = {versions[0]};
        next.press("CmdZArch");
        QVERIFY(next.desktop.messages.empty());
    }
    for (int row = 1; row <= 5; ++row) {
        int oldest = -1;
        for (int i = row - 1; i < int(madeAt.size()); i += 5)
            if (madeAt[size_t(i)] <= settled)
                oldest = i;
        const QString text = recovered->TextMatrix(row, 6);
        const int edit = text.startsWith(u'E') ? text.mid(1).toInt() : -1;
        QVERIFY2(edit >= oldest && (edit == -1 || (edit % 5 == row - 1 && edit <= int(madeAt.size()))),
            qPrintable(QStringLiteral("row %1 holds %2, edit %3 made before the end").arg(row).arg(text).arg(oldest)));
    }
    if (!reply)
        return;
    QVERIFY(next.window->mayLoseWork());
    next.desktop.replies = {false};
    next.press("CmdSave");
    // The file as it was at the crash is saved over without a question; a
    // file changed since is asked about.
    QCOMPARE(next.desktop.questions.size(), size_t(then == u"changed" ? 2 : 1));
    if (then == u"changed")
        QVERIFY(next.desktop.questions[1].text.contains(QStringLiteral("изменён")));
}

void TestRecovery::workTheFileCannotHoldComesBack_data()
{
    QTest::addColumn<QString>("work");
    QTest::addColumn<bool>("reply"); // to the recovery question
    QTest::newRow("a character outside Windows-1251, taken back") << "Café" << true;
    QTest::newRow("a character outside Windows-1251, not taken back") << "Café" << false;
    QTest::newRow("a paste wider than the grid, refused") << "wide paste" << true;
    QTest::newRow("from a folder that is gone") << "gone folder" << true;
    QTest::newRow("a cell longer than a register's line, not taken back") << "long cell" << false;
}

// Work the register file cannot hold, or logged where the window can no
// longer be started, ended by a kill (the window goes, its log stays):
// the next start brings all of it back, or keeps it whole in Backup.
void TestRecovery::workTheFileCannotHoldComesBack()
{
    QFETCH(QString, work);
    QFETCH(bool, reply);
    QTemporaryDir folders;
    const QString first = folders.filePath(QStringLiteral("stick"));
    QVERIFY(QDir().mkdir(first));
    auto f = std::make_unique<WindowFixture>(first);
    const QString logs = f->logs.path();
    f->logs.setAutoRemove(false);
    f->open(sample);
    QString typed = work;
    if (work == u"wide paste") {
        QStringList fields;
        for (int i = 0; i < 33000; ++i)
            fields << QString::number(i);
        QGuiApplication::clipboard()->setText(fields.join(u'\t'));
        f->clickCell(1, 0);
        QTest::keyClick(f->window->gridWidget(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(f->desktop.messages.size(), size_t(1));
        QVERIFY(f->desktop.messages[0].text.contains(QStringLiteral("колонок. Таблица не изменена.")));
        QCOMPARE(f->grid().Cols(), 8);
        typed = QStringLiteral("после вставки");
    }
    if (work == u"long cell") {
        typed = QString(33000, u'ж');
        QGuiApplication::clipboard()->setText(typed);
        f->grid().setRow(3);
        f->grid().setCol(6);
        f->window->gridWidget()->setFocus();
        QTest::keyClick(f->window->gridWidget(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(f->grid().TextMatrix(3, 6), typed);
    } else {
        f->retype(3, 6, typed);
    }
    f->clickCell(2, 0);
    f->window.reset();
    f.reset();
    QString next = first;
    if (work == u"gone folder") { // a stick in another port: the folder the log names is not there
        next = folders.filePath(QStringLiteral("elsewhere"));
        QVERIFY(QDir().rename(first, next));
    }
    WindowFixture again(next, logs);
    again.desktop.replies = {reply};
    again.window->offerRecovery();
    QCOMPARE(again.desktop.questions.size(), size_t(1));
    QCOMPARE(again.desktop.questions[0].text.contains(QStringLiteral("сейчас нет")), work == u"gone folder");
    if (reply) {
        QCOMPARE(again.grid().TextMatrix(3, 6), typed);
        QVERIFY(again.desktop.messages.empty());
        QDir(logs).removeRecursively();
        return;
    }
    // Kept in the form that holds every character, and found by its name.
    QCOMPARE(again.desktop.messages.size(), size_t(1));
    QVERIFY(again.desktop.messages[0].text.contains(QStringLiteral("UTF-8")));
    QVERIFY(logsIn(logs).isEmpty());
    const QStringList kept =
        QDir(again.path(QStringLiteral("Backup"))).entryList({QStringLiteral("thisyear-recovered-*")});
    QCOMPARE(kept.size(), 1);
    again.desktop.answers = {QFileInfo(kept[0]).completeBaseName()};
    again.press("CmdZArch");
    QCOMPARE(again.grid().TextMatrix(3, 6), typed);
    QCOMPARE(again.grid().Cols(), 8); // as many columns as the window had
    QCOMPARE(again.desktop.messages.size(), size_t(1));
    QDir(logs).removeRecursively();
}

void TestRecovery::killedDuringAJoin_data()
{
    QTest::addColumn<int>("killAfterMs"); // once the save has begun
    for (const int ms : {0, 15, 30, 45, 60, 80, 100, 150})
        QTest::addRow("killed %d ms into the save", ms) << ms;
}

// A window killed while it joins another desk's save with its own work
// leaves the other desk's register or the joined one, whole, and its work
// comes back from the log: joined where the join was logged.
void TestRecovery::killedDuringAJoin()
{
    QFETCH(int, killAfterMs);
    WindowFixture f;
    QByteArray entries;
    for (int i = 0; i < 100000; ++i)
        entries += QByteArray::number(8710000000LL + i) + ";1;15.01.2009;01.03.2010;EKR;" + QByteArray::number(i) +
                   ";OWNER;\r\n";
    f.writeBytes(entries);
    QProcess editor;
    editor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    editor.start(QCoreApplication::applicationDirPath() + QStringLiteral("/worklog_edits"),
        {f.folder.path(), f.logs.path(), QStringLiteral("merge")});
    QVERIFY(editor.waitForStarted());
    while (!editor.canReadLine() && editor.waitForReadyRead(10000)) { }
    QCOMPARE(editor.readLine().trimmed(), QByteArray("saving"));
    QTest::qWait(killAfterMs);
    if (const qint64 pid = editor.processId(); pid > 0) // 0 once it has ended by itself
        ::kill(pid_t(pid), SIGKILL);
    QVERIFY(editor.state() == QProcess::NotRunning || editor.waitForFinished(10000));
    const bool finished = editor.readAll().contains("saved");

    const QByteArray file = f.readBytes();
    QVERIFY(file.endsWith(";OWNER;\r\n") && file.count('\n') == 100000 && file.contains(";THEIRS;"));
    const bool joined = file.contains("MINE");
    QVERIFY(joined || !finished);
    WindowFixture next(f.folder.path(), f.logs.path());
    next.desktop.replies = {true};
    next.window->offerRecovery();
    if (joined && next.desktop.questions.empty())
        return; // saved whole before the kill: nothing left to recover
    QCOMPARE(next.desktop.questions.size(), size_t(1));
    QCOMPARE(next.grid().TextMatrix(1, 6), QStringLiteral("MINE"));
    // Recovered with the other desk's work where the join had reached the log.
    QVERIFY(QStringList({"THEIRS", "OWNER"}).contains(next.grid().TextMatrix(2, 6)));
}

void TestRecovery::damagedLogIsMovedAside()
{
    WindowFixture f;
    // Named as earlier versions named their logs: still found.
    QFile garbage(f.logs.filePath(QStringLiteral("work-20261207-120000-000-1.journal")));
    QVERIFY(garbage.open(QIODevice::WriteOnly));
    static const char bytes[] = "PALOMETJ\x01\x00\x00\x00 not a frame, and long enough to be no torn one";
    garbage.write(bytes, sizeof bytes - 1);
    garbage.close();
    f.window->offerRecovery();
    QCOMPARE(f.desktop.questions.size(), size_t(0));
    QCOMPARE(f.desktop.messages.size(), size_t(1));
    QVERIFY(f.desktop.messages[0].text.contains(QStringLiteral("повреждён")));
    const QStringList left = logsIn(f.logs.path());
    QCOMPARE(left.size(), 1);
    QVERIFY(left[0].contains(QStringLiteral(".journal.unreadable-")));
}

// A file where the logs' folder should be: the work cannot be kept,
// and the user hears it once, after the change that found it.
void TestRecovery::logThatCannotBeWrittenIsSaid()
{
    QTemporaryDir home;
    QFile blocker(home.filePath(QStringLiteral("state")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    WindowFixture f({}, home.filePath(QStringLiteral("state/palomet")));
    f.open(sample);
    f.retype(1, 6, QStringLiteral("Новиков"));
    f.clickCell(2, 0);
    f.press("CmdAddS");
    QTRY_COMPARE(f.desktop.messages.size(), size_t(1));
    QVERIFY(f.desktop.messages[0].text.contains(QStringLiteral("не может записывать несохранённую работу")));
    QTest::qWait(50);
    QCOMPARE(f.desktop.messages.size(), size_t(1));
}

QTEST_MAIN(TestRecovery)
#include "tst_recovery.moc"
