#pragma once

#include "app/desktop/QtDesktop.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <cstdio>

// The real desktop layer for helper programs that run unattended: a message
// box is written to standard error instead of waiting for a click.
class ConsoleDesktop : public QtDesktop {
public:
    int messages = 0;
    QString answer; // what every input box answers

    void messageBox(const QString& text, const QString&) override
    {
        ++messages;
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    // Unattended, nothing is replaced that the program would ask about.
    bool askYesNo(const QString& text, const QString& title) override
    {
        messageBox(text, title);
        return false;
    }
    QString inputBox(const QString&, const QString&, const QString& = QString()) override { return answer; }
    // Says "page N" on standard output as each page is reported, and
    // "handed MS" (ms since the epoch) when the job goes to the printer.
    bool reportPages = false;
    // The job stays at this page, up to 5 s, until "Отмена" is answered, so
    // that a click aimed at a page lands there however fast pages are drawn.
    int holdAtPage = 0;
    bool printProgress(int page, int pages, const QString& what) override
    {
        if (reportPages)
            std::printf("page %d\n", page);
        std::fflush(stdout);
        bool goesOn = QtDesktop::printProgress(page, pages, what);
        QElapsedTimer held;
        held.start();
        while (goesOn && page == holdAtPage && held.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
            goesOn = QtDesktop::printProgress(page, pages, what);
        }
        if (reportPages && goesOn && page > pages)
            std::printf("handed %lld\n", QDateTime::currentMSecsSinceEpoch());
        std::fflush(stdout);
        return goesOn;
    }
};
