#pragma once

#include "app/unithistory/EntryOpener.h"
#include "app/unithistory/UnitHistoryWindow.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

class Desktop;
class FlexGrid;

class RegisterDocument;
class ShownEntries;
class QWidget;

// «История ЭКЛЗ…» (the grid's menu, Ctrl+H): every entry holding the
// current cell's text (or a word asked for when the cell is empty), in the
// register as the window holds it and in every *.csv of Archive (never
// Backup), in a window of its own, newest file first. Choosing a row goes
// to its entry (EntryOpener) and closes the list. Archives are read and
// never written.
class UnitHistory : public QObject {
    Q_OBJECT
public:
    UnitHistory(QWidget& window, FlexGrid& grid, Desktop& desktop, RegisterDocument& document, ShownEntries& shown);

    void run();
    UnitHistoryWindow* results() const { return results_; }

private:
    QWidget& window_;
    FlexGrid& grid_;
    Desktop& desktop_;
    RegisterDocument& document_;
    EntryOpener opener_;
    QPointer<UnitHistoryWindow> results_;
};
