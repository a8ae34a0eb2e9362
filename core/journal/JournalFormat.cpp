#include "journal/JournalFormat.h"

#include "grid/FlexGrid.h"
#include "storage/ContentHash.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace JournalFormat {

namespace {

constexpr char fileMagic[8] = {'P', 'A', 'L', 'O', 'M', 'E', 'T', 'J'};
constexpr quint32 formatVersion = 1;
constexpr quint32 frameMagic = 0x4d415246; // "FRAM"
constexpr qsizetype frameHeaderSize = 4 + 1 + 4 + 8 + 4 + 8;
// Far beyond any register, and small enough that damaged counts cannot make
// the rebuild allocate without bound.
constexpr quint32 maxRows = 16'000'000;
constexpr quint32 maxCols = 32'767;

template <typename T>
void put(QByteArray& out, T value)
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
        putBytes(out, QByteArrayView(reinterpret_cast<const char*>(text.wideText().data()),
                                     text.wideText().size() * 2));
}

// Reads what put wrote; once anything is missing or out of bounds, every
// later read fails too.
class Input
{
public:
    explicit Input(QByteArrayView bytes) : bytes_(bytes) {}
    bool ok() const { return ok_; }
    bool atEnd() const { return pos_ >= bytes_.size(); }
    qsizetype pos() const { return pos_; }

