#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <QVarLengthArray>
#include <algorithm>

// A cell's text as the grid holds it, without a copy: Windows-1251 bytes, one
// a character, or UTF-16 where the row holds a character that code page
// lacks. Either way it is the same text; the bytes are decoded only where the
// text is shown or compared. Valid until the grid changes.
//
// A text passed in as a QString or QStringView is wide.
class CellText {
public:
    // Room on the stack for view() to decode a cell into.
    using Scratch = QVarLengthArray<char16_t, 128>;

    CellText() = default;
    CellText(QStringView text)
        : wide_(text.utf16())
        , size_(text.size())
    {
    }
    CellText(const QString& text)
        : CellText(QStringView(text))
    {
    }
    static CellText fromBytes(QByteArrayView bytes)
    {
        CellText cell;
        cell.narrow_ = bytes.data();
        cell.size_ = bytes.size();
        return cell;
    }

    bool isEmpty() const { return size_ == 0; }
    qsizetype size() const { return size_; } // in characters, or UTF-16 units when wide
    bool isNarrow() const { return narrow_ != nullptr; }
    QByteArrayView bytes() const { return {narrow_, size_}; } // narrow only
    QStringView wideText() const { return {wide_, size_}; } // wide only

    QString toString() const;
    // The first count characters (UTF-16 units when wide), without a copy.
    CellText first(qsizetype count) const
    {
        CellText part = *this;
        part.size_ = std::min(size_, std::max<qsizetype>(count, 0));
        return part;
    }
    // The text as UTF-16: the wide text itself, or the bytes decoded into scratch.
    QStringView view(Scratch& scratch) const;

    friend bool operator==(const CellText& a, const CellText& b);

private:
    const char* narrow_ = nullptr;
    const char16_t* wide_ = nullptr;
    qsizetype size_ = 0;
};
