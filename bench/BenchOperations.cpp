#include "BenchOperations.h"

#include "RegisterGenerator.h"
#include "app/Fonts.h"
#include "app/FrmEKLZ.h"
#include "app/QtDesktop.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>

namespace {

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The real desktop, but printing to a PDF file in place of the default
// printer, and with an input box that answers without a person.
class BenchDesktop : public QtDesktop
{
public:
    QString pdfPath;
    QString answer;
    QString inputBox(const QString&, const QString&) override { return answer; }
    std::unique_ptr<QPrinter> defaultPrinter() override
    {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdfPath);
        return printer;
    }
};

// The program folder of one measurement, with its register written and opened.
struct Setup
{
    QTemporaryDir folder;
    BenchDesktop desktop;
    FrmEKLZ window;

    explicit Setup(int entries)
        : window(desktop, folder.path())
    {
        QFile file(folder.filePath(QStringLiteral("thisyear.csv")));
        const QByteArray bytes = generateRegister(entries);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write the register");
        desktop.pdfPath = folder.filePath(QStringLiteral("register.pdf"));
        desktop.setMainWindow(&window);
        window.show();
        QCoreApplication::processEvents();
        press("CmdZagruz");
    }

    void press(const char* name)
    {
        window.findChild<QPushButton*>(QLatin1String(name))->click();
    }

    // A click on a cell, as the grid widget reports it: press, release, click.
    void clickCell(int row, int col)
    {
        window.grid().userPress(row, col);
        window.grid().userRelease(row, col);
    }

    // A mouse release over a column's caption, as the grid widget reports it.
    void releaseOverHeader(int col)
    {
        window.grid().userPress(0, col);
        window.grid().userRelease(0, col);
    }

    // "Поиск" for the serial number of the last entry, with the first column
    // selected; the input box answers at once.
    void searchLastRow()
    {
        FlexGrid& grid = window.grid();
        grid.setRow(1);
        grid.setCol(0);
        desktop.answer = grid.TextMatrix(grid.Rows() - 1, 0);
        press("CmdSearh");
    }
};

using Operation = std::function<void(Setup&)>;

Operation operationNamed(const QString& name)
{
    if (name == QLatin1String("open"))
        return [](Setup& setup) { setup.press("CmdZagruz"); };
    if (name == QLatin1String("save"))
        return [](Setup& setup) { setup.press("CmdSave"); };
    if (name == QLatin1String("print"))
        return [](Setup& setup) { setup.press("CmdPrint"); };
    if (name == QLatin1String("click"))
        return [](Setup& setup) { setup.clickCell(2, 6); };
    if (name == QLatin1String("sort-text"))
        return [](Setup& setup) { setup.releaseOverHeader(6); };
    if (name == QLatin1String("sort-number"))
        return [](Setup& setup) { setup.releaseOverHeader(5); };
    if (name == QLatin1String("search-last"))
        return [](Setup& setup) { setup.searchLastRow(); };
    return {};
}

} // namespace

QList<BenchRow> benchRows()
{
    return {{QStringLiteral("open"), 32766},  {QStringLiteral("open"), 1000000},
            {QStringLiteral("save"), 32766},  {QStringLiteral("save"), 1000000},
            {QStringLiteral("print"), 32766},
            {QStringLiteral("sort-text"), 32766}, {QStringLiteral("sort-text"), 1000000},
            {QStringLiteral("sort-number"), 32766}, {QStringLiteral("sort-number"), 1000000},
            {QStringLiteral("search-last"), 32766}, {QStringLiteral("search-last"), 1000000}};
}

int runOperation(const QString& operation, int entries, int runs, int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installFontSubstitutions();
    const Operation run = operationNamed(operation);
    if (!run)
        return 2;

    Setup setup(entries);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        run(setup);
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        QCoreApplication::processEvents();
    }
    std::sort(times.begin(), times.end());
    std::printf("%-28s %10d %10.1f %10.1f %10.1f %10.1f\n", qPrintable(operation), entries,
                times[times.size() / 2], times.front(), times.back(), peakMegabytes());
    return 0;
}
