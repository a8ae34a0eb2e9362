#include "grid/CellText.h"

#include "grid/Windows1251.h"

#include <algorithm>

QString CellText::toString() const
{
    if (!isNarrow())
        return wideText().toString();
    QString text(size_, Qt::Uninitialized);
    Windows1251::decode(bytes(), reinterpret_cast<char16_t*>(text.data()));
    return text;
}

QStringView CellText::view(Scratch& scratch) const
{
    if (!isNarrow())
        return wideText();
    scratch.resize(size_);
    Windows1251::decode(bytes(), scratch.data());
    return {scratch.data(), size_};
}

bool operator==(const CellText& a, const CellText& b)
{
    if (a.size_ != b.size_)
        return false;
    if (a.isNarrow() && b.isNarrow())
        return a.bytes() == b.bytes();
    if (!a.isNarrow() && !b.isNarrow())
        return a.wideText() == b.wideText();
    const CellText& narrow = a.isNarrow() ? a : b;
    const CellText& wide = a.isNarrow() ? b : a;
    return std::equal(narrow.narrow_, narrow.narrow_ + narrow.size_, wide.wide_,
        [](char byte, char16_t unit) { return Windows1251::decode(byte) == unit; });
}
