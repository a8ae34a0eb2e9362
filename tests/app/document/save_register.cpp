// Saves a register through the program's real code, for tst_crashsafe to
// kill in the middle: opens FOLDER/thisyear.csv, writes MARKER into the
// first entry's owner cell, says "saving" on standard output and presses
// "Сохранить изменения".
//
//   save_register FOLDER MARKER
#include "ConsoleDesktop.h"
#include "app/window/FrmEKLZ.h"

#include <QApplication>
#include <QPushButton>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    ConsoleDesktop desktop;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    FrmEKLZ window(desktop, folder, folder + QStringLiteral("/logs"));
    window.findChild<QPushButton*>(QStringLiteral("CmdZagruz"))->click();
    window.grid().setTextMatrix(1, 6, QString::fromLocal8Bit(argv[2]));
    std::printf("saving\n");
    std::fflush(stdout);
    window.findChild<QPushButton*>(QStringLiteral("CmdSave"))->click();
    return desktop.messages == 0 ? 0 : 1;
}
