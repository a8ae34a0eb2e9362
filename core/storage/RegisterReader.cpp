#include "storage/RegisterReader.h"

#include "grid/GridModel.h"
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

// Opens a regular file for reading, never waiting on a FIFO: answers the
// open file, or why it cannot be read.
Status openRegular(const QString& path, QFile& file)
{
    struct stat info { };
    const QByteArray native = QFile::encodeName(path);
    if (::stat(native.constData(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))
        return Status::NotRegularFile;
    // Opened without waiting, and looked at again once open: the path may
    // have become a FIFO meanwhile.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == EACCES ? Status::Unreadable : Status::CannotOpen;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return S_ISDIR(info.st_mode) ? Status::CannotOpen : Status::NotRegularFile;
    }
    return Status::Ok;
}

} // namespace

QString whyUnread(Status status)
{
    switch (status) {
    case Status::Unreadable:
        return QStringLiteral("нет прав на чтение файла");
    case Status::NotRegularFile:
        return QStringLiteral("это не обычный файл, а канал, сокет или устройство");
    case Status::LineTooLong:
        return QStringLiteral("в нём строка длиннее 32 766 знаков; строки до неё прочитаны");
    case Status::ReadFailed:
        return QStringLiteral("ошибка чтения; строки до неё прочитаны");
    case Status::CannotOpen:
        return QStringLiteral("файл не открывается");
    case Status::Ok:
    case Status::TooManyRows:
    case Status::Stopped:
        break;
    }
    return {};
}

Status readLines(const QString& path, const std::function<void(QByteArrayView)>& onLine, ContentHash* hash,
    const std::atomic<bool>* stop)
{
    QFile file;
    if (const Status opened = openRegular(path, file); opened != Status::Ok)
        return opened;
    // A block read after what the last one left unfinished.
    QByteArray pending;
    for (;;) {
        if (stop && *stop)
            return Status::Stopped;
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

namespace {

// A kept version in the form for work the register cannot hold, read whole:
// such a file is one recovered register, never the day's work.
std::optional<Status> loadUnicode(GridModel& grid, const QString& path, int* lastColumn)
{
    QFile file;
    if (const Status opened = openRegular(path, file); opened != Status::Ok)
        return opened;
    if (file.peek(RegisterFormat::unicodeMark.size()) != RegisterFormat::unicodeMark)
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Status::ReadFailed;
    const std::vector<QStringList> rows =
        RegisterFormat::parseUnicode(QByteArrayView(bytes).sliced(RegisterFormat::unicodeMark.size()));
    int cols = grid.Cols();
    for (const QStringList& fields : rows)
        cols = std::max(cols, int(fields.size()));
    grid.setCols(cols);
    // In place of the empty row the load begins with.
    const int first = grid.Rows() - 1;
    grid.setRows(first + int(rows.size()));
    PackedRow cells;
    for (size_t r = 0; r < rows.size(); ++r) {
        cells = PackedRow();
        for (const QString& field : rows[r])
            cells.append(field);
        grid.setRowCells(first + int(r), cells);
    }
    if (!rows.empty() && lastColumn)
        *lastColumn = int(rows.back().size()) - 1;
    return Status::Ok;
}

} // namespace

Status loadInto(GridModel& grid, const QString& path, const Options& options)
{
    if (options.keptVersion) {
        if (const std::optional<Status> status = loadUnicode(grid, path, options.lastColumn))
            return *status;
    }
    quint64* const contentHash = options.contentHash;
    int lastColumn = 0;
    PackedRow cells; // one buffer for every line
    ContentHash hash;
    bool full = false; // the last row the grid can hold has its line
    bool tooMany = false; // and another line followed
    Status status = readLines(
        path,
        [&](QByteArrayView line) {
            if (full) {
                tooMany = true;
                return;
            }
            const int needed = RegisterFormat::splitFields(line, cells);
            if (needed > grid.Cols())
                grid.setCols(needed);
            grid.setRowCells(grid.Rows() - 1, cells);
            lastColumn = needed - 1;
            full = !grid.AddItem(QString());
        },
        contentHash ? &hash : nullptr);
    if (contentHash)
        *contentHash = hash.result();
    if (status == Status::Ok && tooMany)
        status = Status::TooManyRows;
    if (status != Status::Ok)
        return status; // the row being filled stays: a line that failed is not loaded in part
    if (!full)
        grid.setRows(grid.Rows() - 1);
    if (options.lastColumn)
        *options.lastColumn = lastColumn;
    return Status::Ok;
}

} // namespace RegisterReader
