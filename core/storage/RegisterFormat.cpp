#include "storage/RegisterFormat.h"

#include "grid/Windows1251.h"
#include <algorithm>
#include <array>

namespace RegisterFormat {

bool codecAvailable()
{
    return Windows1251::available();
}

QString decode(QByteArrayView bytes)
{
    return CellText::fromBytes(bytes).toString();
}

std::optional<qsizetype> splitLines(QByteArrayView bytes, bool atEnd,
                                    const std::function<void(QByteArrayView)>& onLine)
{
    // The next CR and the next LF, each found by a vectorised search and
    // looked for again only once passed.
    const auto next = [&bytes](char ch, qsizetype from) {
        const qsizetype at = bytes.indexOf(ch, from);
        return at < 0 ? bytes.size() : at;
    };
    qsizetype start = 0;
    qsizetype cr = next('\r', 0);
    qsizetype lf = next('\n', 0);
    while (std::min(cr, lf) < bytes.size()) {
        const qsizetype end = std::min(cr, lf);
        if (end - start > maxLineLength)
            return std::nullopt;
        const bool lfFollows = end == cr && lf == cr + 1 && lf < bytes.size();
        if (end == cr && !lfFollows && cr + 1 == bytes.size() && !atEnd)
            return start; // the LF may come with the next piece
        onLine(bytes.sliced(start, end - start));
        start = end + (lfFollows ? 2 : 1);
        if (cr < start)
            cr = next('\r', start);
        if (lf < start)
            lf = next('\n', start);
    }
    const qsizetype rest = bytes.size() - start;
    if (rest > maxLineLength)
        return std::nullopt;
    if (atEnd && rest > 0) {
        onLine(bytes.sliced(start));
        start = bytes.size();
    }
    return start;
}

int splitFields(QByteArrayView line, PackedRow& cells)
{
    return cells.assignSplit(line, ';');
}

std::optional<std::vector<QStringList>> parse(QByteArrayView bytes)
{
    std::vector<QStringList> rows;
    PackedRow cells;
    const auto consumed = splitLines(bytes, true, [&](QByteArrayView line) {
        const int count = splitFields(line, cells);
        QStringList fields;
        for (int c = 0; c < count; ++c)
            fields.append(cells.cell(c).toString());
        rows.push_back(std::move(fields));
    });
    if (!consumed)
        return std::nullopt;
    return rows;
}

namespace {

bool splitsTheLine(char16_t unit)
{
    return unit == u';' || unit == u'\r' || unit == u'\n';
}

// Copies a field held as bytes; answers the first byte that would split the line.
std::optional<qsizetype> copyBytes(QByteArrayView field, char* target)
{
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char b = field[i];
        if (b == ';' || b == '\r' || b == '\n')
            return i;
        target[i] = b;
    }
    return std::nullopt;
}

// Encodes a wide field; answers the first character the file cannot carry.
std::optional<qsizetype> encodeWide(QStringView field, char* target)
{
    const Windows1251::Table& codes = Windows1251::table();
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char16_t unit = field[i].unicode();
        if (splitsTheLine(unit) || !codes.encodable[unit])
            return i;
        target[i] = static_cast<char>(codes.byte[unit]);
    }
    return std::nullopt;
}

} // namespace

std::optional<qsizetype> firstUnwritable(QStringView text)
{
    const Windows1251::Table& codes = Windows1251::table();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (splitsTheLine(unit) || !codes.encodable[unit])
            return i;
    }
    return std::nullopt;
}

char32_t characterAt(QStringView text, qsizetype position)
{
    const QChar first = text[position];
    if (first.isHighSurrogate() && position + 1 < text.size() && text[position + 1].isLowSurrogate())
        return QChar::surrogateToUcs4(first, text[position + 1]);
    return first.unicode();
}

std::optional<Unwritable> appendLine(QByteArray& out, std::span<const CellText> fields)
{
    const auto count = std::min<qsizetype>(fields.size(), savedColumns);
    qsizetype length = savedColumns + 2;
    for (qsizetype c = 0; c < count; ++c)
        length += fields[c].size();
    if (length - 2 > maxLineLength)
        return Unwritable{0, 0, true};
    const qsizetype start = out.size();
    out.resize(start + length);
    char* target = out.data() + start;
    for (qsizetype c = 0; c < savedColumns; ++c) {
        const CellText field = c < count ? fields[c] : CellText();
        const auto bad = field.isNarrow() ? copyBytes(field.bytes(), target)
                                          : encodeWide(field.wideText(), target);
        if (bad) {
            out.truncate(start);
            CellText::Scratch scratch;
            return Unwritable{static_cast<int>(c), characterAt(field.view(scratch), *bad)};
        }
        target += field.size();
        *target++ = ';';
    }
    *target++ = '\r';
    *target = '\n';
    return std::nullopt;
}

} // namespace RegisterFormat
