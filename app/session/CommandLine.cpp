#include "app/session/CommandLine.h"

#include "due/DueReport.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <cstdio>

namespace CommandLine {

namespace {

const char* const helpText = "Использование: palomet [-h | --help] [-v | --version] [--folder ПАПКА] [--due [ДНЕЙ]]\n"
                             "Usage: palomet [-h | --help] [-v | --version] [--folder DIR] [--due [DAYS]]\n"
                             "\n"
                             "Palomet ведёт журнал блоков ЭКЛЗ контрольно-кассовых машин: thisyear.csv\n"
                             "и архивы в папке Archive, в папке программы или в ~/.local/share/palomet.\n"
                             "Palomet keeps the register of the EKLZ units of fiscal cash registers:\n"
                             "thisyear.csv and the archives in Archive, in the program's folder or in\n"
                             "~/.local/share/palomet.\n"
                             "\n"
                             "  -h, --help       эта справка / this help\n"
                             "  -v, --version    версия программы / the program's version\n"
                             "  --folder ПАПКА   журнал в этой папке, например в общей папке на сервере\n"
                             "  --folder DIR     the register in DIR, a shared folder on a server, say\n"
                             "  --due [ДНЕЙ]     ЭКЛЗ, заблокированные за последние ДНЕЙ дней или\n"
                             "                   блокируемые в следующие ДНЕЙ дней (30, если не указано),\n"
                             "                   по журналу и всем архивам: строки через табуляцию, UTF-8,\n"
                             "                   окно не открывается. Код выхода 0; 1, если какой-то файл\n"
                             "                   не прочитан; 2, если нет папки.\n"
                             "  --due [DAYS]     the units blocked in the last DAYS days or blocking in the\n"
                             "                   next DAYS (30 when not given), over the register and every\n"
                             "                   archive, as UTF-8 tab-separated lines; no window. Exit\n"
                             "                   status 0; 1 when a file could not be read; 2 when the\n"
                             "                   folder is missing.\n"
                             "\n"
                             "Другие аргументы не действуют: открывается окно программы.\n"
                             "Any other argument is ignored: the program's window opens.\n";

// --due, with the number after it when one follows.
std::optional<int> dueDaysIn(const QStringList& arguments)
{
    const qsizetype at = arguments.indexOf(QStringLiteral("--due"));
    if (at < 1)
        return std::nullopt;
    bool number = false;
    const int days = arguments.value(at + 1).toInt(&number);
    return number && days >= 0 ? days : DueReport::defaultDays;
}

} // namespace

Start read(const QStringList& arguments)
{
    QCommandLineParser parser;
    // "-reverse" and Qt's other one-dash options are words, not -r -e -v ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList {QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList {QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption folder(QStringLiteral("folder"), QString(), QStringLiteral("DIR"));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(folder);
    parser.parse(arguments); // an unknown argument is no error here: it is ignored
    // "--folder" last, with nothing after it: Qt takes no option then.
    const bool folderWithoutValue =
        !arguments.isEmpty() && (arguments.last() == u"--folder" || arguments.last() == u"-folder");
    if (parser.isSet(help)) {
        std::fputs(helpText, stdout);
        return {0, {}, {}};
    }
    if (parser.isSet(version)) {
        std::printf("palomet %s\n", PALOMET_VERSION);
        return {0, {}, {}};
    }
    const std::optional<int> dueDays = dueDaysIn(arguments);
    if (!parser.isSet(folder) && !folderWithoutValue)
        return {std::nullopt, {}, {}, dueDays};
    const QString chosen = parser.isSet(folder) ? parser.value(folder) : QString();
    const QFileInfo info(chosen);
    QString problem;
    const char* english = nullptr;
    if (chosen.isEmpty()) {
        problem = QStringLiteral("После --folder не указана папка журнала.");
        english = "no folder is given after --folder";
    } else if (!info.exists()) {
        problem = QStringLiteral("Папки «%1», указанной после --folder, нет.").arg(chosen);
        english = "the folder given after --folder does not exist";
    } else if (!info.isDir()) {
        problem = QStringLiteral("«%1», указанный после --folder, — не папка, а файл.").arg(chosen);
        english = "what is given after --folder is not a folder";
    }
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "palomet: %s; %s\n", english, qPrintable(problem));
        return {2, {}, problem};
    }
    // As given: a link to a folder on a share stays the way to it.
    return {std::nullopt, QFileInfo(chosen).absoluteFilePath(), {}, dueDays};
}

} // namespace CommandLine
