#include "Floors.h"

#include "storage/RegisterFormat.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <functional>
#include <vector>

namespace Floors {

namespace {

double medianOfFive(const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[2];
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

double read(const QString& registerFile)
{
    volatile qsizetype sink = 0;
    return medianOfFive([&] {
        const QByteArray bytes = bytesOf(registerFile);
        qsizetype fields = 0;
        qsizetype lines = 0;
        for (const char byte : bytes) {
            fields += byte == ';';
            lines += byte == '\r';
        }
        sink = fields + lines;
    });
}

double write(const QString& registerFile, const QString& folder)
{
    const QByteArray bytes = bytesOf(registerFile);
    const QString target = QDir(folder).filePath(QStringLiteral("floor.csv"));
    return medianOfFive([&] {
        QFile file(target);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    });
}

double sort(const QString& registerFile, int column)
{
    std::vector<QString> texts;
    PackedRow cells;
    RegisterFormat::splitLines(bytesOf(registerFile), true, [&](QByteArrayView line) {
        RegisterFormat::splitFields(line, cells);
        texts.push_back(cells.cell(column).toString());
    });
    return medianOfFive([&] {
        std::vector<QString> copy = texts;
        std::stable_sort(copy.begin(), copy.end());
    });
}

} // namespace Floors
