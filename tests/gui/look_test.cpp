// What the operator reads off the windows: a caption that just fits its label is drawn whole,
// a disabled input box looks disabled, and the calendar marks today in local time, also once
// midnight has passed while the program runs.

#include "gui_fixture.h"

#include "runtime/date_time.h"
#include "ui/unit_properties.h"

#include <QCalendarWidget>
#include <QLineEdit>

#include <cstdlib>
#include <ctime>

namespace gui::test {
namespace {

constexpr WindowId lookWindow = 0x52010120;
constexpr ComponentId ownItem = 0x06010121, showLabel = 0x16010122, secondsBox = 0x16010123,
                      calendar = 0x16010124, nameLabel = 0x16010125;

WindowTemplate lookWindowTemplate(const char* caption)
{
    Font song;
    song.face = "宋体";
    song.height = 19;
    auto label = withValues(component(showLabel, unit::label, { 10, 10, 94, 24 }),
        { { prop::label::caption, Text(caption) }, { prop::label::font, song },
            { prop::label::textColour, rgb(0, 96, 192) },
            { prop::label::backColour, rgb(255, 255, 255) } });
    // The show's name in its box, overlapping the caption's last cell as in the main window.
    auto name = withValues(component(nameLabel, unit::label, { 10 + 84, 10, 226, 24 }),
        { { prop::label::borderStyle, 5 }, { prop::label::backColour, rgb(255, 255, 255) } });
    auto box = withValues(component(secondsBox, unit::editBox, { 10, 50, 48, 24 }),
        { { prop::editBox::backColour, rgb(255, 255, 255) } });
    auto month = component(calendar, unit::monthCalendar, { 10, 90, 312, 167 });
    return window(lookWindow, ownItem, {}, { label, name, box, month });
}

// Sets the local time zone for the program's clock (TZ as POSIX writes it) and back at the end.
class LocalZone {
public:
    explicit LocalZone(const std::string& zone)
    {
        if (const char* before = std::getenv("TZ"))
            before_ = before;
        set(zone);
    }
    ~LocalZone()
    {
        if (before_)
            set(*before_);
        else {
            unsetenv("TZ");
            tzset();
        }
    }
    static void set(const std::string& zone)
    {
        setenv("TZ", zone.c_str(), 1);
        tzset();
    }

private:
    std::optional<std::string> before_;
};

// "UTC-hh:mm:ss" (POSIX counts west as positive) that puts local time at the given second of
// the day now, within a day either side of UTC.
std::string zoneWithLocalTimeNow(int secondOfDay)
{
    const std::time_t now = std::time(nullptr);
    int offset = (secondOfDay - int(now % 86400) + 86400) % 86400;
    if (offset > 43200)
        offset -= 86400;
    const int west = -offset;
    const int magnitude = std::abs(west);
    char text[40];
    std::snprintf(text, sizeof text, "XXX%c%02d:%02d:%02d", west < 0 ? '-' : '+', magnitude / 3600,
        magnitude / 60 % 60, magnitude % 60);
    return text;
}

class LookTest : public GuiTest {
protected:
    QImage grab(ComponentId component) { return widgetOf(component)->grab().toImage(); }

    QCalendarWidget& calendarWidget() const
    {
        return static_cast<QCalendarWidget&>(*widgetOf(calendar));
    }
    static QDate localDateNow()
    {
        const std::time_t now = std::time(nullptr);
        std::tm local {};
        localtime_r(&now, &local);
        return QDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    }
};

TEST_F(LookTest, CaptionFillingItsLabelShowsItsLastCharacter)
{
    load({ lookWindowTemplate("当前场次：") });
    const QImage whole = top()->grab().toImage();
    core->setProperty(lookWindow, showLabel, prop::label::caption, Text("当前场次"));
    const QImage withoutColon = top()->grab().toImage();
    ASSERT_EQ(whole.size(), withoutColon.size());
    // Where the colon shows: after the fourth character, left of the name's box.
    int colonPixels = 0;
    for (int y = 10; y < 10 + 24; ++y)
        for (int x = 10 + 4 * 18; x < 10 + 84; ++x)
            colonPixels += whole.pixel(x, y) != withoutColon.pixel(x, y);
    EXPECT_GE(colonPixels, 4) << "the full-width colon at the label's right edge is not seen";
}

TEST_F(LookTest, DisabledBoxShowsTheGreyFaceInsteadOfItsWhite)
{
    load({ lookWindowTemplate("") });
    auto centre = [&] {
        const QImage image = grab(secondsBox);
        return image.pixelColor(image.width() / 2, image.height() / 2);
    };
    EXPECT_EQ(centre(), QColor(Qt::white));
    core->setProperty(lookWindow, secondsBox, prop::disabled, true);
    const QColor disabled = centre();
    EXPECT_NE(disabled, QColor(Qt::white));
    EXPECT_EQ(disabled, QApplication::palette().color(QPalette::Button));
    core->setProperty(lookWindow, secondsBox, prop::disabled, false);
    EXPECT_EQ(centre(), QColor(Qt::white)) << "enabled again, the box is white again";
}

TEST_F(LookTest, CalendarMarksTodayOfTheLocalTimeZone)
{
    // Far east and far west of UTC the local date is never the same: one of them is not
    // UTC's date either.
    for (const char* zone : { "XXX-14", "XXX+12" }) {
        SCOPED_TRACE(zone);
        LocalZone local(zone);
        load({ lookWindowTemplate("") });
        EXPECT_EQ(calendarWidget().selectedDate(), localDateNow());
        EXPECT_EQ(calendarWidget().dateTextFormat(localDateNow()).fontWeight(), QFont::Bold);
        core.reset();
    }
}

TEST_F(LookTest, CalendarMovesOnToTheNewDayAtLocalMidnight)
{
    // Local time two seconds before midnight.
    LocalZone local(zoneWithLocalTimeNow(86400 - 2));
    load({ lookWindowTemplate("") });
    const QDate before = calendarWidget().selectedDate();
    EXPECT_EQ(before, localDateNow());
    EXPECT_TRUE(settle([&] { return calendarWidget().selectedDate() == before.addDays(1); }, 5000))
        << "the highlight stayed on " << before.toString(Qt::ISODate).toStdString();
    EXPECT_EQ(calendarWidget().dateTextFormat(before).fontWeight(), QFont::Normal)
        << "yesterday keeps no mark";
    EXPECT_EQ(calendarWidget().monthShown(), before.addDays(1).month());
}

} // namespace
} // namespace gui::test
