#pragma once

#include "ui/RegisterPrinter.h"

#include <QString>
#include <functional>

class Desktop;
class FlexGrid;
class QPrinter;
class ShownEntries;

// «Сохранить в PDF…»: the entries shown, laid out exactly as printed, into a
// file chosen in Qt's own dialog (offering «Журнал ЭКЛЗ ДД.ММ.ГГГГ.pdf» in
// the user's documents folder, or home where there is none), headed with
// what is shown when it is not the whole register, with a progress of its
// own and «Отмена».
// The file is written under a temporary name beside the one chosen and takes
// its place only once whole, so a cancelled or failed export leaves no file
// and replaces none.
class PdfExport {
public:
    PdfExport(FlexGrid& grid, Desktop& desktop, const ShownEntries& shown);

    void run();

    // Any PDF the program writes, offered as fileName in the same folder,
    // staged and replaced the same way: write lays it out at path, on the
    // page of the printer like when there is one.
    using Writer = std::function<RegisterPrinter::Outcome(
        const QString& path, QPrinter* like, const RegisterPrinter::Progress& progress)>;
    static void save(Desktop& desktop, const QString& fileName, const Writer& write);

private:
    FlexGrid& grid_;
    Desktop& desktop_;
    const ShownEntries& shown_;
};
