// The whole program's benchmark: drives the real main window on the
// offscreen platform through its handlers, on generated registers of 1,000,
// 32,766 and 1,000,000 entries, and prints one table (Markdown).
//
//   palomet_bench                       every operation and size
//   palomet_bench OPERATION...          only these operations
//   palomet_bench --child OP FILE N     one row (run by the table, one
//                                       process per row, so that peak
//                                       memory is that row's own)
//   palomet_bench check                 compares what the program writes with
//                                       the digests of bench/expected-outputs.txt
//   palomet_bench --digests             prints those digests
//   palomet_bench --register FILE N     writes the generated register of N
//                                       entries, to profile a row with
//                                       perf record ... --child OP FILE N
#include "Operations.h"
#include "OutputCheck.h"
#include "RegisterGenerator.h"
#include "app/desktop/Fonts.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <map>

namespace {

constexpr int runs = 5;

int runChild(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installFontSubstitutions();
    const QString line = measure(
        QString::fromUtf8(argv[2]), QString::fromLocal8Bit(argv[3]), QString::fromLatin1(argv[4]).toInt(), runs);
    std::printf("%s\n", qPrintable(line));
    return line.isEmpty() ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && qstrcmp(argv[1], "--child") == 0)
        return runChild(argc, argv);
    if (argc == 2 && (qstrcmp(argv[1], "check") == 0 || qstrcmp(argv[1], "--digests") == 0)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        installFontSubstitutions();
        QTemporaryDir work;
        const QString digests = OutputCheck::digests(work.path());
        if (qstrcmp(argv[1], "--digests") == 0) {
            std::printf("%s\n", qPrintable(digests));
            return 0;
        }
        return OutputCheck::compare(digests, QStringLiteral(PALOMET_EXPECTED_OUTPUTS)) ? 0 : 1;
    }
    if (argc == 4 && qstrcmp(argv[1], "--register") == 0)
        return writeRegister(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt()) ? 0 : 1;

    QCoreApplication app(argc, argv);
    QStringList only = QCoreApplication::arguments().mid(1);
    QTemporaryDir registers;
    std::map<int, QString> files;
    std::printf("%s\n", qPrintable(tableHeader()));
    std::fflush(stdout);
    for (const BenchRow& row : benchRows()) {
        if (!only.isEmpty() && !only.contains(row.operation))
            continue;
        if (!files.count(row.entries)) {
            const QString path = registers.filePath(QStringLiteral("%1.csv").arg(row.entries));
            if (!writeRegister(path, row.entries))
                qFatal("cannot write the register of %d entries", row.entries);
            files[row.entries] = path;
        }
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
            {QStringLiteral("--child"), row.operation, files[row.entries], QString::number(row.entries)});
        child.waitForFinished(-1);
        const QString line = QString::fromUtf8(child.readAllStandardOutput()).trimmed();
        std::printf("%s\n",
            qPrintable(
                line.isEmpty() ? QStringLiteral("| %1 | %2 | failed |").arg(row.operation).arg(row.entries) : line));
        std::fflush(stdout);
    }
    return 0;
}
