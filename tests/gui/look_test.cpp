// What the operator reads off the windows: a caption that just fits its label is drawn whole,
// a disabled input box looks disabled, and the calendar marks today in local time, also once
// midnight has passed while the program runs, draws every day of a month where it can be read
// and browses months without losing today.

#include "gui_fixture.h"

#include "backends/qt/month_view.h"
#include "runtime/date_time.h"
#include "ui/unit_properties.h"

#include <QLineEdit>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <ostream>
#include <set>

// Failure messages show days and months as the operator reads them.
static void PrintTo(const QDate& day, std::ostream* out)
{
    *out << day.toString(Qt::ISODate).toStdString();
}

namespace platform::qt {
static void PrintTo(const MonthView::Month& month, std::ostream* out)
{
    *out << month.year << '-' << month.month;
}
} // namespace platform::qt

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

using platform::qt::MonthView;

MonthView::Month monthOf(QDate date)
{
    return { date.year(), date.month() };
}

// The colour that covers most of `area`: the background a cell is drawn on.
QRgb backgroundOf(const QImage& image, const QRect& area)
{
    std::map<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y)];
    return std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
        return a.second < b.second;
    })->first;
}

// How many pixels in the middle of a day's cell are not the colour around them: the day's
// number, however the cell is filled.
int inkIn(const QImage& image, const QRect& cell)
{
    const QRect middle
        = cell.adjusted(cell.width() / 4, cell.height() / 5, -cell.width() / 4, -cell.height() / 5);
    const QRgb background = backgroundOf(image, middle);
    int ink = 0;
    for (int y = middle.top(); y <= middle.bottom(); ++y)
        for (int x = middle.left(); x <= middle.right(); ++x)
            ink += image.pixel(x, y) != background;
    return ink;
}

// Every day the view shows, in order.
std::vector<QDate> shownDays(const MonthView& view)
{
    const QDate first = QDate(view.shownMonth().year, view.shownMonth().month, 1);
    std::vector<QDate> days;
    for (QDate day = first.addDays(-14); day < first.addMonths(2); day = day.addDays(1))
        if (!view.dayCell(day).isEmpty())
            days.push_back(day);
    return days;
}

// The shown days whose cell has another background than most days' cells: the marked ones.
std::vector<QDate> markedDays(MonthView& view)
{
    const QImage image = view.grab().toImage();
    std::map<QDate, QRgb> background;
    std::map<QRgb, int> daysOn;
    for (QDate day : shownDays(view))
        ++daysOn[background[day] = backgroundOf(image, view.dayCell(day))];
    const QRgb plain = std::max_element(daysOn.begin(), daysOn.end(), [](auto& a, auto& b) {
        return a.second < b.second;
    })->first;
    std::vector<QDate> marked;
    for (auto [day, colour] : background)
        if (colour != plain)
            marked.push_back(day);
    return marked;
}

void turnWheel(QWidget& widget, int eighthsOfDegree)
{
    const QPointF at = QRectF(widget.rect()).center();
    QWheelEvent event(at, widget.mapToGlobal(at), {}, { 0, eighthsOfDegree }, Qt::NoButton,
        Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &event);
}

class LookTest : public GuiTest {
protected:
    QImage grab(ComponentId component) { return widgetOf(component)->grab().toImage(); }

    MonthView& monthView() const { return static_cast<MonthView&>(*widgetOf(calendar)); }
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
        const QDate today = localDateNow();
        EXPECT_EQ(monthView().today(), today);
        EXPECT_EQ(monthView().shownMonth(), monthOf(today));
        EXPECT_EQ(markedDays(monthView()), std::vector<QDate> { today });
        const QImage image = monthView().grab().toImage();
        EXPECT_GE(inkIn(image, monthView().dayCell(today)), 10)
            << "the day's number is not seen on its mark";
        core.reset();
    }
}

