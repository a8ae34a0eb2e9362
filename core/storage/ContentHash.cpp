#include "storage/ContentHash.h"

#include <cstring>

namespace {
constexpr quint64 prime = 0x9e3779b97f4a7c15ULL;
}

void ContentHash::mix(quint64 word)
{
    hash_ = (hash_ ^ word) * prime;
    hash_ ^= hash_ >> 29;
}

void ContentHash::add(QByteArrayView piece)
{
    size_ += quint64(piece.size());
    const auto* bytes = reinterpret_cast<const unsigned char*>(piece.data());
    qsizetype pos = 0;
    while (carried_ > 0 && carried_ < 8 && pos < piece.size())
        carry_[carried_++] = bytes[pos++];
    if (carried_ == 8) {
        quint64 word = 0;
        std::memcpy(&word, carry_, 8);
        mix(word);
        carried_ = 0;
    }
    for (; pos + 8 <= piece.size(); pos += 8) {
        quint64 word = 0;
        std::memcpy(&word, bytes + pos, 8);
        mix(word);
    }
    for (; pos < piece.size(); ++pos)
        carry_[carried_++] = bytes[pos];
}

quint64 ContentHash::result() const
{
    quint64 hash = hash_;
    for (int i = 0; i < carried_; ++i)
        hash = (hash ^ carry_[i]) * prime;
    hash ^= size_ * prime;
    return hash ^ (hash >> 32);
}
