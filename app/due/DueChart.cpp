#include "app/due/DueChart.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QLocale>
#include <QStackedBarSeries>
#include <QValueAxis>
#include <algorithm>

DueChart::DueChart(QWidget* parent)
    : QChartView(parent)
{
    chart()->legend()->setAlignment(Qt::AlignBottom);
    chart()->setMargins(QMargins(4, 4, 4, 4));
    setRenderHint(QPainter::Antialiasing);
    setMinimumHeight(180);
    setFocusPolicy(Qt::NoFocus); // the month box beside it does the same from the keyboard
    setAccessibleName(QStringLiteral("ЭКЛЗ по месяцам блокировки"));
}

void DueChart::setMonths(const std::vector<QDate>& months, const std::vector<int>& counts, int current)
{
    QChart* c = chart();
    c->removeAllSeries();
    for (QAbstractAxis* axis : c->axes()) {
        c->removeAxis(axis); // handed back to us
        delete axis;
    }
    auto* others = new QBarSet(QStringLiteral("Блокируются в месяце"));
    auto* thisMonth = new QBarSet(QStringLiteral("Текущий месяц"));
    QStringList names;
    const QLocale russian(QLocale::Russian);
    for (size_t i = 0; i < months.size(); ++i) {
        const bool isCurrent = int(i) == current;
        *others << (isCurrent ? 0 : counts[i]);
        *thisMonth << (isCurrent ? counts[i] : 0);
        names << russian.toString(months[i], QStringLiteral("MMM yy"));
    }
    thisMonth->setColor(palette().color(QPalette::Highlight));
    auto* series = new QStackedBarSeries;
    series->append(others);
    series->append(thisMonth);
    series->setBarWidth(0.8);
    c->addSeries(series);
    auto* categories = new QBarCategoryAxis;
    categories->append(names);
    c->addAxis(categories, Qt::AlignBottom);
    series->attachAxis(categories);
    auto* values = new QValueAxis;
    const int most = counts.empty() ? 0 : *std::max_element(counts.begin(), counts.end());
    values->setRange(0, std::max(most, 4));
    values->applyNiceNumbers();
    values->setLabelFormat(QStringLiteral("%d"));
    c->addAxis(values, Qt::AlignLeft);
    series->attachAxis(values);
    connect(series, &QStackedBarSeries::clicked, this, [this](int index, QBarSet*) { emit monthClicked(index); });
}
