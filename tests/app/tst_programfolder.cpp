#include "app/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

class TestProgramFolder : public QObject
{
    Q_OBJECT
private slots:
    void registerLivesBesideTheProgramOrInTheUsersDataFolder_data();
    void registerLivesBesideTheProgramOrInTheUsersDataFolder();
};

void TestProgramFolder::registerLivesBesideTheProgramOrInTheUsersDataFolder_data()
{
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QString>("holds");    // "", "thisyear.csv" or "Archive"
    QTest::addColumn<bool>("xdgDataHome"); // else only HOME is set
    QTest::addColumn<QString>("chosen");   // "beside", or below the temporary home
    QTest::newRow("a folder of the user's") << true << "" << true << "beside";
    QTest::newRow("read-only, holding the register") << false << "thisyear.csv" << true << "beside";
    QTest::newRow("read-only, holding archives") << false << "Archive" << true << "beside";
    QTest::newRow("installed") << false << "" << true << "data/palomet";
    QTest::newRow("installed, no XDG_DATA_HOME") << false << "" << false << ".local/share/palomet";
}

void TestProgramFolder::registerLivesBesideTheProgramOrInTheUsersDataFolder()
{
    QFETCH(bool, writable);
    QFETCH(QString, holds);
    QFETCH(bool, xdgDataHome);
    QFETCH(QString, chosen);
    if (!writable && geteuid() == 0)
        QSKIP("root writes anywhere: these cases run as nobody (tst_programfolder_nobody)");
    QTemporaryDir home;
    QTemporaryDir program;
    if (holds == u"Archive")
        QVERIFY(QDir(program.path()).mkdir(holds));
    else if (!holds.isEmpty())
        QVERIFY(QFile(program.filePath(holds)).open(QIODevice::WriteOnly));
    const auto readOnly = QFile::ReadOwner | QFile::ExeOwner;
    if (!writable)
        QVERIFY(QFile::setPermissions(program.path(), readOnly));
    qputenv("HOME", QFile::encodeName(home.path()));
    if (xdgDataHome)
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    else
        qunsetenv("XDG_DATA_HOME");

    const QString folder = ProgramFolder::choose(program.path());
    QFile::setPermissions(program.path(), readOnly | QFile::WriteOwner);
    if (chosen == u"beside") {
        QCOMPARE(folder, program.path());
    } else {
        QCOMPARE(folder, home.filePath(chosen));
        QVERIFY(QFileInfo(folder).isDir());
    }
}

QTEST_GUILESS_MAIN(TestProgramFolder)
#include "tst_programfolder.moc"
