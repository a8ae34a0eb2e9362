#include "merge/EntryMatching.h"

#include "register/RegisterLayout.h"

#include <QHash>
#include <QString>
#include <bit>

namespace {
constexpr int usedUp = -2;
}

EntryMatching::EntryMatching(const MergeSide& base, const std::vector<quint64>& baseKeys, const MergeSide& side,
    const std::vector<quint64>& sideKeys)
    : inSide_(size_t(base.count), none)
    , inBase_(size_t(side.count), none)
    , sameText_(size_t(base.count), false)
{
    matchTexts(base, baseKeys, side, sideKeys);
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

void EntryMatching::matchTexts(const MergeSide& base, const std::vector<quint64>& baseKeys, const MergeSide& side,
    const std::vector<quint64>& sideKeys)
{
    // An open table from a key to the first base entry not yet matched that
    // holds it; next chains the later ones. A million entries cost 28 MB and
    // no allocation an entry.
    const size_t tableSize = std::bit_ceil(size_t(base.count) + size_t(base.count) / 4 + 2);
    std::vector<quint64> slotKey(tableSize);
    std::vector<int> slotEntry(tableSize, none);
    std::vector<int> next(size_t(base.count), none);
    const auto slotOf = [&](quint64 key) {
        size_t slot = size_t(key) & (tableSize - 1);
        while (slotEntry[slot] != none && slotKey[slot] != key)
            slot = (slot + 1) & (tableSize - 1);
        return slot;
    };
    for (int entry = base.count - 1; entry >= 0; --entry) {
        const size_t slot = slotOf(baseKeys[size_t(entry)]);
        slotKey[slot] = baseKeys[size_t(entry)];
        next[size_t(entry)] = slotEntry[slot];
        slotEntry[slot] = entry;
    }
    for (int entry = 0; entry < side.count; ++entry) {
        const size_t slot = slotOf(sideKeys[size_t(entry)]);
        const int candidate = slotEntry[slot];
        // A key shared by two texts is checked away; the entry then counts as changed.
        if (candidate < 0 || !MergeSide::sameEntry(base.entry(candidate), side.entry(entry)))
            continue;
        pair(candidate, entry);
        sameText_[size_t(candidate)] = true;
        // The key stays in its slot, used up, so that probing goes on past it.
        slotEntry[slot] = next[size_t(candidate)] == none ? usedUp : next[size_t(candidate)];
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
