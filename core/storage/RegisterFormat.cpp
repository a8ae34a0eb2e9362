#include "storage/RegisterFormat.h"

#include <QStringDecoder>
#include <algorithm>
#include <array>

namespace RegisterFormat {

namespace {

// Windows-1251 as Qt decodes it, byte by byte, and turned round: the byte for
// every character that has one. Built once from Qt's decoder, so reading and
// writing agree with it; the program then converts by table.
struct EncodingTable
{
    std::array<char16_t, 256> character{};
    bool oneUnitPerByte = true; // else decoding is left to Qt
    std::array<quint8, 0x10000> byte{};
    std::array<bool, 0x10000> encodable{};

    EncodingTable()
    {
        for (int b = 0; b < 256; ++b) {
            const char raw = static_cast<char>(b);
            const QString decoded = QStringDecoder("windows-1251").decode(QByteArrayView(&raw, 1));
            if (decoded.size() != 1) {
                oneUnitPerByte = false;
                continue;
            }
            const char16_t unit = decoded[0].unicode();
            character[b] = unit;
            byte[unit] = static_cast<quint8>(b);
            encodable[unit] = true;
        }
    }
};

const EncodingTable& table()
{
    static const EncodingTable instance;
    return instance;
}

} // namespace

bool codecAvailable()
{
    return QStringDecoder("windows-1251").isValid();
}

void appendDecoded(QString& text, QByteArrayView bytes)
{
    const EncodingTable& codes = table();
    if (!codes.oneUnitPerByte) {
        text += QStringDecoder("windows-1251").decode(bytes);
        return;
    }
    const qsizetype start = text.size();
    text.resize(start + bytes.size());
    char16_t* out = reinterpret_cast<char16_t*>(text.data()) + start;
    for (const char b : bytes)
        *out++ = codes.character[static_cast<quint8>(b)];
}

QString decode(QByteArrayView bytes)
{
    QString text;
    appendDecoded(text, bytes);
    return text;
}

std::optional<qsizetype> splitLines(QStringView text, bool atEnd,
                                    const std::function<void(QStringView)>& onLine)
{
    // The next CR and the next LF, each found by Qt's vectorised search and
    // looked for again only once passed.
    const auto next = [&text](char16_t ch, qsizetype from) {
        const qsizetype at = text.indexOf(QChar(ch), from);
        return at < 0 ? text.size() : at;
    };
    qsizetype start = 0;
    qsizetype cr = next(u'\r', 0);
    qsizetype lf = next(u'\n', 0);
    while (std::min(cr, lf) < text.size()) {
        const qsizetype end = std::min(cr, lf);
        if (end - start > maxLineLength)
            return std::nullopt;
        const bool lfFollows = end == cr && lf == cr + 1 && lf < text.size();
        if (end == cr && !lfFollows && cr + 1 == text.size() && !atEnd)
            return start; // the LF may come with the next piece
        onLine(text.sliced(start, end - start));
        start = end + (lfFollows ? 2 : 1);
        if (cr < start)
            cr = next(u'\r', start);
        if (lf < start)
            lf = next(u'\n', start);
    }
    const qsizetype rest = text.size() - start;
    if (rest > maxLineLength)
        return std::nullopt;
    if (atEnd && rest > 0) {
        onLine(text.sliced(start));
        start = text.size();
    }
    return start;
}

QStringList splitFields(QStringView line)
{
    QStringList fields;
    forEachField(line, [&fields](QStringView field) { fields.append(field.toString()); });
    return fields;
}

std::optional<std::vector<QStringList>> parse(QByteArrayView bytes)
{
    std::vector<QStringList> rows;
    const QString text = decode(bytes);
    const auto consumed =
        splitLines(text, true, [&rows](QStringView line) { rows.push_back(splitFields(line)); });
    if (!consumed)
        return std::nullopt;
    return rows;
}

std::optional<qsizetype> firstUnwritable(QStringView text)
{
    const EncodingTable& codes = table();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (unit == u';' || unit == u'\r' || unit == u'\n' || !codes.encodable[unit])
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

std::optional<Unwritable> appendLine(QByteArray& out, std::span<const QStringView> fields)
{
    const auto count = std::min<qsizetype>(fields.size(), savedColumns);
    qsizetype length = savedColumns + 2;
    for (qsizetype c = 0; c < count; ++c)
        length += fields[c].size();
    if (length - 2 > maxLineLength)
        return Unwritable{0, 0, true};
    const EncodingTable& codes = table();
    const qsizetype start = out.size();
    out.resize(start + length);
    char* target = out.data() + start;
    for (qsizetype c = 0; c < savedColumns; ++c) {
        const QStringView field = c < count ? fields[c] : QStringView();
        for (qsizetype i = 0; i < field.size(); ++i) {
            const char16_t unit = field[i].unicode();
            if (unit == u';' || unit == u'\r' || unit == u'\n' || !codes.encodable[unit]) {
                out.truncate(start);
                return Unwritable{static_cast<int>(c), characterAt(field, i)};
            }
            *target++ = static_cast<char>(codes.byte[unit]);
        }
        *target++ = ';';
    }
    *target++ = '\r';
    *target = '\n';
    return std::nullopt;
}

} // namespace RegisterFormat
