#pragma once

#include <QByteArrayView>
#include <QStringView>
#include <array>

// Windows-1251, the register's code page: one byte a character. The table is
// built once from Qt's own decoder, so the grid, the file and Qt agree on every
// byte; the program then converts by table.
namespace Windows1251 {

struct Table {
    std::array<char16_t, 256> character {};
    std::array<quint8, 0x10000> byte {};
    std::array<bool, 0x10000> encodable {};
    // Every byte decodes to a character of its own: without that the grid
    // could not keep cells as bytes.
    bool complete = true;
};

Table build();

inline const Table& table()
{
    static const Table instance = build();
    return instance;
}

// Whether this Qt converts Windows-1251 one byte to one character.
bool available();

inline char16_t decode(char byte)
{
    return table().character[static_cast<quint8>(byte)];
}

// Writes text.size() bytes to out; false, with out partly written, when a
// character has no byte.
bool encode(QStringView text, char* out);
bool encodable(QStringView text);

void decode(QByteArrayView bytes, char16_t* out);

} // namespace Windows1251
