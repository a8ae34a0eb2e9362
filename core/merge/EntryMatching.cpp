#include "merge/EntryMatching.h"

#include "register/RegisterLayout.h"

#include <QHash>
#include <QString>
#include <bit>
#include <unordered_map>

namespace {
constexpr int usedUp = -2;
}

EntryMatching::EntryMatching(const MergeSide& base, const MergeSide& side)
    : inSide_(size_t(base.count), none)
    , inBase_(size_t(side.count), none)
    , sameText_(size_t(base.count), false)
{
    matchInPlace(base, side);
    matchLeft(base, side);
    matchSerials(base, side);
    int last = none;
    for (int entry = 0; entry < side.count && !reordered_; ++entry) {
        const int at = inBase_[size_t(entry)];
        if (at == none)
            continue;
        reordered_ = at < last;
        last = at;
    }
}

void EntryMatching::matchInPlace(const MergeSide& base, const MergeSide& side)
{
    // Most entries stand where they stood: walked side by side, an entry
    // added here or a few deleted there skipped, without a table.
    constexpr int skippable = 4;
    int at = 0;
    for (int entry = 0; entry < side.count && at < base.count; ++entry) {
        const RowView row = side.entry(entry);
        for (int skip = 0; skip <= skippable && at + skip < base.count; ++skip) {
            if (MergeSide::sameBytes(base.entry(at + skip), row)) {
                pairAlike(at + skip, entry);
                at += skip + 1;
                break;
            }
        }
    }
}

void EntryMatching::matchLeft(const MergeSide& base, const MergeSide& side)
{
    // What is left, moved or sorted, through an open table from a key to the
    // first base entry left that holds it; next chains the later ones. It
    // costs 16 bytes a slot, two slots an entry left, no allocation an entry.
    std::vector<std::pair<int, quint64>> left; // base entry, key
    for (int entry = 0; entry < base.count; ++entry)
        if (inSide_[size_t(entry)] == none)
            left.emplace_back(entry, base.key(entry));
    if (left.empty())
        return;
    struct Slot {
        quint64 key = 0;
        qint32 entry = none;
    };
    const size_t tableSize = std::bit_ceil(left.size() + left.size() / 4 + 2);
    const int shift = 64 - std::countr_zero(tableSize);
    std::vector<Slot> table(tableSize);
    std::unordered_map<int, int> next; // base entry to the next left with its key
    // Fibonacci hashing: the slot from the key's top bits, well spread
    // whatever its low ones.
    const auto slotOf = [&](quint64 key) {
        size_t slot = size_t((key * 0x9E3779B97F4A7C15ULL) >> shift);
        while (table[slot].entry != none && table[slot].key != key)
            slot = (slot + 1) & (tableSize - 1);
        return slot;
    };
    for (auto it = left.rbegin(); it != left.rend(); ++it) {
        Slot& slot = table[slotOf(it->second)];
        slot.key = it->second;
        if (slot.entry != none)
            next[it->first] = slot.entry;
        slot.entry = it->first;
    }
    for (int entry = 0; entry < side.count; ++entry) {
        if (inBase_[size_t(entry)] != none)
            continue;
        Slot& slot = table[slotOf(side.key(entry))];
        const int candidate = slot.entry;
        // A key shared by two texts is checked away; the entry then counts as changed.
        if (candidate < 0 || !MergeSide::sameEntry(base.entry(candidate), side.entry(entry)))
            continue;
        pairAlike(candidate, entry);
        // The key stays in its slot, used up, so that probing goes on past it.
        const auto later = next.find(candidate);
        slot.entry = later == next.end() ? usedUp : later->second;
    }
}

void EntryMatching::matchSerials(const MergeSide& base, const MergeSide& side)
{
    // Serial number to the one entry left that holds it, or to none when
    // several do.
    const auto unique = [](const MergeSide& from, const std::vector<int>& matched) {
        QHash<QString, int> bySerial;
        for (int entry = 0; entry < from.count; ++entry) {
            if (matched[size_t(entry)] != none)
                continue;
            const QString serial = from.entry(entry).cell(RegisterLayout::serialColumn).toString();
            if (serial.isEmpty())
                continue;
            const auto found = bySerial.find(serial);
            if (found == bySerial.end())
                bySerial.insert(serial, entry);
            else
                *found = none;
        }
        return bySerial;
    };
    const QHash<QString, int> inBase = unique(base, inSide_);
    const QHash<QString, int> inSide = unique(side, inBase_);
    for (auto it = inSide.cbegin(); it != inSide.cend(); ++it) {
        const int baseEntry = inBase.value(it.key(), none);
        if (it.value() != none && baseEntry != none)
            pair(baseEntry, it.value());
    }
}
