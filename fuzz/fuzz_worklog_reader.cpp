// The work log's reader: any bytes, a torn or damaged log included,
// read without a crash, and whatever reads as a log rebuilds a grid
// without a crash, or is refused, however its counts and indices lie.
#include "grid/GridModel.h"
#include "worklog/WorkLogFormat.h"

#include <QBuffer>
#include <QGuiApplication>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // The grid measures its captions, which takes a font and so an application.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int appArgc = 1;
    static QGuiApplication app(appArgc, *argv);
    Q_UNUSED(argc);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QBuffer device;
    device.setData(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    device.open(QIODevice::ReadOnly);
    const std::optional<WorkLogFormat::Contents> contents = WorkLogFormat::read(device);
    if (!contents)
        return 0;
    if (contents->wholeLength > qint64(size))
        std::abort();
    GridModel grid;
    const std::optional<size_t> applied = WorkLogFormat::rebuild(*contents, device, grid);
    if (applied && *applied > contents->batches.size())
        std::abort();
    return 0;
}
