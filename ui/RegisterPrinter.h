#pragma once

#include "print/PrintLayout.h"

#include <functional>

class FlexGrid;
class QPrinter;

// The print back end: readies a printer's page and plays the printed
// register onto it.
namespace RegisterPrinter {

// Landscape is selected, then the printable area measured (in twips), then
// A4 selected, in that order: the layout's units come from the paper the
// printer had before A4 was chosen.
PrintPage preparePage(QPrinter& printer);

enum class Outcome {
    Printed,
    NotStarted, // the printer did not begin the job
    NotHandedOver, // the job failed when it was ended and handed over
    Cancelled, // the user stopped it: nothing was sent to the printer
};

// Told of every page before it is drawn, with the number of pages, and
// once more, as page pages + 1, before a drawn job is handed over; answering
// false cancels it.
using Progress = std::function<bool(int page, int pages)>;

// Prints the grid; answers what Qt reported of the job. On a CUPS queue the
// job is drawn into a temporary PDF with the queue's page and resolution,
// and handed to the queue only once whole (see CupsJob).
Outcome print(
    FlexGrid& grid, QPrinter& printer, const PrintHeading& heading, const Progress& progress = {});

// The grid laid out as printed into a PDF file at path: on the page of the
// printer like when one is given (its paper, margins and resolution, as a
// job for it would be; it is prepared as for printing), otherwise on A4
// with Qt's margins.
Outcome toPdf(FlexGrid& grid, const QString& path, QPrinter* like, const PrintHeading& heading,
    const Progress& progress = {});

// Walks the grid as printing does, printing nothing: the current cell ends
// where a print leaves it.
void walkOnly(FlexGrid& grid, const PrintHeading& heading);

} // namespace RegisterPrinter
