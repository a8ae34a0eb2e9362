// Edits a register through the window's real handlers, for tst_recovery to
// kill at any moment: opens FOLDER/thisyear.csv, then types "E<i>" into the
// owner cell of entry i % 5 + 1 and clicks elsewhere to commit it, for i
// from 0 on, saying "edit <i> <ms since the epoch>" once each edit is a
// step; then waits. A termination signal ends it as it ends the program.
//
//   journal_edits FOLDER JOURNALS
#include "WindowFixture.h"
#include "app/SessionEnd.h"

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
    f.press("CmdZagruz");
    for (int i = 0;; ++i) {
        const int row = i % 5 + 1;
        f.retype(row, 6, QStringLiteral("E%1").arg(i));
        f.clickCell(row, 0);
        std::printf("edit %d %lld\n", i, QDateTime::currentMSecsSinceEpoch());
        std::fflush(stdout);
        QTest::qWait(i < 40 ? 40 : 250);
    }
}
