#pragma once

#include "app/due/DueWindow.h"
#include "app/unithistory/EntryOpener.h"

#include <QDate>
#include <QObject>
#include <QPointer>

class Desktop;
class FlexGrid;
class RegisterDocument;
class ShownEntries;
class QWidget;

// «Сроки блокировки…» (the grid's menu, Ctrl+B): the due list over the
// register as the grid holds it, unsaved edits included, and every *.csv
// of Archive (never Backup), in a window of its own. Choosing an entry
// goes to it (EntryOpener) and closes the list; «Печать» prints the list
// on the default printer and «Сохранить в PDF…» saves it.
class BlockingDates : public QObject {
    Q_OBJECT
public:
    BlockingDates(QWidget& window, FlexGrid& grid, Desktop& desktop, RegisterDocument& document, ShownEntries& shown);

    void run();
    DueWindow* list() const { return list_; }
    // The day the list is made on; the clock's when not set.
    void setToday(QDate today) { today_ = today; }

private:
    void print();
    void savePdf();

    QWidget& window_;
    FlexGrid& grid_;
    Desktop& desktop_;
    RegisterDocument& document_;
    EntryOpener opener_;
    QPointer<DueWindow> list_;
    QDate today_;
};
