#include "app/desktop/Fonts.h"
#include "app/desktop/ProgramTitle.h"
#include "app/desktop/QtDesktop.h"
#include "app/desktop/QtTexts.h"
#include "app/document/ProgramFolder.h"
#include "app/session/CommandLine.h"
#include "app/session/SessionEnd.h"
#include "app/window/FrmEKLZ.h"
#include "due/DueReport.h"
#include "grid/Twips.h"
#include "storage/RegisterFormat.h"

#include <QApplication>
#include <QDate>
#include <QFileInfo>
#include <QScreen>
#include <QSessionManager>
#include <QStyleFactory>
#include <QTextStream>
#include <cstdio>
#include <cstdlib>

namespace {

// Qt aborts when it cannot reach a display; say so plainly instead.
bool displayReachable()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        return true;
    const QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty())
        return false;
    if (!display.startsWith(u':'))
        return true; // a remote display: only Qt can tell
    const QString number = display.mid(1).section(u'.', 0, 0);
    return QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X") + number);
}

// palomet --due: the list, in the folder given or the program's own.
int dueReport(int argc, char* argv[], const CommandLine::Start& start)
{
    QCoreApplication app(argc, argv);
    const QString folder =
        start.folder.isEmpty() ? ProgramFolder::choose(QCoreApplication::applicationDirPath()) : start.folder;
    QTextStream out(stdout);
    QTextStream err(stderr);
    return DueReport::write(folder, *start.dueDays, QDate::currentDate(), out, err);
}

} // namespace

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine::Start start = CommandLine::read(arguments);
    if (start.dueDays) // a report, never a window: the folder's problem is on standard error
        return start.exitStatus ? *start.exitStatus : dueReport(argc, argv, start);
    if (start.exitStatus && (start.problem.isEmpty() || !displayReachable()))
        return *start.exitStatus;
    if (!displayReachable()) {
        std::fprintf(stderr, "palomet: no display to show the window on (DISPLAY is unset or "
                             "unreachable); start it from a desktop session.\n");
        return EXIT_FAILURE;
    }
    // The program takes nothing on its command line, Qt's own options
    // (-style, -reverse, ...) included.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    QCoreApplication::setApplicationName(QStringLiteral("palomet"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PALOMET_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("ru.palomet.Palomet"));
    installRussianQtTexts();
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    installFontSubstitutions();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        Twips::setLogicalDpi(screen->logicalDotsPerInch());

    QtDesktop desktop;
    // Started from the menu there is no terminal to read it in.
    if (start.exitStatus) {
        desktop.messageBox(start.problem, programTitle());
        return *start.exitStatus;
    }
    if (!RegisterFormat::codecAvailable()) {
        desktop.messageBox(QStringLiteral("Эта сборка Qt не умеет читать и записывать кодировку "
                                          "Windows-1251, в которой хранится журнал. Palomet не может "
                                          "работать с ней: установите Qt с поддержкой этой кодировки."),
            programTitle());
        return EXIT_FAILURE;
    }
    FrmEKLZ window(
        desktop, start.folder.isEmpty() ? ProgramFolder::choose(QCoreApplication::applicationDirPath()) : start.folder);
    desktop.setMainWindow(&window);
    // A logout asks about unsaved work where the session lets us ask, and
    // otherwise keeps it in the log; a kill signal keeps it there too.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, [&window](QSessionManager& manager) {
        if (!window.endOfSession(manager.allowsInteraction()))
            manager.cancel();
        manager.release();
    });
    SessionEnd sessionEnd;
    QObject::connect(&sessionEnd, &SessionEnd::terminationRequested, &window, &FrmEKLZ::endBySignal);
    window.show();
    window.offerRecovery();
    return app.exec();
}
