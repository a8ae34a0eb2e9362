#include "storage/RegisterWriter.h"

#include "grid/GridModel.h"
#include "storage/KeptVersions.h"
#include "storage/PosixIo.h"
#include "storage/RegisterFormat.h"

#include <QDir>
#include <cerrno>
#include <unistd.h>

#include <array>

namespace RegisterWriter {

namespace {

constexpr qsizetype blockSize = 1 << 20;

Outcome unwritable(int row, const RegisterFormat::Unwritable& bad)
{
    Outcome outcome;
    outcome.kind = bad.lineTooLong ? Outcome::Kind::LineTooLong : Outcome::Kind::CellUnwritable;
    outcome.row = row;
    outcome.col = bad.column;
    outcome.character = bad.character;
    return outcome;
}

// Encodes the entry rows a block at a time and hands each block to write,
// which answers false to stop. Answers the first cell the file cannot carry.
template<typename Write>
std::optional<std::pair<int, RegisterFormat::Unwritable>> encodeRows(
    const GridModel& grid, Write&& write, RegisterFormat::Checked checked)
{
    QByteArray block;
    block.reserve(blockSize + 4096);
    for (int r = 1; r < grid.Rows(); ++r) {
        if (const auto bad = RegisterFormat::appendLine(block, grid.rowView(r), checked))
            return std::pair {r, *bad};
        if (block.size() >= blockSize) {
            if (!write(block))
                return std::nullopt;
            block.truncate(0); // keeps its room
        }
    }
    write(block);
    return std::nullopt;
}

} // namespace

Outcome save(const GridModel& grid, const QString& path, const FileReplacement::Guards& guards)
{
    // Checked whole before the question and before the file is touched.
    qint64 bytes = 0;
    const auto bad = encodeRows(
        grid,
        [&](const QByteArray& block) {
            bytes += block.size();
            return true;
        },
        RegisterFormat::Checked::No);
    if (bad)
        return unwritable(bad->first, bad->second);
    const quint64 checkedRevision = grid.revision();

    Outcome outcome = FileReplacement::write(path, guards, [&](const FileReplacement::Sink& sink) {
        const auto changed = encodeRows(grid, sink,
            grid.revision() == checkedRevision ? RegisterFormat::Checked::Already : RegisterFormat::Checked::No);
        // The question's event loop let someone type a ';'.
        return changed ? std::optional<Outcome>(unwritable(changed->first, changed->second)) : std::nullopt;
    });
    outcome.bytes = bytes;
    return outcome;
}

namespace {

// The grid in the form for work the register cannot hold: every column.
template<typename Write> void encodeUnicode(const GridModel& grid, Write&& write)
{
    QByteArray block(RegisterFormat::unicodeMark.data(), RegisterFormat::unicodeMark.size());
    std::vector<CellText> fields(size_t(grid.Cols()));
    for (int r = 1; r < grid.Rows(); ++r) {
        grid.rowView(r).readCells(fields);
        RegisterFormat::appendUnicodeLine(block, fields);
        if (block.size() >= blockSize) {
            if (!write(block))
                return;
            block.truncate(0);
        }
    }
    write(block);
}

} // namespace

KeptWork keepAsVersion(const GridModel& grid, const QString& folder, const QString& name)
{
    if (!QDir().mkpath(folder))
        return {QString(), errno != 0 ? errno : EACCES, false};
    const QString part = KeptVersions::temporaryPath(folder, name);
    const int fd = PosixIo::createExclusive(part, 0644);
    if (fd < 0)
        return {QString(), errno, false};
    bool ok = true;
    const auto write = [&](const QByteArray& block) {
        return ok = ok && PosixIo::writeAll(fd, block.constData(), block.size());
    };
    const bool unicode =
        firstTextNotSaved(grid) || encodeRows(
                                       grid, [](const QByteArray&) { return true; }, RegisterFormat::Checked::No);
    if (unicode)
        encodeUnicode(grid, write);
    else
        encodeRows(grid, write, RegisterFormat::Checked::No);
    ok = ok && ::fdatasync(fd) == 0;
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    const KeptVersions::Kept kept = error == 0 ? KeptVersions::place(part, folder, name) : KeptVersions::Kept {};
    if (kept.path.isEmpty())
        ::unlink(PosixIo::native(part).constData());
    return {kept.path, error != 0 ? error : kept.error, unicode};
}

std::optional<Cell> firstTextNotSaved(const GridModel& grid)
{
    for (int r = GridModel::FixedRows; r < grid.Rows(); ++r)
        for (int c = RegisterFormat::savedColumns; c < grid.Cols(); ++c)
            if (!grid.cellText(r, c).isEmpty())
                return Cell {r, c};
    return std::nullopt;
}

} // namespace RegisterWriter
