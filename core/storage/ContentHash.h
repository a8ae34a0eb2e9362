#pragma once

#include <QByteArrayView>
#include <QtGlobal>

// A 64-bit checksum of a file's bytes, eight at a time, fed in pieces of any
// size: what a register held when it was loaded or saved, and whether a
// log's frame is whole. Not for secrets: for telling contents apart.
class ContentHash {
public:
    void add(QByteArrayView piece);
    quint64 result() const;

    static quint64 of(QByteArrayView bytes)
    {
        ContentHash hash;
        hash.add(bytes);
        return hash.result();
    }

private:
    void mix(quint64 word);

    quint64 hash_ = 0;
    quint64 size_ = 0;
    unsigned char carry_[8] = {};
    int carried_ = 0; // the bytes of a word not yet whole
};
