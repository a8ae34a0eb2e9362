#pragma once

#include <QDate>
#include <QString>

class QTextStream;

// `palomet --due [DAYS]`: the units blocked in the last DAYS days or
// blocking in the next DAYS, across thisyear.csv and every archive of a
// folder, as tab-separated lines under a header line, soonest first, with
// no display. What cannot be read is said on err; the list of what could
// be read is written all the same.
namespace DueReport {

constexpr int defaultDays = 30;

// Answers the exit status: 0; 1 when a file could not be read; 2 when the
// folder is missing or holds neither the register nor Archive.
int write(const QString& folder, int days, QDate today, QTextStream& out, QTextStream& err);

// The list's header line, and the captions of the entry's seven cells.
QString headerLine();
QStringList captions();

} // namespace DueReport
