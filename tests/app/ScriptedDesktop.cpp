#include "ScriptedDesktop.h"

#include <QPrinter>

QString ScriptedDesktop::inputBox(const QString& prompt, const QString& title, const QString& initial)
{
    prompts.append(prompt);
    offered.append(initial);
    Q_UNUSED(title);
    return answers.isEmpty() ? QString() : answers.takeFirst();
}

QString ScriptedDesktop::saveFileBox(const QString&, const QString& suggested, const QString&)
{
    suggestedFiles.append(suggested);
    return savedFiles.isEmpty() ? QString() : savedFiles.takeFirst();
}

void ScriptedDesktop::messageBox(const QString& text, const QString& title)
{
    messages.push_back({text, title, busyDepth});
}

bool ScriptedDesktop::askYesNoDefaultYes(const QString& text, const QString& title)
{
    const bool reply = askYesNo(text, title);
    questions.back().yesIsDefault = true;
    return reply;
}

bool ScriptedDesktop::askYesNo(const QString& text, const QString& title)
{
    questions.push_back({text, title, busyDepth});
    if (duringQuestion)
        duringQuestion();
    if (replies.empty())
        return false;
    const bool reply = replies.front();
    replies.erase(replies.begin());
    return reply;
}

void ScriptedDesktop::setBusy(bool busy)
{
    busyChanges.push_back(busy);
    busyDepth += busy ? 1 : -1;
}

bool ScriptedDesktop::processEvents()
{
    ++yields;
    if (duringYield)
        duringYield(yields);
    QCoreApplication::processEvents();
    return true;
}

bool ScriptedDesktop::printProgress(int page, int pages, const QString& what)
{
    printedPages.emplace_back(page, pages);
    progressWhat = what;
    return page != cancelAtPage;
}

std::unique_ptr<QPrinter> ScriptedDesktop::defaultPrinter()
{
    if (pdfPath.isEmpty())
        return nullptr;
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(pdfPath);
    return printer;
}
