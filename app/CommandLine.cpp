#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <cstdio>

namespace CommandLine {

namespace {

const char* const helpText =
    "Использование: palomet [-h | --help] [-v | --version]\n"
    "Usage: palomet [-h | --help] [-v | --version]\n"
    "\n"
    "Palomet ведёт журнал блоков ЭКЛЗ контрольно-кассовых машин: thisyear.csv\n"
    "и архивы в папке Archive, в папке программы или в ~/.local/share/palomet.\n"
    "Palomet keeps the register of the EKLZ units of fiscal cash registers:\n"
    "thisyear.csv and the archives in Archive, in the program's folder or in\n"
    "~/.local/share/palomet.\n"
    "\n"
    "  -h, --help     эта справка / this help\n"
    "  -v, --version  версия программы / the program's version\n"
    "\n"
    "Другие аргументы не действуют: открывается окно программы.\n"
    "Any other argument is ignored: the program's window opens.\n";

} // namespace

std::optional<int> answerInformationOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    // "-reverse" and Qt's other one-dash options are words, not -r -e -v ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOption(help);
    parser.addOption(version);
    parser.parse(arguments); // an unknown argument is no error here: it is ignored
    if (parser.isSet(help)) {
        std::fputs(helpText, stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("palomet %s\n", PALOMET_VERSION);
        return 0;
    }
    return std::nullopt;
}

} // namespace CommandLine
