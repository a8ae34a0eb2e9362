// Edits a register through the window's real handlers, for tst_recovery and
// tst_powercut to kill at any moment: opens FOLDER/thisyear.csv, then types
// "E<i>" into the owner cell of entry i % 5 + 1 and clicks elsewhere to
// commit it, for i from 0 on, saying "edit <i> <ms since the epoch>" once
// each edit is a step; then waits. A termination signal ends it as it ends
// the program.
//
//   worklog_edits FOLDER LOGS              opens the register
//   worklog_edits FOLDER LOGS recover N    takes the work of an ended
//                                              window back instead ("Да"),
//                                              and numbers its edits from N
//   worklog_edits FOLDER LOGS merge        types MINE into entry 1's owner,
//                                              finds THEIRS in entry 2's on
//                                              disk, and saves, joining
//                                              both ("saving", "saved")
#include "WindowFixture.h"
#include "app/session/SessionEnd.h"

#include <QApplication>
#include <QDateTime>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    WindowFixture f(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    SessionEnd sessionEnd;
    QObject::connect(&sessionEnd, &SessionEnd::terminationRequested, [&] {
        f.window->endBySignal();
        std::_Exit(EXIT_SUCCESS); // the scripted desktop only counts quits
    });
    int first = 0;
    if (argc > 3 && qstrcmp(argv[3], "merge") == 0) {
        f.press("CmdZagruz");
        f.retype(1, 6, QStringLiteral("MINE"));
        f.clickCell(1, 0);
        QTest::qWait(400); // the edit is in the log
        QByteArray file = f.readBytes();
        const qsizetype owner = file.indexOf(";OWNER;", file.indexOf('\n'));
        file.replace(owner, 7, ";THEIRS;");
        f.writeBytes(file);
        std::printf("saving\n");
        std::fflush(stdout);
        f.press("CmdSave");
        std::printf("saved\n");
        std::fflush(stdout);
        return 0;
    }
    if (argc > 4 && qstrcmp(argv[3], "recover") == 0) {
        f.desktop.replies = {true};
        f.window->offerRecovery();
        first = QByteArray(argv[4]).toInt();
    } else {
        f.press("CmdZagruz");
    }
    for (int i = first;; ++i) {
        const int row = i % 5 + 1;
        f.retype(row, 6, QStringLiteral("E%1").arg(i));
        f.clickCell(row, 0);
        std::printf("edit %d %lld\n", i, QDateTime::currentMSecsSinceEpoch());
        std::fflush(stdout);
        QTest::qWait(i - first < 40 ? 40 : 250);
    }
}