TEST_F(LookTest, CalendarMovesOnToTheNewDayAtLocalMidnight)
{
    // Local time two seconds before midnight.
    LocalZone local(zoneWithLocalTimeNow(86400 - 2));
    load({ lookWindowTemplate("") });
    MonthView& view = monthView();
    const QDate before = view.today();
    EXPECT_EQ(before, localDateNow());
    // The operator looks two months ahead; the new day brings its own month back.
    QTest::mouseClick(&view, Qt::LeftButton, {}, view.nextMonthMark().center());
    QTest::mouseClick(&view, Qt::LeftButton, {}, view.nextMonthMark().center());
    EXPECT_EQ(view.shownMonth(), monthOf(before.addMonths(2)));
    EXPECT_TRUE(settle([&] { return view.today() == before.addDays(1); }, 5000))
        << "the highlight stayed on " << before.toString(Qt::ISODate).toStdString();
    EXPECT_EQ(view.shownMonth(), monthOf(before.addDays(1)));
    EXPECT_EQ(markedDays(view), std::vector<QDate> { before.addDays(1) })
        << "yesterday keeps no mark";
}

TEST_F(LookTest, CalendarBrowsesMonthsByItsMarksAndTheWheelAndKeepsTheMonthAllDay)
{
    load({ lookWindowTemplate("") });
    MonthView& view = monthView();
    const QDate today = view.today();
    QTest::mouseClick(&view, Qt::LeftButton, {}, view.nextMonthMark().center());
    EXPECT_EQ(view.shownMonth(), monthOf(today.addMonths(1)));
    QTest::mouseClick(&view, Qt::LeftButton, {}, view.previousMonthMark().center());
    QTest::mouseClick(&view, Qt::LeftButton, {}, view.previousMonthMark().center());
    EXPECT_EQ(view.shownMonth(), monthOf(today.addMonths(-1)));
    turnWheel(view, -120);
    EXPECT_EQ(view.shownMonth(), monthOf(today)) << "a notch towards the operator goes forward";
    turnWheel(view, 60);
    EXPECT_EQ(view.shownMonth(), monthOf(today)) << "half a notch is not a month yet";
    turnWheel(view, 60);
    EXPECT_EQ(view.shownMonth(), monthOf(today.addMonths(-1)));
    // The control tells the view the day every second: the same day keeps the browsed month.
    view.setToday(today);
    EXPECT_EQ(view.shownMonth(), monthOf(today.addMonths(-1)));
    EXPECT_EQ(view.today(), today);
}

TEST_F(LookTest, CalendarDrawsEveryDayOfAMonthInItsOwnCellUnderItsWeekday)
{
    load({ lookWindowTemplate("") });
    MonthView& view = monthView();
    // Starting on a Sunday, on a Monday with four weeks exactly, and a month of the evening.
    for (const MonthView::Month month :
        { MonthView::Month { 2026, 3 }, { 2027, 2 }, { 2026, 12 } }) {
        SCOPED_TRACE(QStringLiteral("%1-%2").arg(month.year).arg(month.month).toStdString());
        view.showMonth(month.year, month.month);
        ASSERT_EQ(view.shownMonth(), month);
        const QImage image = view.grab().toImage();
        const QDate first(month.year, month.month, 1);
        std::vector<QRect> cells;
        std::map<int, std::set<int>> leftEdgesOfWeekday;
        for (QDate day = first; day.month() == month.month; day = day.addDays(1)) {
            SCOPED_TRACE(day.day());
            const QRect cell = view.dayCell(day);
            ASSERT_FALSE(cell.isEmpty()) << "the day is not shown";
            EXPECT_TRUE(view.rect().contains(cell)) << "the day is drawn outside the view";
            EXPECT_GE(inkIn(image, cell), 5) << "the day's number is not seen";
            for (const QRect& other : cells)
                EXPECT_FALSE(cell.intersects(other)) << "the day is drawn over another";
            cells.push_back(cell);
            leftEdgesOfWeekday[day.dayOfWeek()].insert(cell.left());
        }
        ASSERT_EQ(leftEdgesOfWeekday.size(), 7u);
        int leftOfColumnBefore = -1;
        for (const auto& [weekday, edges] : leftEdgesOfWeekday) {
            ASSERT_EQ(edges.size(), 1u) << "weekday " << weekday << " is not one column";
            EXPECT_GT(*edges.begin(), leftOfColumnBefore) << "the week does not start on Monday";
            leftOfColumnBefore = *edges.begin();
        }
    }
}

} // namespace
} // namespace gui::test
