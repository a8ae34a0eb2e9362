#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <vector>

class QPrinter;

// What the main window asks of the desktop beyond its own controls: the
// blocking input and message boxes, the busy pointer, running pending events
// from inside a handler, ending the program, and the default printer. Tests
// put a scripted one in its place.
class Desktop {
public:
    virtual ~Desktop() = default;

    // The typed text, or an empty text when the box was cancelled; initial
    // is the text offered.
    virtual QString inputBox(const QString& prompt, const QString& title, const QString& initial = QString()) = 0;
    virtual void messageBox(const QString& text, const QString& title) = 0;
    // A question with a name to keep or change, and the buttons "Да" and
    // "Нет": the name on "Да", an empty text on "Нет", Escape or the close box.
    virtual QString nameQuestion(const QString& text, const QString& title, const QString& initial) = 0;
    // Qt's own file dialog for a file to write, offering suggested (a path),
    // asking before it names a file that exists; the path chosen, or an
    // empty text when cancelled.
    virtual QString saveFileBox(const QString& title, const QString& suggested, const QString& filter) = 0;
    // A question with the buttons "Да" and "Нет"; "Нет" is the default and is
    // what Escape and the close box answer. True for "Да".
    virtual bool askYesNo(const QString& text, const QString& title) = 0;
    // The same question with "Да" the default; Escape still answers "Нет".
    virtual bool askYesNoDefaultYes(const QString& text, const QString& title) = 0;
    // Busy pointers nest: the default pointer returns with the last false.
    virtual void setBusy(bool busy) = 0;
    // The blocking pass's yield, between rows: may handle the pending events,
    // and answers whether other handlers may have run meanwhile.
    virtual bool processEvents() = 0;
    // Handles every pending event now.
    virtual void flushEvents() = 0;
    // Ends the program at once: no window sees another event.
    virtual void quit() = 0;
    // The system's default printer, or null when there is none.
    virtual std::unique_ptr<QPrinter> defaultPrinter() = 0;
    // A print job's page about to be drawn, of pages: shows "WHAT:
    // страница N из M" ("Печать", "Сохранение в PDF") with "Отмена" when
    // there is more than one page, and
    // answers false once the user cancels. Page pages + 1: the job is drawn
    // and about to be handed over, the last moment "Отмена" can act; the
    // progress closes then unless it cancels. printEnded closes it.
    virtual bool printProgress(int page, int pages, const QString& what) = 0;
    virtual void printEnded() = 0;

    // What a save joining another desk's work asks about: an entry (its
    // serial number and row), a column's caption, and the text there and
    // here.
    struct Conflict {
        QString entry;
        QString column;
        QString there;
        QString here;
    };
    // The window «Изменения на двух рабочих местах», intro above the list:
    // for each conflict, true to keep theirs («Оставить их»), false for
    // «Оставить мои»; nothing on «Отмена», Escape or the close box.
    virtual std::optional<std::vector<bool>> chooseVersions(
        const QString& intro, const std::vector<Conflict>& conflicts) = 0;

    // The busy pointer for the life of a scope, returned however it ends.
    class BusyScope {
    public:
        explicit BusyScope(Desktop& desktop)
            : desktop_(desktop)
        {
            desktop_.setBusy(true);
        }
        ~BusyScope() { desktop_.setBusy(false); }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        Desktop& desktop_;
    };
};
