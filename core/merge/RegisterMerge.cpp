#include "merge/RegisterMerge.h"

#include "register/RegisterLayout.h"
#include "rules/BlockingDate.h"

#include <QHash>
#include <unordered_map>

namespace {

using RegisterLayout::activationColumn;
using RegisterLayout::blockingColumn;
using RegisterLayout::savedColumns;
constexpr int none = EntryMatching::none;
constexpr quint32 allColumns = (1u << savedColumns) - 1;

} // namespace

RegisterMerge::RegisterMerge(MergeSide base, MergeSide ours, MergeSide theirs)
    : base_(std::move(base))
    , ours_(std::move(ours))
    , theirs_(std::move(theirs))
{
    ourMatch_ = std::make_unique<EntryMatching>(base_, ours_);
    theirMatch_ = std::make_unique<EntryMatching>(base_, theirs_);
    numberItems();
    findConflicts();
}

void RegisterMerge::numberItems()
{
    oursItem_.resize(size_t(ours_.count));
    theirsItem_.resize(size_t(theirs_.count));
    items_ = base_.count;
    // An entry both sides added with the same text is one entry.
    QMultiHash<QString, int> addedHere;
    const auto textOf = [](RowView row) {
        QString text;
        for (int column = 0; column < savedColumns; ++column)
            text += row.cell(column).toString() + u'\n';
        return text;
    };
    for (int entry = 0; entry < ours_.count; ++entry) {
        const int baseEntry = ourMatch_->inBase(entry);
        oursItem_[size_t(entry)] = baseEntry != none ? baseEntry : items_++;
        if (baseEntry == none)
            addedHere.insert(textOf(ours_.entry(entry)), entry);
    }
    for (int entry = 0; entry < theirs_.count; ++entry) {
        const int baseEntry = theirMatch_->inBase(entry);
        if (baseEntry != none) {
            theirsItem_[size_t(entry)] = baseEntry;
            continue;
        }
        // The first of equal additions here pairs with the first there.
        const auto same = addedHere.isEmpty() ? addedHere.end() : addedHere.find(textOf(theirs_.entry(entry)));
        if (same == addedHere.end()) {
            theirsItem_[size_t(entry)] = items_++;
            continue;
        }
        auto first = same;
        for (auto it = same; it != addedHere.end() && it.key() == same.key(); ++it)
            if (it.value() < first.value())
                first = it;
        theirsItem_[size_t(entry)] = oursItem_[size_t(first.value())];
        addedHere.erase(first);
    }
}

void RegisterMerge::findConflicts()
{
    firstConflict_.assign(size_t(base_.count), none);
    const auto add = [&](int baseEntry, Conflict conflict) {
        if (firstConflict_[size_t(baseEntry)] == none)
            firstConflict_[size_t(baseEntry)] = int(conflicts_.size());
        conflicts_.push_back(conflict);
    };
    for (int entry = 0; entry < ours_.count; ++entry) {
        const int baseEntry = ourMatch_->inBase(entry);
        if (baseEntry == none || ourMatch_->sameText(baseEntry))
            continue;
        const int there = theirMatch_->inSide(baseEntry);
        if (there == none) {
            add(baseEntry, {Conflict::Kind::DeletedThere, -1, entry, none});
            continue;
        }
        if (theirMatch_->sameText(baseEntry))
            continue;
        const RowView was = base_.entry(baseEntry);
        const RowView here = ours_.entry(entry);
        const RowView then = theirs_.entry(there);
        bool activationAsked = false;
        for (int column = 0; column < savedColumns; ++column) {
            const CellText hereText = here.cell(column);
            const CellText thenText = then.cell(column);
            const CellText wasText = was.cell(column);
            if (hereText == thenText || hereText == wasText || thenText == wasText)
                continue;
            // The blocking date follows the activation date the user keeps.
            if (column == blockingColumn && activationAsked)
                continue;
            activationAsked = activationAsked || column == activationColumn;
            add(baseEntry, {Conflict::Kind::Cell, column, entry, there});
        }
    }
    for (int entry = 0; entry < theirs_.count; ++entry) {
        const int baseEntry = theirMatch_->inBase(entry);
        if (baseEntry != none && ourMatch_->inSide(baseEntry) == none && !theirMatch_->sameText(baseEntry))
            add(baseEntry, {Conflict::Kind::DeletedHere, -1, none, entry});
    }
}

