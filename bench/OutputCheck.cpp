#include "OutputCheck.h"

#include "BenchWindow.h"
#include "RegisterGenerator.h"
#include "ui/RegisterPrinter.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <cstdio>

namespace {

constexpr int entries = 32766;
constexpr int ownerColumn = 6;
constexpr int kkmNumberColumn = 5;

QString digestOf(QByteArray bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString savedRegister(BenchWindow& window)
{
    window.press("CmdSave");
    return digestOf(readAll(QDir(window.folder()).filePath(QStringLiteral("thisyear.csv"))));
}

QString printedPages(BenchWindow& window, const QString& path)
{
    FlexGrid& grid = window.window().grid();
    grid.setRows(1001);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    RegisterPrinter::print(grid, printer, {QStringLiteral("07.12.2026"), QStringLiteral("12:00:00")});
    // Qt's PDF writer orders its objects differently from run to run, so the
    // pages are compared as printed: rendered to grey pixels by pdftoppm.
    QProcess render;
    render.start(
        QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-gray"), path});
    if (!render.waitForFinished(120000) || render.exitCode() != 0)
        return QStringLiteral("(pdftoppm from poppler-utils could not render the PDF)");
    return digestOf(render.readAllStandardOutput());
}

} // namespace

namespace OutputCheck {

QString digests(const QString& workFolder)
{
    const QString registerFile = QDir(workFolder).filePath(QStringLiteral("check.csv"));
    if (!writeRegister(registerFile, entries))
        qFatal("cannot write the register");
    QStringList lines;
    {
        BenchWindow window(registerFile);
        lines << QStringLiteral("open-save ") + savedRegister(window);
        window.saveAs(QStringLiteral("check"));
        lines << QStringLiteral("save-as ") +
                     digestOf(readAll(QDir(window.folder()).filePath(QStringLiteral("Archive/CHECK.csv"))));
        window.releaseOverHeader(ownerColumn);
        lines << QStringLiteral("sort-text-save ") + savedRegister(window);
        window.releaseOverHeader(kkmNumberColumn);
        lines << QStringLiteral("sort-numeric-save ") + savedRegister(window);
    }
    BenchWindow window(registerFile);
    lines << QStringLiteral("print-1000 ") +
                 printedPages(window, QDir(workFolder).filePath(QStringLiteral("check.pdf")));
    return lines.join(u'\n');
}

bool compare(const QString& digestLines, const QString& expectedFile)
{
    const QStringList expected = QString::fromLatin1(readAll(expectedFile)).split(u'\n', Qt::SkipEmptyParts);
    const QStringList actual = digestLines.split(u'\n', Qt::SkipEmptyParts);
    int passed = 0;
    int failed = 0;
    for (const QString& line : actual) {
        const bool same = expected.contains(line);
        std::printf("%s %s\n", same ? "same   " : "CHANGED", qPrintable(line));
        ++(same ? passed : failed);
    }
    if (actual.size() != expected.size())
        ++failed;
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0;
}

} // namespace OutputCheck
