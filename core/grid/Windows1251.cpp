#include "grid/Windows1251.h"

#include <QString>
#include <QStringDecoder>

namespace Windows1251 {

Table build()
{
    Table codes;
    for (int b = 0; b < 256; ++b) {
        const char raw = static_cast<char>(b);
        const QString decoded = QStringDecoder("windows-1251").decode(QByteArrayView(&raw, 1));
        if (decoded.size() != 1 || codes.encodable[decoded[0].unicode()]) {
            codes.complete = false;
            continue;
        }
        const char16_t unit = decoded[0].unicode();
        codes.character[b] = unit;
        codes.byte[unit] = static_cast<quint8>(b);
        codes.encodable[unit] = true;
    }
    return codes;
}

bool available()
{
    return QStringDecoder("windows-1251").isValid() && table().complete;
}

bool encode(QStringView text, char* out)
{
    const Table& codes = table();
    for (const QChar ch : text) {
        const char16_t unit = ch.unicode();
        if (!codes.encodable[unit])
            return false;
        *out++ = static_cast<char>(codes.byte[unit]);
    }
    return true;
}

bool encodable(QStringView text)
{
    const Table& codes = table();
    for (const QChar ch : text)
        if (!codes.encodable[ch.unicode()])
            return false;
    return true;
}

void decode(QByteArrayView bytes, char16_t* out)
{
    const Table& codes = table();
    for (const char b : bytes)
        *out++ = codes.character[static_cast<quint8>(b)];
}

} // namespace Windows1251
