#pragma once

#include "merge/MergeSide.h"

#include <vector>

// Which entry of a later version of a register is which entry of the version
// it came from (the base). Entries are matched by their whole text first,
// each base entry once: walking both in order, where most entries stand,
// then the rest through a table, so that equal entries pair off in turn;
// then, among those left on both sides, by serial number, where it is held
// by one entry alone on each side. What matches nothing was deleted (in the
// base) or added (in the later version).
class EntryMatching {
public:
    EntryMatching(const MergeSide& base, const MergeSide& side);

    static constexpr int none = -1;
    // The side's entry for a base entry, or none where it was deleted.
    int inSide(int baseEntry) const { return inSide_[size_t(baseEntry)]; }
    // The base entry for a side's entry, or none where it was added.
    int inBase(int sideEntry) const { return inBase_[size_t(sideEntry)]; }
    // Whether a base entry's match holds the same text (matched by it).
    bool sameText(int baseEntry) const { return sameText_[size_t(baseEntry)]; }
    // Whether the side holds its matched entries in another order than the base.
    bool reordered() const { return reordered_; }

private:
    void matchInPlace(const MergeSide& base, const MergeSide& side);
    void matchLeft(const MergeSide& base, const MergeSide& side);
    void matchSerials(const MergeSide& base, const MergeSide& side);
    void pair(int baseEntry, int sideEntry)
    {
        inSide_[size_t(baseEntry)] = sideEntry;
        inBase_[size_t(sideEntry)] = baseEntry;
    }
    void pairAlike(int baseEntry, int sideEntry)
    {
        pair(baseEntry, sideEntry);
        sameText_[size_t(baseEntry)] = true;
    }

    std::vector<int> inSide_;
    std::vector<int> inBase_;
    std::vector<bool> sameText_;
    bool reordered_ = false;
};
