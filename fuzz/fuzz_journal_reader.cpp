// The work journal's reader: any bytes, a torn or damaged journal included,
// read without a crash, and whatever reads as a journal rebuilds a grid
// without a crash, or is refused, however its counts and indices lie.
#include "grid/FlexGrid.h"
#include "journal/JournalFormat.h"

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
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<JournalFormat::Contents> contents = JournalFormat::read(bytes);
    if (!contents)
        return 0;
    if (contents->wholeLength > bytes.size())
        std::abort();
    FlexGrid grid;
    JournalFormat::rebuild(*contents, grid);
    return 0;
}