    template <typename T>
    T get()
    {
        T value{};
        if (!take(sizeof value))
            return value;
        std::memcpy(&value, bytes_.data() + pos_ - qsizetype(sizeof value), sizeof value);
        return value;
    }
    QByteArrayView bytes()
    {
        return span(qsizetype(get<quint32>()));
    }
    QByteArrayView span(qsizetype size)
    {
        if (!take(size))
            return {};
        return bytes_.sliced(pos_ - size, size);
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
    bool take(qsizetype size)
    {
        if (!ok_ || size < 0 || size > bytes_.size() - pos_) {
            ok_ = false;
            return false;
        }
        pos_ += size;
        return true;
    }

    QByteArrayView bytes_;
    qsizetype pos_ = 0;
    bool ok_ = true;
};

void putOrigin(QByteArray& out, const Origin& origin)
{
    putString(out, origin.programFolder);
    put(out, qint32(origin.source));
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
    origin.source = in.get<qint32>();
    origin.name = in.string();
    origin.stamped = in.get<quint8>() != 0;
    for (qint64* field : {&origin.device, &origin.inode, &origin.size, &origin.modifiedNs, &origin.changedNs})
        *field = in.get<qint64>();
    origin.hashed = in.get<quint8>() != 0;
    origin.hash = in.get<quint64>();
    origin.registerPath = in.string();
    return origin;
}

bool restoreSnapshot(QByteArrayView snapshot, FlexGrid& grid)
{
    Input in(snapshot);
    getOrigin(in);
    const auto cols = in.get<quint32>();
    if (!in.ok() || cols < 1 || cols > maxCols)
        return false;
    grid.setRows(FlexGrid::FixedRows);
    grid.setCols(int(cols));
    for (int c = 0; c < int(cols); ++c) {
        grid.setColWidth(c, in.get<qint32>());
        grid.setColAlignment(c, Qt::Alignment(in.get<qint32>()));
    }
    const auto rows = in.get<quint32>();
    if (!in.ok() || rows < quint32(FlexGrid::FixedRows) || rows > maxRows)
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
    if (!in.ok() || first < FlexGrid::FixedRows || first > rows || count != quint32(rows - first))
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

bool applyOne(Input& in, FlexGrid& grid)
{
    using Kind = GridChange::Kind;
    const auto kind = Kind(in.get<quint8>());
    const int a = (kind == Kind::AddItem || kind == Kind::SetFormatString) ? 0 : in.get<qint32>();
    switch (kind) {
    case Kind::SetRows:
        return in.ok() && a >= 0 && quint32(a) <= maxRows && grid.setRows(a);
    case Kind::SetCols:
        return in.ok() && a >= 0 && quint32(a) <= maxCols && grid.setCols(a);
    case Kind::AddItem: {
        const std::optional<QString> text = in.text();
        if (!text || quint32(grid.Rows()) >= maxRows)
            return false;
        grid.AddItem(*text);
        return true;
    }
    case Kind::RemoveItem:
        return in.ok() && grid.RemoveItem(a);
    case Kind::InsertRow:
    case Kind::SetRowCells: {
        const std::optional<PackedRow> cells = in.row();
        if (!cells)
            return false;
        if (kind == Kind::InsertRow)
            return quint32(grid.Rows()) < maxRows && grid.insertRow(a, *cells);
        return grid.setRowCells(a, *cells);
    }
    case Kind::SetColPosition:
        return grid.setColPosition(a, in.get<qint32>()) && in.ok();
    case Kind::SetText: {
        const int col = in.get<qint32>();
        const std::optional<QString> text = in.text();
        return text && grid.setTextMatrix(a, col, *text);
    }
    case Kind::SetFormatString: {
        const QString format = in.string();
        if (!in.ok() || format.count(u'|') >= int(maxCols))
            return false;
        grid.setFormatString(format);
        return true;
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
    QByteArray out;
    out.reserve(frameHeaderSize);
    put(out, frameMagic);
    put(out, quint8(kind));
    put(out, steps);
    put(out, timeMs);
    put(out, quint32(payload.size()));
    put(out, hashOf(payload));
    return out;
}

QByteArray hashPayload(quint64 hash)
{
    QByteArray out;
    put(out, hash);
    return out;
}

QByteArray startPayload(const Origin& origin, const FlexGrid& grid)
{
    QByteArray out;
    putOrigin(out, origin);
    put(out, quint32(grid.Cols()));
    for (int c = 0; c < grid.Cols(); ++c) {
        put(out, qint32(grid.ColWidth(c)));
        put(out, qint32(grid.ColAlignment(c)));
    }
    put(out, quint32(grid.Rows()));
    // The rows are most of a journal's start and are copied on the window's
    // thread: one allocation and a copy a row, nothing more.
    qsizetype size = out.size();
    for (int r = 0; r < grid.Rows(); ++r)
        size += 5 + grid.rowView(r).size();
    qsizetype at = out.size();
    out.resize(size);
    char* const to = out.data();
    for (int r = 0; r < grid.Rows(); ++r) {
        const RowView row = grid.rowView(r);
        const auto rowSize = quint32(row.size());
        to[at] = char(row.isWide());
        std::memcpy(to + at + 1, &rowSize, 4);
        if (rowSize > 0)
            std::memcpy(to + at + 5, row.data(), rowSize);
        at += 5 + row.size();
    }
    return out;
}

void appendChange(QByteArray& batch, const GridChange& change)
{
    using Kind = GridChange::Kind;
    put(batch, quint8(change.kind));
    switch (change.kind) {
    case Kind::AddItem:
        putText(batch, change.text);
        return;
    case Kind::SetFormatString:
        putString(batch, change.format);
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
        batch.append(reinterpret_cast<const char*>(change.order->data()),
                     qsizetype(change.order->size() * sizeof(quint32)));
        return;
    }
}

std::optional<Contents> read(QByteArrayView bytes)
{
    const QByteArray header = fileHeader();
    if (!bytes.startsWith(header))
        return std::nullopt;
    Contents contents;
    Input in(bytes.sliced(header.size()));
    bool started = false;
    // Up to the first frame that is cut off or damaged: what a kill or a
    // power cut in the middle of a write leaves.
    while (!in.atEnd()) {
        const auto magic = in.get<quint32>();
        const auto kind = FrameKind(in.get<quint8>());
        const auto steps = in.get<quint32>();
        const auto timeMs = in.get<qint64>();
        const auto length = in.get<quint32>();
        const auto hash = in.get<quint64>();
        const QByteArrayView payload = in.span(length);
        if (!in.ok() || magic != frameMagic || hashOf(payload) != hash)
            break;
        if (kind == FrameKind::Start && !started) {
            Input origin(payload);
            contents.origin = getOrigin(origin);
            if (!origin.ok())
                return std::nullopt;
            contents.snapshot = payload;
            started = true;
        } else if (kind == FrameKind::FileHash && started && payload.size() == 8) {
            contents.origin.hashed = true;
            std::memcpy(&contents.origin.hash, payload.data(), 8);
        } else if (kind == FrameKind::Changes && started) {
            contents.batches.push_back(payload);
        } else {
            break;
        }
        contents.steps += int(std::min<quint32>(steps, 1'000'000));
        contents.lastChangeMs = timeMs;
        contents.wholeLength = header.size() + in.pos();
    }
    if (!started)
        return std::nullopt;
    return contents;
}

bool rebuild(const Contents& contents, FlexGrid& grid)
{
    if (!restoreSnapshot(contents.snapshot, grid))
        return false;
    for (QByteArrayView batch : contents.batches) {
        Input in(batch);
        while (!in.atEnd()) {
            if (!applyOne(in, grid))
                return false;
        }
    }
    return true;
}

} // namespace JournalFormat
