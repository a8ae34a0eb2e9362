#pragma once

#include "ui/RegisterPrinter.h"

#include <QString>
#include <QStringList>
#include <vector>

class QPrinter;

// A list printed as a ruled landscape table: a title and a line under it
// on page 1, the column titles on every page, and «стр. N из M» at the foot.
// Columns take the width their texts need, narrowed alike when the page
// is too narrow; a text too long for its column ends in "…".
namespace TablePrinter {

struct Table {
    QString title;
    QString subtitle;
    QStringList headers;
    std::vector<QStringList> rows;
};

// On the printer as it is set up (landscape is selected).
RegisterPrinter::Outcome print(QPrinter& printer, const Table& table, const RegisterPrinter::Progress& progress = {});

// Into a PDF file at path, on the page of the printer like when one is
// given, otherwise on A4.
RegisterPrinter::Outcome toPdf(
    const QString& path, QPrinter* like, const Table& table, const RegisterPrinter::Progress& progress = {});

} // namespace TablePrinter
