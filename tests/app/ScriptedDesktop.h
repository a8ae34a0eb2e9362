#pragma once

#include "app/desktop/Desktop.h"

#include <QCoreApplication>
#include <QStringList>
#include <functional>

// A desktop whose input boxes answer from a script, whose message boxes are
// recorded instead of shown, and whose quit is only counted.
class ScriptedDesktop : public Desktop {
public:
    struct Message {
        QString text;
        QString title;
        int busyDepth = 0; // busy pointers in force when it showed
        bool yesIsDefault = false;
    };

    QStringList answers; // taken from the front; empty text once used up
    QStringList prompts; // every input box's prompt, in order
    std::vector<Message> messages; // every message box, in order
    std::vector<Message> questions; // every yes/no question, in order
    std::vector<bool> replies; // "Да" for true, taken from the front; "Нет" once used up
    std::vector<bool> busyChanges; // every change of the pointer, busy or not
    int busyDepth = 0;
    int quits = 0;
    // Runs inside every processEvents, before the real pending events, with
    // the number of that yield: lets a test act in the middle of a handler.
    std::function<void(int)> duringYield;
    // Runs inside every yes/no question and conflict window, before it is answered.
    std::function<void()> duringQuestion;
    int yields = 0;

    QStringList offered; // every input box's initial text, in order
    QString inputBox(const QString& prompt, const QString& title, const QString& initial = QString()) override;
    QString nameQuestion(const QString& text, const QString& title, const QString& initial) override
    {
        return inputBox(text, title, initial);
    }
    void messageBox(const QString& text, const QString& title) override;
    QStringList savedFiles; // what the file dialogs answer, from the front; cancelled once used up
    QStringList suggestedFiles; // every file dialog's suggestion, in order
    QString saveFileBox(const QString& title, const QString& suggested, const QString& filter) override;
    bool askYesNo(const QString& text, const QString& title) override;
    bool askYesNoDefaultYes(const QString& text, const QString& title) override;
    void setBusy(bool busy) override;
    bool processEvents() override;
    void flushEvents() override { processEvents(); }
    void quit() override { ++quits; }
    // A PDF printer writing to pdfPath, or no printer while it is empty.
    QString pdfPath;
    std::unique_ptr<QPrinter> defaultPrinter() override;
    // Every page a print job reported, as (page, pages); "Отмена" at the
    // page cancelAtPage when set.
    std::vector<std::pair<int, int>> printedPages;
    QString progressWhat; // what the last progress said it was: "Печать", "Сохранение в PDF"
    int cancelAtPage = 0;
    bool printProgress(int page, int pages, const QString& what) override;
    void printEnded() override { }
    // Every conflict window, as shown, each answered with every row their
    // way (true) or mine (false), or «Отмена» (nothing), as conflictReply says.
    struct Conflicts {
        QString intro;
        std::vector<Conflict> rows;
    };
    std::vector<Conflicts> conflictWindows;
    std::optional<bool> conflictReply;
    std::optional<std::vector<bool>> chooseVersions(const QString& intro, const std::vector<Conflict>& rows) override
    {
        conflictWindows.push_back({intro, rows});
        if (duringQuestion)
            duringQuestion();
        return conflictReply ? std::optional(std::vector<bool>(rows.size(), *conflictReply)) : std::nullopt;
    }
};
