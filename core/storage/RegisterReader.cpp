#include "storage/RegisterReader.h"

#include "grid/FlexGrid.h"
#include "storage/ContentHash.h"
#include "storage/RegisterFormat.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace RegisterReader {

namespace {
constexpr qint64 blockSize = 1 << 20;
}

Status readLines(const QString& path, const std::function<void(QByteArrayView)>& onLine, ContentHash* hash)
{
    struct stat info {};
    const QByteArray native = QFile::encodeName(path);
    if (::stat(native.constData(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))
        return Status::NotRegularFile;
    // Opened without waiting, and looked at again once open: the path may
    // have become a FIFO meanwhile.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == EACCES ? Status::Unreadable : Status::CannotOpen;
    QFile file;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return S_ISDIR(info.st_mode) ? Status::CannotOpen : Status::NotRegularFile;
    }
    // A block read after what the last one left unfinished.
    QByteArray pending;
    for (;;) {
        const qsizetype kept = pending.size();
        pending.resize(kept + blockSize);
        const qint64 got = file.read(pending.data() + kept, blockSize);
        if (got < 0)
            return Status::ReadFailed;
        pending.truncate(kept + got);
        if (hash)
            hash->add(QByteArrayView(pending).sliced(kept));
        const bool atEnd = got == 0;
        const auto consumed = RegisterFormat::splitLines(pending, atEnd, onLine);
        if (!consumed)
            return Status::LineTooLong;
        pending.remove(0, *consumed);
        if (atEnd)
            return Status::Ok;
    }
}

Status loadInto(FlexGrid& grid, const QString& path, quint64* contentHash)
{
    int lastColumn = 0;
    PackedRow cells; // one buffer for every line
    ContentHash hash;
    const Status status = readLines(path, [&](QByteArrayView line) {
        const int needed = RegisterFormat::splitFields(line, cells);
        if (needed > grid.Cols())
            grid.setCols(needed);
        grid.setRowCells(grid.Rows() - 1, cells);
        lastColumn = needed - 1;
        grid.AddItem(QString());
    }, contentHash ? &hash : nullptr);
    if (contentHash)
        *contentHash = hash.result();
    if (status != Status::Ok) {
        // The row being filled, from its start: a line that failed is not
        // loaded in part.
        grid.setRow(grid.Rows() - 1);
        grid.setCol(0);
        return status;
    }
    grid.setRows(grid.Rows() - 1);
    if (grid.Rows() > FlexGrid::FixedRows) {
        grid.setRow(grid.Rows() - 1);
        grid.setCol(lastColumn);
    }
    return Status::Ok;
}

} // namespace RegisterReader
