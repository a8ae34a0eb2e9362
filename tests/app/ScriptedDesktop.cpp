#include "ScriptedDesktop.h"

QString ScriptedDesktop::inputBox(const QString& prompt, const QString& title)
{
    prompts.append(prompt);
    Q_UNUSED(title);
    return answers.isEmpty() ? QString() : answers.takeFirst();
}

void ScriptedDesktop::messageBox(const QString& text, const QString& title)
{
    messages.push_back({text, title});
}

void ScriptedDesktop::setBusy(bool busy)
{
    busyChanges.push_back(busy);
}

void ScriptedDesktop::processEvents()
{
    if (duringYield) {
        // Only once per assignment, like a queued event.
        auto action = std::move(duringYield);
        duringYield = nullptr;
        action();
    }
    QCoreApplication::processEvents();
}