RegisterMerge::Piece RegisterMerge::pieceOfBase(
    int baseEntry, const std::vector<bool>& keepTheirs, Counts& counts) const
{
    const int here = ourMatch_->inSide(baseEntry);
    const int there = theirMatch_->inSide(baseEntry);
    const int conflict = firstConflict_[size_t(baseEntry)];
    const bool sameHere = here != none && ourMatch_->sameText(baseEntry);
    const bool sameThere = there != none && theirMatch_->sameText(baseEntry);
    if (here == none && there == none)
        return {};
    if (there == none) {
        if (sameHere || keepTheirs[size_t(conflict)]) {
            ++counts.deleted;
            return {};
        }
        return {here, none, 0, false};
    }
    if (here == none) {
        if (sameThere || !keepTheirs[size_t(conflict)])
            return {};
        ++counts.added;
        return {none, there, 0, false};
    }
    if (sameThere)
        return {here, none, 0, false};
    if (sameHere) {
        ++counts.changed;
        return {here, there, allColumns, false};
    }
    // Both changed it: column by column, each conflict as decided.
    const RowView was = base_.entry(baseEntry);
    const RowView hereRow = ours_.entry(here);
    const RowView thenRow = theirs_.entry(there);
    Piece piece {here, there, 0, false};
    int next = conflict;
    for (int column = 0; column < savedColumns; ++column) {
        const bool asked = next != none && size_t(next) < conflicts_.size() && conflicts_[size_t(next)].ours == here &&
                           conflicts_[size_t(next)].column == column;
        bool taken = false;
        if (asked)
            taken = keepTheirs[size_t(next++)];
        else
            taken = !(thenRow.cell(column) == was.cell(column)) && !(thenRow.cell(column) == hereRow.cell(column));
        if (taken)
            piece.fromTheirs |= 1u << column;
    }
    // Each side's blocking date followed its own activation date; the
    // entry joined gets it from the activation date it now holds.
    piece.rederive = piece.fromTheirs != 0;
    if (piece.fromTheirs != 0)
        ++counts.changed;
    return piece;
}

RegisterMerge::Result RegisterMerge::result(const std::vector<bool>& keepTheirs) const
{
    Result result;
    std::vector<Piece> pieces(static_cast<size_t>(items_));
    for (int baseEntry = 0; baseEntry < base_.count; ++baseEntry)
        pieces[size_t(baseEntry)] = pieceOfBase(baseEntry, keepTheirs, result.counts);
    for (int entry = 0; entry < ours_.count; ++entry)
        if (ourMatch_->inBase(entry) == none)
            pieces[size_t(oursItem_[size_t(entry)])] = Piece {entry, none, 0, false};
    for (int entry = 0; entry < theirs_.count; ++entry) {
        Piece& piece = pieces[size_t(theirsItem_[size_t(entry)])];
        if (theirMatch_->inBase(entry) == none && !piece.present()) {
            piece = Piece {none, entry, 0, false};
            ++result.counts.added;
        }
    }
    const std::vector<int> items = order(pieces);
    result.pieces.reserve(items.size());
    for (const int item : items)
        result.pieces.push_back(pieces[size_t(item)]);
    return result;
}

std::vector<int> RegisterMerge::order(const std::vector<Piece>& pieces) const
{
    // The side whose order stands, and the other, whose entries the first
    // does not hold follow the entry they follow there.
    const bool oursFirst = ourMatch_->reordered() && !theirMatch_->reordered();
    const MergeSide& first = oursFirst ? ours_ : theirs_;
    const MergeSide& second = oursFirst ? theirs_ : ours_;
    const auto itemOf = [&](bool ofOurs, int entry) {
        return ofOurs ? oursItem_[size_t(entry)] : theirsItem_[size_t(entry)];
    };
    std::vector<bool> inFirst(pieces.size(), false);
    for (int entry = 0; entry < first.count; ++entry)
        inFirst[size_t(itemOf(oursFirst, entry))] = true;

    // Each entry the first side lacks follows the entry before it on the
    // second side: one the first side holds, or one it lacks itself.
    std::vector<int> leading;
    std::unordered_map<int, std::vector<int>> following;
    int anchor = none;
    for (int entry = 0; entry < second.count; ++entry) {
        const int item = itemOf(!oursFirst, entry);
        if (!inFirst[size_t(item)])
            (anchor == none ? leading : following[anchor]).push_back(item);
        // An addition keeps the anchor, so that several follow it in turn.
        if (inFirst[size_t(item)] || item < base_.count)
            anchor = item;
    }

    std::vector<int> order;
    std::vector<int> trailing; // after an entry that is gone
    std::vector<std::pair<int, bool>> pending;
    const auto place = [&](int top) {
        pending.emplace_back(top, true);
        while (!pending.empty()) {
            const auto [item, live] = pending.back();
            pending.pop_back();
            const bool present = pieces[size_t(item)].present();
            if (present)
                (live ? order : trailing).push_back(item);
            const auto after = following.find(item);
            if (after != following.end())
                for (auto it = after->second.rbegin(); it != after->second.rend(); ++it)
                    pending.emplace_back(*it, live && present);
        }
    };
    for (const int item : leading)
        place(item);
    for (int entry = 0; entry < first.count; ++entry)
        place(itemOf(oursFirst, entry));
    order.insert(order.end(), trailing.begin(), trailing.end());
    return order;
}

QString RegisterMerge::text(const Piece& piece, int column) const
{
    if (piece.rederive && column == blockingColumn) {
        const auto blocking = BlockingDate::forActivationText(text(piece, activationColumn));
        if (blocking)
            return blocking->toString();
    }
    const bool fromTheirs = piece.ours == none || (piece.theirs != none && (piece.fromTheirs & (1u << column)));
    const RowView row = fromTheirs ? theirs_.entry(piece.theirs) : ours_.entry(piece.ours);
    return row.cell(column).toString();
}
