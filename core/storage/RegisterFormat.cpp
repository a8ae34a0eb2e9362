#include "storage/RegisterFormat.h"

#include "grid/Windows1251.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace RegisterFormat {

bool codecAvailable()
{
    return Windows1251::available();
}

QString decode(QByteArrayView bytes)
{
    return CellText::fromBytes(bytes).toString();
}

std::optional<qsizetype> splitLines(QByteArrayView bytes, bool atEnd, const std::function<void(QByteArrayView)>& onLine)
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

bool splitsTheLine(char byte)
{
    return byte == ';' || byte == '\r' || byte == '\n';
}

// The bytes of word equal to byte, each marked by its top bit; exact, unlike
// the shorter test for a zero byte that borrows into the next one.
quint64 bytesEqual(quint64 word, char byte)
{
    constexpr quint64 low7 = 0x7f7f7f7f7f7f7f7full;
    const quint64 x = word ^ (0x0101010101010101ull * static_cast<quint8>(byte));
    return ~(((x & low7) + low7) | x | low7);
}

// Whether a written line holds exactly its separators and no line end,
// eight bytes at a time: this vouches for every field copied as bytes at once.
bool onlyItsSeparators(const char* line, qsizetype length)
{
    int semicolons = 0;
    quint64 lineEnds = 0;
    qsizetype i = 0;
    for (; i + 8 <= length; i += 8) {
        quint64 word = 0;
        std::memcpy(&word, line + i, 8);
        // The marks moved to each byte's low bit and summed into the top byte.
        semicolons += int(((bytesEqual(word, ';') >> 7) * 0x0101010101010101ull) >> 56);
        lineEnds |= bytesEqual(word, '\r') | bytesEqual(word, '\n');
    }
    for (; i < length; ++i) {
        semicolons += line[i] == ';';
        lineEnds |= line[i] == '\r' || line[i] == '\n';
    }
    return semicolons == savedColumns && lineEnds == 0;
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

// The first cell held as bytes with a byte that would split the line.
std::optional<Unwritable> firstSplitting(std::span<const CellText> fields)
{
    for (size_t c = 0; c < fields.size(); ++c) {
        if (!fields[c].isNarrow())
            continue;
        const QByteArrayView bytes = fields[c].bytes();
        for (qsizetype i = 0; i < bytes.size(); ++i)
            if (splitsTheLine(bytes[i]))
                return Unwritable {static_cast<int>(c), static_cast<char32_t>(bytes[i])};
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
        return Unwritable {0, 0, true};
    const qsizetype start = out.size();
    out.resize(start + length);
    char* target = out.data() + start;
    for (qsizetype c = 0; c < savedColumns; ++c) {
        const CellText field = c < count ? fields[c] : CellText();
        if (field.isNarrow()) {
            std::memcpy(target, field.bytes().data(), size_t(field.size()));
        } else if (const auto bad = encodeWide(field.wideText(), target)) {
            out.truncate(start);
            if (const auto earlier = firstSplitting(fields.first(size_t(c))))
                return earlier;
            return Unwritable {static_cast<int>(c), characterAt(field.wideText(), *bad)};
        }
        target += field.size();
        *target++ = ';';
    }
    *target++ = '\r';
    *target = '\n';
    if (onlyItsSeparators(out.constData() + start, length - 2))
        return std::nullopt;
    const auto bad = firstSplitting(fields.first(size_t(count)));
    if (bad)
        out.truncate(start);
    return bad;
}

std::optional<Unwritable> appendLine(QByteArray& out, RowView row, Checked checked)
{
    const qsizetype start = out.size();
    out.resize(start + row.size() + savedColumns + 2);
    const qsizetype written = row.join(savedColumns, ';', out.data() + start);
    if (written >= 0 && written <= maxLineLength &&
        (checked == Checked::Already || onlyItsSeparators(out.constData() + start, written))) {
        out.truncate(start + written);
        out.append("\r\n", 2);
        return std::nullopt;
    }
    // A wide row, a long cell or a cell with a separator: field by field.
    out.truncate(start);
    std::array<CellText, savedColumns> fields;
    row.readCells(fields);
    return appendLine(out, fields);
}

void appendUnicodeLine(QByteArray& out, std::span<const CellText> fields)
{
    CellText::Scratch scratch;
    for (const CellText& field : fields) {
        const QStringView text = field.view(scratch);
        const bool quoted =
            std::any_of(text.begin(), text.end(), [](QChar ch) { return splitsTheLine(ch.unicode()) || ch == u'"'; });
        if (!quoted) {
            out += text.toUtf8();
        } else {
            out += '"';
            out += text.toString().replace(u'"', QStringLiteral("\"\"")).toUtf8();
            out += '"';
        }
        out += ';';
    }
    out += "\r\n";
}

std::vector<QStringList> parseUnicode(QByteArrayView bytes)
{
    const QString text = QString::fromUtf8(bytes);
    std::vector<QStringList> rows;
    QStringList fields;
    QString field;
    bool quoted = false;
    bool lineOpen = false;
    bool fieldOpen = false; // something since the last ';': a field to end the line with
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        lineOpen = true;
        if (ch != u';' && ch != u'\r' && ch != u'\n')
            fieldOpen = true;
        if (quoted) {
            if (ch == u'"' && i + 1 < text.size() && text[i + 1] == u'"')
                field += text[++i];
            else if (ch == u'"')
                quoted = false;
            else
                field += ch;
        } else if (ch == u'"' && field.isEmpty()) {
            quoted = true;
        } else if (ch == u';') {
            fields << std::exchange(field, QString());
            fieldOpen = false;
        } else if (ch == u'\r' || ch == u'\n') {
            if (ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            if (fieldOpen || fields.isEmpty())
                fields << std::exchange(field, QString());
            rows.push_back(std::exchange(fields, QStringList()));
            lineOpen = false;
            fieldOpen = false;
        } else {
            field += ch;
        }
    }
    if (lineOpen) {
        if (fieldOpen || fields.isEmpty())
            fields << field;
        rows.push_back(fields);
    }
    return rows;
}

} // namespace RegisterFormat
