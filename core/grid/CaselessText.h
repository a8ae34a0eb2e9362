#pragma once

#include "grid/CellText.h"

#include <QStringView>
#include <array>
#include <vector>

// Whether a cell begins with, or holds, a word, case folded as Qt folds it
// ("Поиск" and the filters compare so). A cell held as bytes is compared
// through a table of each byte's folded character, without decoding it.
class CaselessText {
public:
    explicit CaselessText(QStringView word);

    bool startsWith(const CellText& text) const;
    bool contains(const CellText& text) const;

private:
    bool matchesAt(const CellText& text, qsizetype at) const;

    QString word_;
    std::array<char32_t, 256> foldedByte_ {};
    std::vector<char32_t> foldedWord_;
};
