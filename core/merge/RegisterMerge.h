#pragma once

#include "merge/EntryMatching.h"
#include "merge/MergeSide.h"

#include <memory>
#include <vector>

// The three-way merge of a register: what another desk saved (theirs) since
// this desk loaded or saved it (the base), joined with the grid (ours).
//
// Whatever only one side changed, added or deleted since the base is taken
// from that side; an entry both added with the same text comes once. A cell
// both changed to different texts, or an entry changed on one side and
// deleted on the other, is a conflict the user decides. The entries come in
// theirs' order where only they reordered them, in ours where only we did,
// else in theirs', with the entries only one side holds after the entry
// they follow on that side (first when they follow none, last when that
// entry is gone). The blocking date follows a merged activation date.
class RegisterMerge {
public:
    RegisterMerge(MergeSide base, MergeSide ours, MergeSide theirs);

    struct Conflict {
        enum class Kind {
            Cell, // column: changed on both sides to different texts
            DeletedHere, // changed there, deleted here
            DeletedThere, // changed here, deleted there
        };
        Kind kind = Kind::Cell;
        int column = -1;
        int ours = EntryMatching::none; // the entry here, none when deleted here
        int theirs = EntryMatching::none; // the entry there, none when deleted there
    };
    // In the order of the entries here, those deleted here last.
    const std::vector<Conflict>& conflicts() const { return conflicts_; }

    // One entry of the merged register: ours, theirs, or ours with the
    // columns in fromTheirs (bit c for column c) taken from theirs, the
    // blocking date derived again where rederive says.
    struct Piece {
        int ours = EntryMatching::none;
        int theirs = EntryMatching::none;
        quint32 fromTheirs = 0;
        bool rederive = false;

        bool present() const { return ours != EntryMatching::none || theirs != EntryMatching::none; }
    };
    // What theirs brought into the grid: entries added, changed, deleted.
    struct Counts {
        int added = 0;
        int changed = 0;
        int deleted = 0;
    };
    struct Result {
        std::vector<Piece> pieces;
        Counts counts;
    };
    // The merged register with each conflict decided: keepTheirs[i] for
    // conflicts()[i], true to keep theirs.
    Result result(const std::vector<bool>& keepTheirs) const;

    // A piece's text in a saved column, as the merged register holds it.
    QString text(const Piece& piece, int column) const;

private:
    void numberItems();
    void findConflicts();
    // The piece a base entry becomes, or none (ours and theirs none) when it
    // is not in the result.
    Piece pieceOfBase(int baseEntry, const std::vector<bool>& keepTheirs, Counts& counts) const;
    std::vector<int> order(const std::vector<Piece>& pieces) const;

    MergeSide base_, ours_, theirs_;
    std::unique_ptr<EntryMatching> ourMatch_, theirMatch_;
    // Each entry of either side is one item: the base's entries first, then
    // those added here, then those added there alone (an entry both added
    // alike is the one added here).
    std::vector<int> oursItem_;
    std::vector<int> theirsItem_;
    int items_ = 0;
    std::vector<Conflict> conflicts_;
    // Per base entry: its first conflict, none for none.
    std::vector<int> firstConflict_;
};
