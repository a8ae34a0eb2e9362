#include "worklog/WorkLogFormat.h"

#include "grid/GridModel.h"
#include "grid/GridSnapshot.h"
#include "storage/ContentHash.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <type_traits>

namespace WorkLogFormat {

namespace {

constexpr char fileMagic[8] = {'P', 'A', 'L', 'O', 'M', 'E', 'T', 'J'};
constexpr quint32 formatVersion = 1;
constexpr quint32 frameMagic = 0x4d415246; // "FRAM"
constexpr qsizetype frameHeaderSize = 4 + 1 + 4 + 8 + 4 + 8;
// What the grid holds at most, so that a log replays whatever the grid
// did; and small enough that damaged counts cannot make the rebuild
// allocate without bound.
constexpr quint32 maxRows = GridModel::maxRows;
constexpr quint32 maxCols = GridModel::maxCols;

template<typename T> void put(QByteArray& out, T value)
{
    static_assert(std::is_trivially_copyable_v<T>);
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void putBytes(QByteArray& out, QByteArrayView bytes)
{
    put(out, quint32(bytes.size()));
    out.append(bytes.data(), bytes.size());
}

void putString(QByteArray& out, const QString& text)
{
    putBytes(out, QByteArrayView(reinterpret_cast<const char*>(text.utf16()), text.size() * 2));
}

void putRow(QByteArray& out, RowView row)
{
    put(out, quint8(row.isWide()));
    putBytes(out, QByteArrayView(row.data(), row.size()));
}

void putText(QByteArray& out, CellText text)
{
    put(out, quint8(!text.isNarrow() && !text.isEmpty()));
    if (text.isNarrow() || text.isEmpty())
        putBytes(out, text.bytes());
    else
        putBytes(
            out, QByteArrayView(reinterpret_cast<const char*>(text.wideText().data()), text.wideText().size() * 2));
}

// Reads what put wrote, from bytes in memory or from a device a block at a
// time, never past its limit; once anything is missing or out of bounds,
// every later read fails too. A span it answers is valid until the next read.
class Input {
public:
    explicit Input(QByteArrayView bytes)
        : view_(bytes)
    {
    }
    Input(QIODevice& device, qint64 limit)
        : device_(&device)
        , left_(limit)
    {
    }
    bool ok() const { return ok_; }
    bool atEnd() const { return pos_ >= view_.size() && left_ == 0; }

    template<typename T> T get()
    {
        T value {};
        if (!ensure(sizeof value))
            return value;
        std::memcpy(&value, view_.data() + pos_, sizeof value);
        pos_ += qsizetype(sizeof value);
        return value;
    }
    QByteArrayView bytes() { return span(qsizetype(get<quint32>())); }
    QByteArrayView span(qsizetype size)
    {
        if (size < 0 || !ensure(size)) {
            ok_ = false;
            return {};
        }
        pos_ += size;
        return view_.sliced(pos_ - size, size);
    }
    QString string()
    {
        const QByteArrayView units = bytes();
        if (units.size() % 2 != 0)
            ok_ = false;
        if (!ok_)
            return {};
        QString text(units.size() / 2, Qt::Uninitialized);
        std::memcpy(text.data(), units.data(), size_t(units.size()));
        return text;
    }
    // A row copied out, so that its UTF-16 units are aligned; checked whole.
    std::optional<PackedRow> row()
    {
        const bool wide = get<quint8>() != 0;
        const QByteArrayView packed = bytes();
        if (!ok_)
            return std::nullopt;
        PackedRow row(RowView(packed.data(), packed.size(), wide));
        if (!row.view().wellFormed()) {
            ok_ = false;
            return std::nullopt;
        }
        return row;
    }
    // A text decoded into a QString: the cell holds it as the grid sees fit.
    std::optional<QString> text()
    {
        const bool wide = get<quint8>() != 0;
        const QByteArrayView data = bytes();
        if (!ok_ || (wide && data.size() % 2 != 0))
            return std::nullopt;
        if (!wide)
            return CellText::fromBytes(data).toString();
        QString text(data.size() / 2, Qt::Uninitialized);
        std::memcpy(text.data(), data.data(), size_t(data.size()));
        return text;
    }
    void fail() { ok_ = false; }

private:
    static constexpr qint64 blockSize = 1 << 20;

    // The next size bytes in view_, read from the device when they are not yet.
    bool ensure(qsizetype size)
    {
        if (!ok_)
            return false;
        const qsizetype have = view_.size() - pos_;
        if (size <= have)
            return true;
        if (!device_ || size - have > left_) {
            ok_ = false;
            return false;
        }
        buffer_.remove(0, pos_);
        pos_ = 0;
        const qint64 wanted = std::min(left_, std::max<qint64>(size - have, blockSize));
        const qsizetype at = buffer_.size();
        buffer_.resize(at + wanted);
        ok_ = device_->read(buffer_.data() + at, wanted) == wanted;
        left_ -= wanted;
        view_ = buffer_;
        return ok_;
    }

    QIODevice* device_ = nullptr;
    qint64 left_ = 0; // still on the device
    QByteArray buffer_;
    QByteArrayView view_;
    qsizetype pos_ = 0;
    bool ok_ = true;
};

void putOrigin(QByteArray& out, const Origin& origin)
{
    putString(out, origin.programFolder);
    put(out, qint32(origin.holds));
    putString(out, origin.name);
    put(out, quint8(origin.stamped));
    for (qint64 field : {origin.device, origin.inode, origin.size, origin.modifiedNs, origin.changedNs})
        put(out, field);
    put(out, quint8(origin.hashed));
    put(out, origin.hash);
    putString(out, origin.registerPath);
}

Origin getOrigin(Input& in)
{
    Origin origin;
    origin.programFolder = in.string();
    // A value this version does not know (a log from a later one) holds nothing known.
    const auto holds = in.get<qint32>();
    origin.holds = holds >= qint32(GridHolds::Nothing) && holds <= qint32(GridHolds::Archive) ? GridHolds(holds)
                                                                                              : GridHolds::Nothing;
    origin.name = in.string();
    origin.stamped = in.get<quint8>() != 0;
    for (qint64* field : {&origin.device, &origin.inode, &origin.size, &origin.modifiedNs, &origin.changedNs})
        *field = in.get<qint64>();
    origin.hashed = in.get<quint8>() != 0;
    origin.hash = in.get<quint64>();
    origin.registerPath = in.string();
    return origin;
}

bool restoreSnapshot(Input& in, GridModel& grid)
{
    getOrigin(in);
    const auto cols = in.get<quint32>();
    if (!in.ok() || cols < 1 || cols > maxCols)
        return false;
    grid.setRows(GridModel::FixedRows);
    grid.setCols(int(cols));
    grid.numberColumns();
    for (int c = 0; c < int(cols); ++c) {
        grid.setColWidth(c, in.get<qint32>());
        grid.setColAlignment(c, Qt::Alignment(in.get<qint32>()));
    }
    const auto rows = in.get<quint32>();
    if (!in.ok() || rows < quint32(GridModel::FixedRows) || rows > maxRows)
        return false;
    grid.setRows(int(rows));
    for (int r = 0; r < int(rows); ++r) {
        const std::optional<PackedRow> cells = in.row();
        if (!cells)
            return false;
        grid.setRowCells(r, *cells);
    }
    return in.atEnd();
}

// A permutation of the rows from first to the end, or nothing.
std::optional<std::vector<quint32>> readOrder(Input& in, int first, int rows)
{
    const auto count = in.get<quint32>();
    if (!in.ok() || first < GridModel::FixedRows || first > rows || count != quint32(rows - first))
        return std::nullopt;
    std::vector<quint32> order(count);
    std::vector<bool> seen(count);
    for (quint32& index : order) {
        index = in.get<quint32>();
        if (!in.ok() || index >= count || seen[index])
            return std::nullopt;
        seen[index] = true;
    }
    return order;
}

// Logs of earlier versions may hold the captions set from a format text, a
// change the model no longer makes: replayed as it was then, measured in a
// new grid's font.
constexpr quint8 oldSetFormatString = 9;

bool applyOldFormatString(Input& in, GridModel& grid)
{
    const QString format = in.string();
    if (!in.ok() || format.count(u'|') >= int(maxCols))
        return false;
    grid.setFormatString(format, QFont());
    return true;
}

bool applyOne(Input& in, GridModel& grid)
{
    using Kind = GridChange::Kind;
    const auto kind = Kind(in.get<quint8>());
    if (quint8(kind) == oldSetFormatString)
        return applyOldFormatString(in, grid);
    const int a = kind == Kind::AddItem ? 0 : in.get<qint32>();
    switch (kind) {
    case Kind::SetRows:
        return in.ok() && grid.setRows(a);
    case Kind::SetCols:
        return in.ok() && grid.setCols(a);
    case Kind::AddItem: {
        const std::optional<QString> text = in.text();
        return text && grid.AddItem(*text);
    }
    case Kind::RemoveItem:
        return in.ok() && grid.RemoveItem(a);
    case Kind::InsertRow:
    case Kind::SetRowCells: {
        const std::optional<PackedRow> cells = in.row();
        if (!cells)
            return false;
        if (kind == Kind::InsertRow)
            return grid.insertRow(a, *cells);
        return grid.setRowCells(a, *cells);
    }
    case Kind::SetColPosition:
        return grid.setColPosition(a, in.get<qint32>()) && in.ok();
    case Kind::SetText: {
        const int col = in.get<qint32>();
        const std::optional<QString> text = in.text();
        return text && grid.setTextMatrix(a, col, *text);
    }
    case Kind::SetColAlignment: {
        const int alignment = in.get<qint32>();
        if (!in.ok() || a < 0 || a >= grid.Cols())
            return false;
        grid.setColAlignment(a, Qt::Alignment(alignment));
        return true;
    }
    case Kind::SetColWidth:
        return grid.setColWidth(a, in.get<qint32>()) && in.ok();
    case Kind::PermuteRows: {
        const std::optional<std::vector<quint32>> order = readOrder(in, a, grid.Rows());
        if (!order)
            return false;
        grid.permuteRows(a, *order);
        return true;
    }
    }
    return false;
}

} // namespace

quint64 hashOf(QByteArrayView bytes)
{
    return ContentHash::of(bytes);
}

QByteArray fileHeader()
{
    QByteArray header(fileMagic, sizeof fileMagic);
    put(header, formatVersion);
    return header;
}

QByteArray frameHeader(FrameKind kind, quint32 steps, qint64 timeMs, QByteArrayView payload)
{
    return frameHeader(kind, steps, timeMs, quint32(payload.size()), hashOf(payload));
}

QByteArray hashPayload(quint64 hash)
{
    QByteArray out;
    put(out, hash);
    return out;
}

QByteArray frameHeader(FrameKind kind, quint32 steps, qint64 timeMs, quint32 length, quint64 hash)
{
    QByteArray out;
    out.reserve(frameHeaderSize);
    put(out, frameMagic);
    put(out, quint8(kind));
    put(out, steps);
    put(out, timeMs);
    put(out, length);
    put(out, hash);
    return out;
}

void startPayload(const Origin& origin, const GridSnapshot& grid, const std::function<void(QByteArrayView)>& piece)
{
    constexpr qsizetype pieceSize = 1 << 20;
    QByteArray out;
    out.reserve(pieceSize + 4096);
    putOrigin(out, origin);
    put(out, quint32(grid.cols()));
    for (int c = 0; c < grid.cols(); ++c) {
        put(out, qint32(grid.widths[size_t(c)]));
        put(out, qint32(grid.alignments[size_t(c)]));
    }
    put(out, quint32(grid.rows.size()));
    for (size_t r = 0; r < grid.rows.size(); ++r) {
        const RowView row = grid.rows.row(r);
        if (out.size() + 5 + row.size() > pieceSize && !out.isEmpty()) {
            piece(out);
            out.truncate(0); // keeps its room
        }
        putRow(out, row);
    }
    piece(out);
}

void appendChange(QByteArray& batch, const GridChange& change)
{
    using Kind = GridChange::Kind;
    put(batch, quint8(change.kind));
    switch (change.kind) {
    case Kind::AddItem:
        putText(batch, change.text);
        return;
    case Kind::SetRows:
    case Kind::SetCols:
    case Kind::RemoveItem:
        put(batch, qint32(change.a));
        return;
    case Kind::InsertRow:
    case Kind::SetRowCells:
        put(batch, qint32(change.a));
        putRow(batch, change.cells->view());
        return;
    case Kind::SetColPosition:
    case Kind::SetColAlignment:
    case Kind::SetColWidth:
        put(batch, qint32(change.a));
        put(batch, qint32(change.b));
        return;
    case Kind::SetText:
        put(batch, qint32(change.a));
        put(batch, qint32(change.b));
        putText(batch, change.text);
        return;
    case Kind::PermuteRows:
        put(batch, qint32(change.a));
        put(batch, quint32(change.order->size()));
        batch.append(
            reinterpret_cast<const char*>(change.order->data()), qsizetype(change.order->size() * sizeof(quint32)));
        return;
    }
}

std::optional<Contents> read(QIODevice& device)
{
    const QByteArray header = fileHeader();
    if (!device.seek(0) || device.read(header.size()) != header)
        return std::nullopt;
    Contents contents;
    qint64 at = header.size();
    bool started = false;
    // Up to the first frame that is cut off or damaged: what a kill or a
    // power cut in the middle of a write leaves. Payloads are checked a
    // block at a time; only the first block of each is kept, for what the
    // start and a file hash say.
    for (;;) {
        const QByteArray head = device.read(frameHeaderSize);
        Input in(head);
        const auto magic = in.get<quint32>();
        const auto kind = FrameKind(in.get<quint8>());
        const auto steps = in.get<quint32>();
        const auto timeMs = in.get<qint64>();
        const auto length = in.get<quint32>();
        const auto hash = in.get<quint64>();
        if (!in.ok() || magic != frameMagic)
            break;
        QByteArray first;
        ContentHash payload;
        qint64 left = length;
        while (left > 0) {
            const QByteArray block = device.read(std::min<qint64>(left, 1 << 20));
            if (block.isEmpty())
                break;
            payload.add(block);
            if (first.isEmpty())
                first = block;
            left -= block.size();
        }
        if (left > 0 || payload.result() != hash)
            break;
        const Frame frame {at, at + frameHeaderSize, length};
        if (kind == FrameKind::Start && !started) {
            Input origin(first);
            contents.origin = getOrigin(origin);
            if (!origin.ok())
                return std::nullopt;
            contents.snapshot = frame;
            started = true;
        } else if (kind == FrameKind::FileHash && started && length == 8) {
            contents.origin.hashed = true;
            std::memcpy(&contents.origin.hash, first.constData(), 8);
        } else if (kind == FrameKind::Changes && started) {
            contents.batches.push_back(frame);
        } else {
            break;
        }
        contents.steps += int(std::min<quint32>(steps, 1'000'000));
        contents.lastChangeMs = timeMs;
        at = frame.offset + length;
        contents.wholeLength = at;
    }
    if (!started)
        return std::nullopt;
    return contents;
}

bool cutWhileBeginning(QIODevice& device)
{
    const QByteArray header = fileHeader();
    if (!device.seek(0))
        return false;
    const QByteArray start = device.read(header.size() + frameHeaderSize);
    if (start.size() < header.size())
        return header.startsWith(start);
    if (!start.startsWith(header))
        return false;
    if (start.size() < header.size() + frameHeaderSize)
        return true; // the start frame's header itself is cut
    Input in(QByteArrayView(start).sliced(header.size()));
    const auto magic = in.get<quint32>();
    const auto kind = FrameKind(in.get<quint8>());
    in.span(4 + 8);
    const auto length = in.get<quint32>();
    return magic == frameMagic && kind == FrameKind::Start &&
           header.size() + frameHeaderSize + qint64(length) > device.size();
}

namespace {

// The snapshot and the first count batches; answers how many applied.
std::optional<size_t> applyFirst(const Contents& contents, size_t count, QIODevice& device, GridModel& grid)
{
    if (!device.seek(contents.snapshot.offset))
        return std::nullopt;
    Input snapshot(device, contents.snapshot.length);
    if (!restoreSnapshot(snapshot, grid))
        return std::nullopt;
    for (size_t b = 0; b < count; ++b) {
        const Frame& frame = contents.batches[b];
        if (!device.seek(frame.offset))
            return b;
        Input in(device, frame.length);
        while (!in.atEnd()) {
            if (!applyOne(in, grid))
                return b;
        }
    }
    return count;
}

} // namespace

std::optional<size_t> rebuild(const Contents& contents, QIODevice& device, GridModel& grid)
{
    const std::optional<size_t> applied = applyFirst(contents, contents.batches.size(), device, grid);
    if (!applied || *applied == contents.batches.size())
        return applied;
    return applyFirst(contents, *applied, device, grid);
}

} // namespace WorkLogFormat
