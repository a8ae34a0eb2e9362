#pragma once

#include <QChartView>
#include <QDate>
#include <vector>

// The picture of the months around this one: a bar for each month, as
// many units as block in it, this month's bar set apart in a colour of its
// own. A click on a bar chooses its month.
class DueChart : public QChartView {
    Q_OBJECT
public:
    explicit DueChart(QWidget* parent = nullptr);

    // months: each month's first day; counts: the units blocking in each;
    // current: this month's place among them.
    void setMonths(const std::vector<QDate>& months, const std::vector<int>& counts, int current);

signals:
    void monthClicked(int index);
};
