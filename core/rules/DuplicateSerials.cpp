#include "rules/DuplicateSerials.h"

#include "grid/GridModel.h"
#include "grid/PackedRow.h"
#include "grid/Windows1251.h"
#include "register/RegisterLayout.h"

#include <QCoreApplication>
#include <algorithm>

namespace {

// A change of more rows than this at once is counted anew rather than row by row.
constexpr int rowsFollowed = 1000;

quint64 mixed(quint64 hash)
{
    hash ^= hash >> 33;
    hash *= 0xff51afd7ed558ccdULL;
    hash ^= hash >> 33;
    return hash;
}

// The same for the same text however the row holds it (bytes, or UTF-16 in
// a row that holds a character Windows-1251 lacks); 0 for an empty one.
quint64 keyOf(const CellText& text)
{
    if (text.isEmpty())
        return 0;
    quint64 hash = 0xcbf29ce484222325ULL;
    const auto feed = [&](quint8 byte) { hash = (hash ^ byte) * 0x100000001b3ULL; };
    if (text.isNarrow()) {
        for (const char byte : text.bytes())
            feed(quint8(byte));
    } else {
        const Windows1251::Table& codes = Windows1251::table();
        for (const QChar ch : text.wideText()) {
            if (codes.encodable[ch.unicode()]) {
                feed(codes.byte[ch.unicode()]);
            } else {
                feed(0); // no byte of the code page: the unit itself, marked
                feed(quint8(ch.unicode() >> 8));
                feed(quint8(ch.unicode()));
            }
        }
    }
    return std::max<quint64>(mixed(hash), 1);
}

} // namespace

DuplicateSerials::DuplicateSerials(GridModel& model)
    : model_(model)
{
    model_.addRecorder(this);
    scheduleCount();
}

DuplicateSerials::~DuplicateSerials()
{
    model_.removeRecorder(this);
    if (counter_.joinable())
        counter_.join();
}

int DuplicateSerials::serialColumn() const
{
    return model_.columnWithKey(RegisterLayout::serialColumn);
}

quint64 DuplicateSerials::keyAt(int row) const
{
    return keyOf(model_.cellText(row, serialColumn()));
}

bool DuplicateSerials::isDuplicate(int modelRow) const
{
    if (state_ != State::Counted || modelRow < GridModel::FixedRows)
        return false;
    const quint64 key = keyAt(modelRow);
    if (key == 0)
        return false;
    const auto [from, to] = std::equal_range(base_.begin(), base_.end(), key);
    const auto change = delta_.find(key);
    return (to - from) + (change == delta_.end() ? 0 : change->second) >= 2;
}

std::vector<int> DuplicateSerials::rowsHolding(int modelRow, size_t limit) const
{
    std::vector<int> rows;
    const CellText serial = model_.cellText(modelRow, serialColumn());
    if (serial.isEmpty())
        return rows;
    for (int row = GridModel::FixedRows; row < model_.Rows() && rows.size() < limit; ++row)
        if (model_.cellText(row, serialColumn()) == serial)
            rows.push_back(row);
    return rows;
}

void DuplicateSerials::adjust(quint64 key, int by)
{
    if (key == 0 || state_ == State::Stale)
        return;
    // Many rows added one by one (a load into an empty grid) are counted
    // anew too: the changes followed stay few.
    if (delta_.size() >= size_t(rowsFollowed) && !delta_.contains(key))
        return scheduleCount();
    delta_[key] += by;
}

void DuplicateSerials::record(const GridChange& change)
{
    // Told before the change is made: what the model holds is the old text.
    // A count is due anyway: it reads every entry as it is then.
    if (state_ == State::Stale)
        return;
    using Kind = GridChange::Kind;
    switch (change.kind) {
    case Kind::SetText:
        if (change.b == serialColumn() && change.a >= GridModel::FixedRows) {
            adjust(keyAt(change.a), -1);
            adjust(keyOf(change.text), +1);
        }
        return;
    case Kind::SetRowCells:
    case Kind::InsertRow:
        if (change.a < GridModel::FixedRows)
            return;
        if (change.kind == Kind::SetRowCells)
            adjust(keyAt(change.a), -1);
        adjust(keyOf(change.cells->cell(serialColumn())), +1);
        return;
    case Kind::AddItem:
        adjust(keyOf(change.text), +1);
        return;
    case Kind::RemoveItem:
        adjust(keyAt(change.a), -1);
        return;
    case Kind::SetRows:
        if (model_.Rows() - change.a > rowsFollowed) {
            scheduleCount();
        } else {
            for (int row = std::max(change.a, GridModel::FixedRows); row < model_.Rows(); ++row)
                adjust(keyAt(row), -1);
        }
        return;
    case Kind::SetCols:
        // The serial numbers' column deleted (nobody's is a duplicate then),
        // or put back by an undo: counted anew.
        if (serialColumn() < 0 || change.a <= serialColumn())
            scheduleCount();
        return;
    case Kind::SetColPosition: // the serial numbers move with their column
    case Kind::SetColAlignment:
    case Kind::SetColWidth:
    case Kind::PermuteRows:
        return;
    }
}

void DuplicateSerials::scheduleCount()
{
    // Counted once the change that called for it is made, after the handler.
    if (state_ == State::Stale)
        return;
    state_ = State::Stale;
    delta_.clear();
    base_ = {};
    ++generation_;
    emit changed();
    QMetaObject::invokeMethod(this, &DuplicateSerials::count, Qt::QueuedConnection);
}

void DuplicateSerials::count()
{
    if (state_ != State::Stale)
        return;
    // The entries as they are now, their bytes shared rather than copied;
    // what changes from now on is followed in delta_. Taking the keys and
    // sorting them is the counting thread's work.
    state_ = State::Counting;
    if (counter_.joinable())
        counter_.join();
    counter_ =
        std::thread([this, rows = model_.snapshot().rows, column = serialColumn(), generation = generation_]() mutable {
            std::vector<quint64> keys;
            keys.reserve(rows.size());
            for (size_t row = GridModel::FixedRows; row < rows.size(); ++row)
                if (const quint64 key = keyOf(rows.row(row).cell(column)))
                    keys.push_back(key);
            rows = {}; // the grid's blocks are its own again
            std::sort(keys.begin(), keys.end());
            QMetaObject::invokeMethod(
                this, [this, keys = std::move(keys), generation]() mutable { counted(std::move(keys), generation); },
                Qt::QueuedConnection);
        });
}

void DuplicateSerials::counted(std::vector<quint64> keys, int generation)
{
    if (generation != generation_ || state_ != State::Counting)
        return; // everything changed again meanwhile: a newer count is due
    base_ = std::move(keys);
    state_ = State::Counted;
    emit changed();
}

void DuplicateSerials::waitForCount()
{
    for (int turn = 0; turn < 1000 && state_ != State::Counted; ++turn) {
        if (counter_.joinable())
            counter_.join();
        QCoreApplication::sendPostedEvents(this);
    }
}
