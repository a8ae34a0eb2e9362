// One desk of a register on a shared folder, for share_saves.sh: runs the
// window's own open and save, or holds the register's lock, and says on
// standard output how each went.
//
//   share_desk FOLDER hold SECONDS   holds FOLDER/thisyear.csv's lock ("held")
//   share_desk FOLDER save MARK [ROW]  opens, writes MARK into the owner of
//                                    entry ROW (1 unless given) and saves
//                                    ("saved", "asked: …" or "message: …");
//                                    every question is answered "Нет", every
//                                    conflict window «Отмена»
//   share_desk FOLDER wait MARK [ROW]  the same, but waits for a line on
//                                    standard input between opening
//                                    ("opened") and saving
#include "WindowFixture.h"
#include "storage/RegisterLock.h"

#include <QApplication>
#include <QThread>
#include <cstdio>
#include <iostream>
#include <string>

namespace {

void say(const QString& line)
{
    std::printf("%s\n", qPrintable(QString(line).replace(u'\n', u' ')));
    std::fflush(stdout);
}

int hold(const QString& folder, int seconds)
{
    RegisterLock lock;
    if (lock.acquire(folder + QStringLiteral("/thisyear.csv")) != RegisterLock::Result::Held) {
        say(QStringLiteral("busy"));
        return 1;
    }
    say(QStringLiteral("held"));
    QThread::sleep(static_cast<unsigned long>(seconds));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 4)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString command = QString::fromLatin1(argv[2]);
    if (command == u"hold")
        return hold(folder, QString::fromLatin1(argv[3]).toInt());
    WindowFixture f(folder);
    f.press("CmdZagruz");
    const int row = argc > 4 ? QByteArray(argv[4]).toInt() : 1;
    f.grid().setTextMatrix(row, 6, QString::fromLocal8Bit(argv[3]));
    if (command == u"wait") {
        say(QStringLiteral("opened"));
        std::string line;
        std::getline(std::cin, line);
    }
    f.press("CmdSave");
    if (!f.desktop.conflictWindows.empty())
        say(QStringLiteral("conflicts: ") + f.desktop.conflictWindows.front().intro);
    else if (!f.desktop.questions.empty())
        say(QStringLiteral("asked: ") + f.desktop.questions.front().text);
    else if (!f.desktop.messages.empty())
        say(QStringLiteral("message: ") + f.desktop.messages.front().text);
    else
        say(QStringLiteral("saved"));
    return 0;
}
