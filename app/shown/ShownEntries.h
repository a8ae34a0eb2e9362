#pragma once

#include "rules/EntryFilter.h"

#include <QDate>
#include <QObject>

class CellBox;
class Desktop;
class FlexGrid;
class QAction;
class QMenu;
class QWidget;
class RegisterDocument;

// What the grid shows: every entry, or those a filter picks (the grid
// menu's «Показать», each entry with its own keys), and the window's caption
// that says so: «Palomet — показано N из M: заблокированные» while a filter
// is on, with the archive's name while the grid holds one; «Palomet» alone
// is the register, whole. The filter stays over a sort and picks again after
// an undo or a redo; a load and a recovery show every entry.
class ShownEntries : public QObject {
    Q_OBJECT
public:
    ShownEntries(QWidget& window, FlexGrid& grid, Desktop& desktop, CellBox& cellBox, const RegisterDocument& document);

    // What the grid holds and shows when it is not the whole register, as
    // the caption and the printed heading say it («архив «2009.csv»,
    // показано 8 из 40: заблокированные»); empty for the register, whole.
    QString note() const;

    // Puts «Показать» into the menu.
    void addTo(QMenu& menu);
    void show(const EntryFilter& filter);
    // The filter picks again from the entries as they are now.
    void reapply();
    // The day "blocked" and "soon" are judged on; the clock's when not set.
    void setToday(QDate today) { today_ = today; }

private:
    QAction* addAction(const QString& text, const QKeySequence& keys, EntryFilter::Kind kind);
    void showContaining();
    void updateCaption();
    // «заблокированные», «содержащие «лютик» в колонке «Владелец»»…
    QString filterWords() const;

    QWidget& window_;
    FlexGrid& grid_;
    Desktop& desktop_;
    CellBox& cellBox_;
    const RegisterDocument& document_;
    std::vector<QAction*> actions_;
    EntryFilter filter_;
    QDate today_;
};
