#pragma once
// The runtime's date-time: days counted from 1899-12-30 00:00, the fraction being the time
// of day. Before that day the whole days count down while the fraction still counts up
// from midnight (-1.25 is 1899-12-29 06:00), the layout stored in data files.

#include <cstdint>
#include <optional>
#include <string_view>

namespace platform {
class Clock;
}

namespace runtime {

struct DateTime {
    double days = 0;

    // 1 January of the year 100, the earliest date; also stands for "not a date".
    static constexpr double invalidDays = -657434;
    static DateTime invalid() { return DateTime { invalidDays }; }

    friend bool operator==(DateTime, DateTime) = default;
};

struct CivilTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The date-time of a valid civil date and time, or nothing (year 100…9999, real day of
// month, hour 0…23, minute and second 0…59).
[[nodiscard]] std::optional<DateTime> makeDateTime(const CivilTime& civil);
// Civil fields, rounded to the nearest second.
CivilTime civilTime(DateTime value);

// The same day at 00:00:00.
DateTime datePart(DateTime value);

// Local date and time now to the whole second, read from the clock's wall time, so a
// virtual clock sets it.
DateTime currentTime(const platform::Clock& clock);

enum class IntervalUnit { Years = 1, Quarters, Months, Weeks, Days, Hours, Minutes, Seconds };

// first − second in the unit; unit numbers above 8 count as seconds, at or below 0 as years.
// Years, quarters and months count calendar boundaries; weeks are whole weeks; days keep
// their fraction; hours, minutes and seconds are whole units, truncated toward zero after
// a correction of a few microseconds for the rounding of the stored doubles.
[[nodiscard]] double timeInterval(DateTime first, DateTime second, int unit);

// Six numbers with their separators ("2013年9月5日23时59分00秒", "2013-9-5 23:59:00");
// nothing when the text does not follow that form or names no valid date and time.
[[nodiscard]] std::optional<DateTime> parseDateTime(std::string_view text);

} // namespace runtime
