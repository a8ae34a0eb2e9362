#pragma once

#include <QString>

// Hands a finished PDF to a CUPS queue, with the options Qt's own CUPS back
// end gives a job (the paper, one-sided, landscape). Qt's back end cannot
// cancel a job it has begun: ending the painter always sends what was drawn,
// and its abort() does nothing. So a job that the user may cancel is drawn
// into a file first and handed over here only once it is whole.
namespace CupsJob {

// Answers whether CUPS took the job.
bool submit(const QString& printer, const QString& pdfPath, const QString& title, const QString& media, bool landscape);

} // namespace CupsJob
