// Measures the program's operations through the real main window on the
// offscreen platform, on generated registers, and prints one table.
//
//   palomet_bench                 every operation and size, a table
//   palomet_bench --child OP N R  one operation on N entries, R runs (internal)
//
// Each operation and size runs in a process of its own, so that its peak
// memory is its own.
#include "BenchOperations.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>
#include <cstdio>

namespace {

int runChild(const QStringList& args, int argc, char** argv)
{
    return runOperation(args.value(2), args.value(3).toInt(), args.value(4).toInt(), argc, argv);
}

} // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    if (args.value(1) == QLatin1String("--child"))
        return runChild(args, argc, argv);

    const int runs = 5;
    const QList<BenchRow> rows = benchRows();
    std::printf("%-28s %10s %10s %10s %10s %10s\n", "operation", "entries", "median ms", "min ms",
                "max ms", "peak MB");
    for (const BenchRow& row : rows) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(args[0], {QStringLiteral("--child"), row.operation, QString::number(row.entries),
                              QString::number(runs)});
        child.waitForFinished(-1);
        const QString line = QString::fromUtf8(child.readAllStandardOutput()).trimmed();
        std::printf("%s\n", qPrintable(line.isEmpty() ? row.operation + QStringLiteral(" failed") : line));
        std::fflush(stdout);
    }
    return 0;
}
