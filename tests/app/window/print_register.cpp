// Prints a register through the program's real print path: the main window
// over the real desktop layer, so the job goes to the system's default
// printer. Used by cups_print.sh, which runs it against a private CUPS server.
//
//   print_register FOLDER          prints FOLDER/thisyear.csv; exits 0 when the
//                                  window reported no problem
//   print_register FOLDER cancel [PAGE]
//                                  also says "cancel X Y" once the progress
//                                  shows, X Y being where its "Отмена" is on
//                                  the screen, for a real click there, and
//                                  "page N" as each page is reported and
//                                  "handed MS" once the job is handed over;
//                                  the job waits at PAGE for the click
#include "ConsoleDesktop.h"
#include "app/desktop/Fonts.h"
#include "app/window/FrmEKLZ.h"

#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    installFontSubstitutions();
    if (argc < 2)
        return 2;
    ConsoleDesktop desktop;
    FrmEKLZ window(desktop, QString::fromLocal8Bit(argv[1]));
    desktop.setMainWindow(&window);
    window.show();
    QTimer watch;
    if (argc > 2 && qstrcmp(argv[2], "cancel") == 0) {
        desktop.reportPages = true;
        if (argc > 3)
            desktop.holdAtPage = QByteArray(argv[3]).toInt();
        QObject::connect(&watch, &QTimer::timeout, [&] {
            for (QProgressDialog* progress : window.findChildren<QProgressDialog*>()) {
                const QPushButton* cancel = progress->findChild<QPushButton*>();
                if (!progress->isVisible() || !cancel)
                    continue;
                const QPoint at = cancel->mapToGlobal(cancel->rect().center());
                std::printf("cancel %d %d\n", at.x(), at.y());
                std::fflush(stdout);
                watch.stop();
            }
        });
        watch.start(10);
    }
    window.findChild<QPushButton*>(QStringLiteral("CmdZagruz"))->click();
    window.findChild<QPushButton*>(QStringLiteral("CmdPrint"))->click();
    return desktop.messages == 0 ? 0 : 1;
}
