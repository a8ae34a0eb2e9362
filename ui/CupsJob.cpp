#include "ui/CupsJob.h"

#include <QFile>
#include <cups/cups.h>
#include <vector>

namespace CupsJob {

bool submit(const QString& printer, const QString& pdfPath, const QString& title, const QString& media, bool landscape)
{
    const QByteArray mediaValue = media.toLocal8Bit();
    std::vector<cups_option_t> options;
    options.push_back({const_cast<char*>("media"), const_cast<char*>(mediaValue.constData())});
    options.push_back({const_cast<char*>("sides"), const_cast<char*>("one-sided")});
    if (landscape)
        options.push_back({const_cast<char*>("landscape"), const_cast<char*>("")});
    // A queue's instance ("name/instance") is printed on its queue.
    const QByteArray queue = printer.section(u'/', 0, 0).toLocal8Bit();
    const int job = cupsPrintFile(queue.constData(), QFile::encodeName(pdfPath).constData(),
        title.toLocal8Bit().constData(), int(options.size()), options.data());
    return job > 0;
}

} // namespace CupsJob
