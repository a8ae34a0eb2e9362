#pragma once

#include <QString>
#include <QStringList>

class Desktop;
class FlexGrid;
class GridModel;
class RegisterDocument;
class ShownEntries;
class QWidget;

// Goes to an entry a list found (a unit's history, the blocking dates): in
// the register, or in an archive loaded as "Загрузить архив" loads it,
// asking first when changes are unsaved. The entry is looked for by its
// cells where it stood, then anywhere, so that a register or an archive
// changed since the list was made never shows another entry in its place:
// an entry no longer there is said so. The entry found is made current,
// shown first where a filter hides it, and the main window comes to the front.
class EntryOpener {
public:
    EntryOpener(QWidget& window, FlexGrid& grid, Desktop& desktop, RegisterDocument& document, ShownEntries& shown);

    // path empty: the register. row: the entry's row, or the archive's line.
    // listName: the command that made the list, to run again. Answers
    // whether the entry is current.
    bool open(const QString& path, int row, const QStringList& cells, const QString& listName);

    // The entry's row in model: at row when it holds those cells, else the
    // first that does, or -1.
    static int find(const GridModel& model, int row, const QStringList& cells);

private:
    void makeCurrent(int modelRow);

    QWidget& window_;
    FlexGrid& grid_;
    Desktop& desktop_;
    RegisterDocument& document_;
    ShownEntries& shown_;
};
