#pragma once

#include <QDate>
#include <QStringView>

// Where a unit stands against its blocking date, on a given day: blocked
// (the date is that day or earlier), blocking within the next 30 days, or
// neither. A text that is not a date is neither.
struct BlockingStatus {
    enum class State { None, Blocked, Soon };
    static constexpr int soonDays = 30;

    State state = State::None;
    int days = 0; // since blocking (Blocked) or until it (Soon)

    static BlockingStatus of(QStringView blockingDate, QDate today);
};
