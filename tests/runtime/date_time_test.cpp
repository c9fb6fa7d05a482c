#include "runtime/conversions.h"
#include "runtime/date_time.h"

#include <gtest/gtest.h>

namespace runtime {
namespace {

DateTime at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return makeDateTime({ year, month, day, hour, minute, second }).value();
}

TEST(DateTime, SerialNumbersFollowTheStoredLayout)
{
    EXPECT_EQ(at(1899, 12, 30).days, 0);
    EXPECT_EQ(at(1900, 1, 1).days, 2);
    EXPECT_EQ(at(100, 1, 1).days, DateTime::invalidDays);
    EXPECT_EQ(at(2013, 9, 5, 12).days, 41522.5);
    // Before the base day the fraction still counts forward from midnight.
    EXPECT_EQ(at(1899, 12, 29, 6).days, -1.25);
    CivilTime civil = civilTime(DateTime { -1.25 });
    EXPECT_EQ(civil.day, 29);
    EXPECT_EQ(civil.hour, 6);
    EXPECT_EQ(datePart(DateTime { -1.25 }).days, -1);
    EXPECT_EQ(datePart(at(2013, 9, 5, 23, 59, 59)), at(2013, 9, 5));
}

TEST(DateTime, ParsesBothSeparatorStylesToTheSameValue)
{
    DateTime expected = at(2013, 9, 5, 23, 59, 0);
    EXPECT_EQ(parseDateTime("2013年9月5日23时59分00秒"), expected);
    EXPECT_EQ(parseDateTime("2013-9-5 23:59:00"), expected);
    EXPECT_EQ(parseDateTime("2013/09/05 23.59"), expected);
    EXPECT_EQ(parseDateTime("2013年9月5日"), at(2013, 9, 5));
    EXPECT_EQ(parseDateTime("2013年9月5日23时59分00秒后面不管"), expected);
}

TEST(DateTime, RejectsTextsThatNameNoValidMoment)
{
    for (const char* text : { "2013年2月30日", "2100-2-29", "2013-13-1", "2013-9-5 24:00",
             "2013-9-5 23:60", "99-1-1", "", "abc", "2013-9-5 23:59:00x", "2013年9月5日 23时" }) {
        EXPECT_FALSE(parseDateTime(text)) << text;
        EXPECT_EQ(toDateTime(Value(text)), DateTime::invalid()) << text;
    }
    EXPECT_TRUE(parseDateTime("2000-2-29"));
    EXPECT_TRUE(parseDateTime("2012-2-29"));
    EXPECT_EQ(toDateTime(Value(5)), DateTime::invalid());
}

TEST(DateTime, TextShowsTheTimeOnlyAsFarAsItIsNotZero)
{
    EXPECT_EQ(dateTimeText(at(2013, 9, 5)), "2013年9月5日");
    EXPECT_EQ(dateTimeText(at(2013, 9, 5, 23)), "2013年9月5日23时");
    EXPECT_EQ(dateTimeText(at(2013, 9, 5, 0, 5)), "2013年9月5日0时5分");
    EXPECT_EQ(dateTimeText(at(2013, 9, 5, 7, 0, 1)), "2013年9月5日7时0分1秒");
    EXPECT_EQ(dateTimeText(DateTime::invalid()), "100年1月1日");
    // The scheduled-opening text goes through text and back unchanged.
    DateTime opening = *parseDateTime(dateTimeText(at(2013, 9, 5)) + "23时59分00秒");
    EXPECT_EQ(opening, at(2013, 9, 5, 23, 59));
}

TEST(TimeInterval, WholeUnitsSurviveTheRoundingOfStoredDoubles)
{
    // 10:00 − 09:00 is stored as a difference a hair short of one hour.
    DateTime nine = at(2013, 9, 5, 9);
    DateTime ten = at(2013, 9, 5, 10);
    ASSERT_LT((ten.days - nine.days) * 24, 1.0);
    EXPECT_EQ(timeInterval(ten, nine, 6), 1);
    EXPECT_EQ(timeInterval(ten, nine, 7), 60);
    EXPECT_EQ(timeInterval(ten, nine, 8), 3600);
    EXPECT_EQ(timeInterval(nine, ten, 6), -1);
    EXPECT_EQ(timeInterval(nine, ten, 8), -3600);
    EXPECT_EQ(timeInterval(ten, ten, 8), 0);
}

TEST(TimeInterval, TruncatesTowardZero)
{
    DateTime start = at(2013, 9, 5, 9);
    DateTime almostThree = at(2013, 9, 5, 9, 2, 59);
    EXPECT_EQ(timeInterval(almostThree, start, 7), 2);
    EXPECT_EQ(timeInterval(start, almostThree, 7), -2);
    EXPECT_EQ(timeInterval(at(2013, 9, 19, 8), start, 4), 1);
    EXPECT_DOUBLE_EQ(timeInterval(at(2013, 9, 6, 21), start, 5), 1.5);
}

TEST(TimeInterval, CalendarUnitsCountBoundaries)
{
    DateTime newYearsEve = at(2012, 12, 31, 23, 59, 59);
    DateTime newYear = at(2013, 1, 1);
    EXPECT_EQ(timeInterval(newYear, newYearsEve, 1), 1);
    EXPECT_EQ(timeInterval(newYear, newYearsEve, 2), 1);
    EXPECT_EQ(timeInterval(newYear, newYearsEve, 3), 1);
    EXPECT_EQ(timeInterval(at(2013, 3, 31), newYear, 2), 0);
    EXPECT_EQ(timeInterval(at(2013, 4, 1), newYear, 2), 1);
    // Out-of-range unit numbers: above 8 is seconds, 0 and below is years.
    EXPECT_EQ(timeInterval(newYear, newYearsEve, 9), 1);
    EXPECT_EQ(timeInterval(newYear, newYearsEve, 0), 1);
    EXPECT_EQ(timeInterval(newYear, newYearsEve, -3), 1);
}

} // namespace
} // namespace runtime
