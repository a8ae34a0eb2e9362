#pragma once

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
// Backup), in a window of its own, newest file first. Choosing a row of the
// register makes that entry current; choosing an archive's loads it as
// "Загрузить архив" does, asking first when changes are unsaved, and makes
// the entry current. Archives are read and never written.
class UnitHistory : public QObject {
    Q_OBJECT
public:
    UnitHistory(QWidget& window, FlexGrid& grid, Desktop& desktop, RegisterDocument& document, ShownEntries& shown);

    void run();
    UnitHistoryWindow* results() const { return results_; }

private:
    void open(int source, const QString& path, int row, const QStringList& cells);
    // The entry at modelRow made current (shown first where a filter hides
    // it), the main window to the front.
    void makeCurrent(int modelRow);

    QWidget& window_;
    FlexGrid& grid_;
    Desktop& desktop_;
    RegisterDocument& document_;
    ShownEntries& shown_;
    QPointer<UnitHistoryWindow> results_;
    quint64 searchedRevision_ = 0;
};
