// The register parser: any bytes parse without a crash, and reading them in
// two pieces (as the reader does, a block at a time) gives the same lines as
// reading them whole.
#include "storage/RegisterFormat.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto whole = RegisterFormat::parse(bytes);

    const qsizetype cut = size == 0 ? 0 : static_cast<qsizetype>(data[0]) % (bytes.size() + 1);
    std::vector<QStringList> pieces;
    PackedRow cells;
    auto collect = [&](QByteArrayView line) {
        QStringList fields;
        const int count = RegisterFormat::splitFields(line, cells);
        for (int c = 0; c < count; ++c)
            fields.append(cells.cell(c).toString());
        pieces.push_back(fields);
    };
    const auto first = RegisterFormat::splitLines(bytes.first(cut), false, collect);
    bool tooLong = !first;
    if (first) {
        const auto rest = RegisterFormat::splitLines(bytes.sliced(*first), true, collect);
        tooLong = !rest;
    }
    if (whole.has_value() == tooLong)
        std::abort(); // one way found a line too long, the other did not
    if (whole && *whole != pieces)
        std::abort();
    return 0;
}
