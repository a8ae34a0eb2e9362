#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// pdfinfo and pdftotext (poppler-utils) read back what was printed.
namespace PdfTools {

inline QString run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline QString info(const QString& pdf)
{
    return run(QStringLiteral("pdfinfo"), {pdf});
}

inline QString text(const QString& pdf)
{
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
}

} // namespace PdfTools
