#include "runtime/date_time.h"

#include "platform/clock.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <ctime>

namespace runtime {
namespace {

constexpr std::int64_t secondsPerDay = 86400;
constexpr std::int64_t epochDay = 25569; // 1970-01-01 counted from 1899-12-30

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t daysFromCivil(std::int64_t y, int m, int d)
{
    y -= m <= 2;
    std::int64_t era = floorDiv(y, 400);
    std::int64_t yearOfEra = y - era * 400;
    std::int64_t dayOfYear = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

CivilTime civilFromDays(std::int64_t z)
{
    z += 719468;
    std::int64_t era = floorDiv(z, 146097);
    std::int64_t dayOfEra = z - era * 146097;
    std::int64_t yearOfEra
        = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    std::int64_t mp = (5 * dayOfYear + 2) / 153;
    CivilTime civil;
    civil.day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    civil.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    civil.year = static_cast<int>(yearOfEra + era * 400 + (civil.month <= 2));
    return civil;
}

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static constexpr std::array<int, 12> lengths { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    return month == 2 && isLeapYear(year) ? 29 : lengths[month - 1];
}

// Whole days keep their sign; the time of day is added away from zero.
DateTime compose(std::int64_t serialDay, double dayFraction)
{
    double day = static_cast<double>(serialDay);
    return DateTime { serialDay >= 0 ? day + dayFraction : day - dayFraction };
}

// Seconds on a straight time line from 1899-12-30, rounded to whole seconds.
std::int64_t linearSeconds(DateTime value)
{
    double day = std::trunc(value.days);
    double fraction = std::fabs(value.days - day);
    return static_cast<std::int64_t>(day) * secondsPerDay + std::llround(fraction * secondsPerDay);
}

double linearDays(DateTime value)
{
    double day = std::trunc(value.days);
    return day + std::fabs(value.days - day);
}

// Truncation toward zero that forgives the last bits of a double: a difference of
// exactly one hour must not come out as 0 because it was stored as 0.99999999 hours.
double wholeUnits(double amount)
{
    constexpr double correction = 5.787037037037037e-6;
    return amount >= 0 ? std::trunc(amount + correction) : -std::trunc(-amount + correction);
}

} // namespace

std::optional<DateTime> makeDateTime(const CivilTime& c)
{
    if (c.year < 100 || c.year > 9999 || c.month < 1 || c.month > 12 || c.day < 1
        || c.day > daysInMonth(c.year, c.month) || c.hour < 0 || c.hour > 23 || c.minute < 0
        || c.minute > 59 || c.second < 0 || c.second > 59) {
        return std::nullopt;
    }
    std::int64_t serialDay = daysFromCivil(c.year, c.month, c.day) + epochDay;
    double seconds = c.hour * 3600.0 + c.minute * 60.0 + c.second;
    return compose(serialDay, seconds / secondsPerDay);
}

CivilTime civilTime(DateTime value)
{
    std::int64_t seconds = linearSeconds(value);
    std::int64_t serialDay = floorDiv(seconds, secondsPerDay);
    std::int64_t secondOfDay = seconds - serialDay * secondsPerDay;
    CivilTime civil = civilFromDays(serialDay - epochDay);
    civil.hour = static_cast<int>(secondOfDay / 3600);
    civil.minute = static_cast<int>(secondOfDay / 60 % 60);
    civil.second = static_cast<int>(secondOfDay % 60);
    return civil;
}

DateTime datePart(DateTime value)
{
    return compose(floorDiv(linearSeconds(value), secondsPerDay), 0);
}

DateTime currentTime(const platform::Clock& clock)
{
    std::int64_t millis = clock.wallMillis();
    std::time_t seconds = static_cast<std::time_t>(floorDiv(millis, 1000));
    std::tm local {};
    if (!localtime_r(&seconds, &local)) {
        return DateTime::invalid();
    }
    std::int64_t serialDay
        = daysFromCivil(local.tm_year + 1900LL, local.tm_mon + 1, local.tm_mday) + epochDay;
    double secondOfDay = local.tm_hour * 3600.0 + local.tm_min * 60.0 + std::min(local.tm_sec, 59);
    return compose(serialDay, secondOfDay / secondsPerDay);
}

double timeInterval(DateTime first, DateTime second, int unitNumber)
{
    auto unit = static_cast<IntervalUnit>(unitNumber > 8 ? 8 : (unitNumber <= 0 ? 1 : unitNumber));
    double days = linearDays(first) - linearDays(second);
    CivilTime a = civilTime(first);
    CivilTime b = civilTime(second);
    switch (unit) {
    case IntervalUnit::Years:
        return a.year - b.year;
    case IntervalUnit::Quarters:
        return (a.year * 4 + (a.month - 1) / 3) - (b.year * 4 + (b.month - 1) / 3);
    case IntervalUnit::Months:
        return (a.year * 12 + a.month) - (b.year * 12 + b.month);
    case IntervalUnit::Weeks:
        return wholeUnits(days / 7);
    case IntervalUnit::Days:
        return days;
    case IntervalUnit::Hours:
        return wholeUnits(days * 24);
    case IntervalUnit::Minutes:
        return wholeUnits(days * 1440);
    case IntervalUnit::Seconds:
        break;
    }
    return wholeUnits(days * secondsPerDay);
}

namespace {

// Reads the text field by field; every read step consumes what it recognised.
class DateTimeReader {
public:
    explicit DateTimeReader(std::string_view text)
        : rest_(text)
    {
    }

    int number(int maxDigits)
    {
        int value = 0;
        for (int i = 0; i < maxDigits && !rest_.empty() && rest_[0] >= '0' && rest_[0] <= '9';
             ++i) {
            value = value * 10 + (rest_[0] - '0');
            rest_.remove_prefix(1);
        }
        return value;
    }

    void separator(std::initializer_list<std::string_view> accepted)
    {
        for (std::string_view candidate : accepted) {
            if (rest_.starts_with(candidate)) {
                rest_.remove_prefix(candidate.size());
                return;
            }
        }
    }

    bool finished() const { return rest_.empty() || rest_.starts_with("秒"); }

private:
    std::string_view rest_;
};

} // namespace

std::optional<DateTime> parseDateTime(std::string_view text)
{
    DateTimeReader reader(text);
    CivilTime civil;
    civil.year = reader.number(4);
    reader.separator({ "-", ".", "/", ":", "年" });
    civil.month = reader.number(2);
    reader.separator({ "-", ".", "/", ":", "月" });
    civil.day = reader.number(2);
    reader.separator({ " ", "-", ".", "/", ":", "日" });
    civil.hour = reader.number(2);
    reader.separator({ "-", ".", "/", ":", "时" });
    civil.minute = reader.number(2);
    reader.separator({ "-", ".", "/", ":", "分" });
    civil.second = reader.number(2);
    if (!reader.finished()) {
        return std::nullopt;
    }
    return makeDateTime(civil);
}

} // namespace runtime
