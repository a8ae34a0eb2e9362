#pragma once

#include "grid/RowStore.h"
#include "merge/RegisterMerge.h"
#include "storage/FileStamp.h"

#include <QString>
#include <memory>
#include <optional>

class Desktop;
class EntriesCommand;
class FlexGrid;

// Joins the register another desk saved with the grid, before a save
// writes the grid over it: reads the file (theirs) as a load does, blocking
// dates derived, merges it with the grid (ours) from the register as this
// desk last read (after the same pass) or wrote it (the base),
// asks about the conflicts, and makes the undo step that turns the grid into
// the merged register. A file that is not a whole register (damaged, cut
// short, with text past the saved columns) is not merged: the save asks
// about it as about any file changed elsewhere.
class RegisterMerger {
public:
    enum class Outcome { Joined, Cancelled, NotARegister };
    struct Joined {
        // The step that makes the grid the merged register; null when the
        // grid already is.
        std::unique_ptr<EntriesCommand> step;
        RegisterMerge::Counts counts;
        bool asked = false; // the conflicts were decided in their window
        // The file as read: the base of the next merge.
        RowStore::Snapshot base;
        std::optional<FileStamp> stamp;
        quint64 contents = 0;
    };
    static Outcome join(FlexGrid& grid, const RowStore::Snapshot& base, const QString& path, const QString& otherDesk,
        Desktop& desktop, Joined& joined);

    // What the message after the save says: "добавлено N, изменено M, удалено K записей".
    static QString countsText(const RegisterMerge::Counts& counts);
    // "другом рабочем месте", with the desk's name where it is known.
    static QString otherDeskText(const QString& otherDesk);
    static const QString stepText;
};
