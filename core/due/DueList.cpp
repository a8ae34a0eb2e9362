#include "due/DueList.h"

#include <QThreadPool>
#include <algorithm>
#include <unordered_map>

namespace DueList {

namespace {

struct At {
    size_t file = 0;
    size_t record = 0;
};

// Within one file the unit's entry activated last counts; on the same day,
// the lower one, added later.
bool later(const DueRecords::Record& a, const DueRecords::Record& b)
{
    return a.activationDay != b.activationDay ? a.activationDay > b.activationDay : a.row > b.row;
}

size_t recordsIn(const std::vector<DueRecords>& files)
{
    size_t count = 0;
    for (const DueRecords& file : files)
        count += file.records().size();
    return count;
}

// The latest activation day of every cash register named.
std::unordered_map<std::u16string_view, int> latestByCash(const std::vector<DueRecords>& files)
{
    std::unordered_map<std::u16string_view, int> latest;
    latest.reserve(recordsIn(files));
    for (const DueRecords& file : files)
        for (const DueRecords::Record& record : file.records()) {
            if (record.cashSize == 0 || record.activationDay == DueRecords::noDate)
                continue;
            auto [it, added] = latest.try_emplace(file.cash(record), record.activationDay);
            if (!added)
                it->second = std::max(it->second, record.activationDay);
        }
    return latest;
}

// The entry that counts for every unit; entries without a serial number
// are units of their own.
std::vector<At> unitsOf(const std::vector<DueRecords>& files)
{
    std::unordered_map<std::u16string_view, At> byUnit;
    byUnit.reserve(recordsIn(files));
    std::vector<At> units;
    for (size_t f = 0; f < files.size(); ++f) {
        const std::vector<DueRecords::Record>& records = files[f].records();
        for (size_t r = 0; r < records.size(); ++r) {
            if (records[r].serialSize == 0) {
                units.push_back({f, r});
                continue;
            }
            auto [it, added] = byUnit.try_emplace(files[f].serial(records[r]), At {f, r});
            if (!added && it->second.file == f && later(records[r], records[it->second.record]))
                it->second.record = r;
        }
    }
    for (const auto& [unit, at] : byUnit)
        units.push_back(at);
    return units;
}

} // namespace

Result combine(const std::vector<DueRecords>& files)
{
    Result result;
    result.sources.resize(files.size());
    for (size_t f = 0; f < files.size(); ++f)
        result.sources[f].status = files[f].status();
    const auto latest = latestByCash(files);
    for (const At& at : unitsOf(files)) {
        const DueRecords& file = files[at.file];
        const DueRecords::Record& record = file.records()[at.record];
        if (!record.blocking.isValid()) {
            ++result.sources[at.file].undated;
            continue;
        }
        if (record.kept < 0)
            continue;
        const auto cash = record.cashSize > 0 ? latest.find(file.cash(record)) : latest.end();
        const bool replaced = cash != latest.end() && cash->second > record.activationDay;
        result.entries.push_back({int(at.file), record.row, record.blocking, replaced, file.cells(record)});
    }
    std::sort(result.entries.begin(), result.entries.end(), [](const Entry& a, const Entry& b) {
        if (a.blocking != b.blocking)
            return a.blocking < b.blocking;
        return a.source != b.source ? a.source < b.source : a.row < b.row;
    });
    return result;
}

Result make(const std::vector<Source>& sources, const GridSnapshot& grid, DueRecords::Columns gridColumns,
    QDate keepFrom, QDate keepTo, const std::atomic<bool>* stop)
{
    std::vector<DueRecords> files(sources.size(), DueRecords(keepFrom, keepTo));
    QThreadPool pool;
    for (size_t i = 0; i < sources.size(); ++i) {
        pool.start([&, i] {
            files[i] = sources[i].path.isEmpty() ? DueRecords::fromGrid(grid, gridColumns, keepFrom, keepTo)
                                                 : DueRecords::fromFile(sources[i].path, keepFrom, keepTo, stop);
        });
    }
    pool.waitForDone();
    return combine(files);
}

QString stateOn(QDate blocking, QDate today)
{
    const qint64 days = today.daysTo(blocking);
    return days <= 0 ? QStringLiteral("заблокирована") : QStringLiteral("через %1 дн.").arg(days);
}

} // namespace DueList
