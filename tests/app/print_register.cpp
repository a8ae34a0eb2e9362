// Prints a register through the program's real print path: the main window
// over the real desktop layer, so the job goes to the system's default
// printer. Used by cups_print.sh, which runs it against a private CUPS server.
//
//   print_register FOLDER    prints FOLDER/thisyear.csv; exits 0 when the
//                            window reported no problem
#include "ConsoleDesktop.h"
#include "app/Fonts.h"
#include "app/FrmEKLZ.h"

#include <QApplication>
#include <QPushButton>

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
    window.findChild<QPushButton*>(QStringLiteral("CmdZagruz"))->click();
    window.findChild<QPushButton*>(QStringLiteral("CmdPrint"))->click();
    return desktop.messages == 0 ? 0 : 1;
}
