#include "grid/CaselessText.h"

#include "grid/Windows1251.h"

CaselessText::CaselessText(QStringView word)
    : word_(word.toString())
{
    for (int b = 0; b < 256; ++b)
        foldedByte_[b] = QChar::toCaseFolded(char32_t(Windows1251::decode(static_cast<char>(b))));
    for (const QChar ch : word)
        foldedWord_.push_back(QChar::toCaseFolded(char32_t(ch.unicode())));
}

bool CaselessText::matchesAt(const CellText& text, qsizetype at) const
{
    const QByteArrayView bytes = text.bytes();
    for (size_t i = 0; i < foldedWord_.size(); ++i)
        if (foldedByte_[static_cast<quint8>(bytes[at + qsizetype(i)])] != foldedWord_[i])
            return false;
    return true;
}

bool CaselessText::startsWith(const CellText& text) const
{
    if (!text.isNarrow())
        return text.wideText().startsWith(word_, Qt::CaseInsensitive);
    return text.size() >= qsizetype(foldedWord_.size()) && matchesAt(text, 0);
}

bool CaselessText::contains(const CellText& text) const
{
    if (!text.isNarrow())
        return text.wideText().contains(word_, Qt::CaseInsensitive);
    if (foldedWord_.empty())
        return true;
    const qsizetype last = text.size() - qsizetype(foldedWord_.size());
    const auto* bytes = reinterpret_cast<const quint8*>(text.bytes().data());
    const char32_t first = foldedWord_.front();
    for (qsizetype at = 0; at <= last; ++at)
        if (foldedByte_[bytes[at]] == first && matchesAt(text, at))
            return true;
    return false;
}
