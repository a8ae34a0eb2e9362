#pragma once

#include <QDate>

class Desktop;
class FlexGrid;
class GridModel;
class RegisterDocument;

// «Начать новый год…»: the register, as the grid holds it, saved into
// Archive under the year of its newest activation date (or this year; the
// name can be changed), then thisyear.csv saved empty, the old one kept in
// Backup as every save keeps it, and shown. Nothing is lost when either
// save fails: the user is told which file holds what.
class NewYear {
public:
    NewYear(FlexGrid& grid, Desktop& desktop, RegisterDocument& document);

    bool run();
    void setToday(QDate today) { today_ = today; }

    // The year of the newest activation date in model, or today's.
    static int yearOf(const GridModel& model, QDate today);

private:
    FlexGrid& grid_;
    Desktop& desktop_;
    RegisterDocument& document_;
    QDate today_;
};
