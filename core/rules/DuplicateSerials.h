#pragma once

#include "grid/GridChange.h"

#include <QObject>
#include <thread>
#include <unordered_map>
#include <vector>

class GridModel;

// Which entries share their serial number (column 0) with another entry,
// kept up to date with every change of the register: counted anew after a
// change of everything (a load, a column moved onto or off column 0, many
// rows added one by one) on a thread of its own, from a snapshot of the
// entries that shares their bytes with the grid; then
// followed change by change as the model tells of them (an edit, a paste, an
// undo, a row deleted or put back), with no walk over the entries. An empty
// serial number is nobody's duplicate. While a count runs nothing is a
// duplicate; changed() says when the answers are new.
class DuplicateSerials : public QObject, public GridRecorder {
    Q_OBJECT
public:
    explicit DuplicateSerials(GridModel& model);
    ~DuplicateSerials() override;

    // Whether the entry's serial number is held by another entry too.
    bool isDuplicate(int modelRow) const;
    // Every entry holding the same serial number, itself included, at most
    // limit of them (a walk over the entries: for a tooltip).
    std::vector<int> rowsHolding(int modelRow, size_t limit = 10) const;

    void record(const GridChange& change) override;
    // Whether the answers are the count's, not a count's under way.
    bool isCounted() const { return state_ == State::Counted; }
    // Waits for a count under way: for tests and the benchmark.
    void waitForCount();

signals:
    void changed();

private:
    enum class State { Counted, Stale, Counting };
    void scheduleCount();
    void count();
    void counted(std::vector<quint64> keys, int generation);
    // Where the serial numbers stand now, wherever column operations moved them.
    int serialColumn() const;
    quint64 keyAt(int row) const;
    void adjust(quint64 key, int by);

    GridModel& model_;
    State state_ = State::Counted;
    int generation_ = 0;
    std::vector<quint64> base_; // the keys counted, sorted
    std::unordered_map<quint64, int> delta_; // changes since, by key
    std::thread counter_;
};
