#include "app/document/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

class TestProgramFolder : public QObject {
    Q_OBJECT
private slots:
    void registerLivesBesideTheProgramOrInTheUsersDataFolder_data();
    void registerLivesBesideTheProgramOrInTheUsersDataFolder();
};

void TestProgramFolder::registerLivesBesideTheProgramOrInTheUsersDataFolder_data()
{
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QString>("holds"); // "", "thisyear.csv" or "Archive"
    QTest::addColumn<QString>("xdgDataHome"); // "data" below home, a relative path, or unset
    QTest::addColumn<QString>("chosen"); // "beside", or below the temporary home
    QTest::newRow("a folder of the user's") << true << ""
                                            << "data"
                                            << "beside";
    QTest::newRow("read-only, holding the register") << false << "thisyear.csv"
                                                     << "data"
                                                     << "beside";
    QTest::newRow("read-only, holding archives") << false << "Archive"
                                                 << "data"
                                                 << "beside";
    QTest::newRow("installed") << false << ""
                               << "data"
                               << "data/palomet";
    QTest::newRow("installed, no XDG_DATA_HOME") << false << ""
                                                 << ""
                                                 << ".local/share/palomet";
    QTest::newRow("installed, relative XDG_DATA_HOME") << false << ""
                                                       << "rel/data"
                                                       << ".local/share/palomet";
    QTest::newRow("a system folder, even for root") << true << "/usr/bin"
                                                    << "data"
                                                    << "data/palomet";
}

void TestProgramFolder::registerLivesBesideTheProgramOrInTheUsersDataFolder()
{
    QFETCH(bool, writable);
    QFETCH(QString, holds);
    QFETCH(QString, xdgDataHome);
    QFETCH(QString, chosen);
    if (!writable && geteuid() == 0)
        QSKIP("root writes anywhere: these cases run as nobody (tst_programfolder_nobody)");
    QTemporaryDir home;
    QTemporaryDir program;
    if (holds.startsWith(u'/')) { // the executable stands in that folder
        qputenv("HOME", QFile::encodeName(home.path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(xdgDataHome)));
        QCOMPARE(ProgramFolder::choose(holds), home.filePath(chosen));
        return;
    }
    if (holds == u"Archive")
        QVERIFY(QDir(program.path()).mkdir(holds));
    else if (!holds.isEmpty())
        QVERIFY(QFile(program.filePath(holds)).open(QIODevice::WriteOnly));
    const auto readOnly = QFile::ReadOwner | QFile::ExeOwner;
    if (!writable)
        QVERIFY(QFile::setPermissions(program.path(), readOnly));
    qputenv("HOME", QFile::encodeName(home.path()));
    if (xdgDataHome == u"data")
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(xdgDataHome)));
    else if (xdgDataHome.isEmpty())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", QFile::encodeName(xdgDataHome));

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
