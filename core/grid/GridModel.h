#pragma once

#include "grid/GenericOrder.h"
#include "grid/GridChange.h"
#include "grid/GridSnapshot.h"
#include "grid/RowStore.h"

#include <QFont>
#include <QObject>
#include <QString>
#include <utility>
#include <vector>

// The register's rows and cells, and nothing of how they are shown: every
// entry, the header row 0 among them, every column with its width and its
// alignment. What is shown of it, and where the user stands in it, is a
// view's (FlexGrid). Whatever writes the register (a load, a save, the work
// log, the blocking pass, an undo step) works here, on every entry,
// shown or not.
//
// Indices out of range are refused: getters answer empty, setters return
// false and change nothing. Past maxRows rows or maxCols columns the model
// refuses and changes nothing, so that every change it made can be replayed.
class GridModel : public QObject {
    Q_OBJECT
public:
    static constexpr int FixedRows = 1;
    static constexpr int defaultColWidth = 960;
    // The most rows (the header included) and columns a grid holds, and so
    // what a work log replays.
    static constexpr int maxRows = 16'000'000;
    static constexpr int maxCols = 32'767;

    explicit GridModel(QObject* parent = nullptr);

    // Shape. Counts include the header row; growing appends empty rows or
    // columns at the end, shrinking drops them from the end.
    int Rows() const { return static_cast<int>(rows_.size()); }
    bool setRows(int count);
    int Cols() const { return static_cast<int>(widths_.size()); }
    bool setCols(int count);
    bool AddItem(const QString& text);
    bool RemoveItem(int row); // the header and the last entry stay
    bool insertRow(int row, const PackedRow& cells);
    PackedRow rowCells(int row) const;
    bool setColPosition(int index, int position);

    // Texts. A text put over the same text is no change.
    QString TextMatrix(int row, int col) const { return cellText(row, col).toString(); }
    // The text as held, without a copy: valid until the model changes.
    CellText cellText(int row, int col) const
    {
        return validCell(row, col) ? rows_.row(size_t(row)).cell(col) : CellText();
    }
    // A row's cells as held, without a copy: valid until the model changes.
    // A row never holds cells past Cols.
    RowView rowView(int row) const;
    bool setTextMatrix(int row, int col, CellText text);
    // Replaces a row's texts; cells past Cols are dropped.
    bool setRowCells(int row, const PackedRow& cells);

    int ColWidth(int col) const;
    bool setColWidth(int col, int twips);
    Qt::Alignment ColAlignment(int col) const;
    bool setColAlignment(int col, Qt::Alignment alignment);
    // "^Caption|<Caption|>Caption": row 0's texts, the columns' alignment and
    // widths measured from the captions in font, trailing blanks included.
    void setFormatString(const QString& format, const QFont& font);
    // Between a cell's border and its text, in twips.
    static constexpr int textMargin = 45;
    const std::vector<int>& colWidths() const { return widths_; }

    // Columns keep a key through moves: the place they stood at when the
    // columns were last numbered (a load), or a new key once added. What
    // follows a column of the register (the marks, a filter) asks where the
    // column of a key stands now: -1 once it is deleted.
    int columnKey(int col) const { return col >= 0 && col < Cols() ? columnKeys_[size_t(col)] : -1; }
    int columnWithKey(int key) const;
    // The columns as they stand now are numbered 0, 1, 2…: after a load.
    void numberColumns();
    // A deleted column put back by undo takes its key again.
    void setColumnKey(int col, int key)
    {
        if (col >= 0 && col < Cols())
            columnKeys_[size_t(col)] = key;
    }

    // Generic ascending order (GenericOrder) of the rows first..last by the
    // keys keyFirst..keyLast, dates read by the date reader when one is set;
    // the order applied (see permuteRows), empty when nothing was sorted.
    std::vector<quint32> sort(int first, int last, int keyFirst, int keyLast);
    void setDateReader(GenericOrder::DateReader reader) { dateReader_ = std::move(reader); }
    // Rows from `first` on take the rows that order names, counted from
    // `first`; the inverse order puts them back.
    void permuteRows(int first, const std::vector<quint32>& order);

    // The contents as they are now, sharing the rows' bytes (GridSnapshot).
    GridSnapshot snapshot() const;
    // What the rows' texts take, in bytes: about what a snapshot writes.
    qsizetype rowBytes() const { return rows_.liveBytes(); }
    // Bumped by every change of a text, of the rows or of the columns.
    // Equal revisions mean an unchanged register.
    quint64 revision() const { return revision_; }
    // Told of every change before it is made (the work log, the index of
    // serial numbers), in the order they were added.
    void addRecorder(GridRecorder* recorder) { recorders_.push_back(recorder); }
    void removeRecorder(GridRecorder* recorder) { std::erase(recorders_, recorder); }

signals:
    // After the change; rows are the model's own. Views keep what they show
    // in step with them.
    void rowsInserted(int first, int count);
    void rowsRemoved(int first, int count);
    void rowsPermuted(int first, const std::vector<quint32>& order);
    void columnsChanged();

public:
    // Told after every change of a text. A view keeps its own latch, so that
    // a pass writing a million cells asks it for one repaint; a virtual call
    // a cell costs that pass nothing, where a signal a cell would cost it
    // tens of milliseconds.
    class TextsWatcher {
    public:
        virtual void textsChanged() = 0;

    protected:
        ~TextsWatcher() = default;
    };
    void addTextsWatcher(TextsWatcher* watcher) { textsWatchers_.push_back(watcher); }
    void removeTextsWatcher(TextsWatcher* watcher) { std::erase(textsWatchers_, watcher); }

private:
    bool validCell(int row, int col) const { return row >= 0 && row < Rows() && col >= 0 && col < Cols(); }
    void note(const GridChange& change)
    {
        for (GridRecorder* recorder : recorders_)
            recorder->record(change);
    }
    void replaceCell(int row, int col, CellText text);
    void noteTexts()
    {
        for (TextsWatcher* watcher : textsWatchers_)
            watcher->textsChanged();
    }
    void storeRow(int row, const PackedRow& cells);

    RowStore rows_;
    PackedRow edited_; // where a row is edited, its room kept from row to row
    std::vector<int> widths_;
    std::vector<Qt::Alignment> alignments_;
    std::vector<int> columnKeys_;
    int nextColumnKey_ = 0;
    GenericOrder::DateReader dateReader_;
    quint64 revision_ = 0;
    std::vector<GridRecorder*> recorders_;
    std::vector<TextsWatcher*> textsWatchers_;
};
