#include "backends/qt/month_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>

namespace platform::qt {

namespace {

// The title, the weekday names and six weeks share the height evenly.
constexpr int rows = 8;
constexpr int wheelStep = 120; // one notch, in eighths of a degree

// Saturdays and Sundays in red, as the hall's calendar has always shown them: they are the
// busy evenings.
QColor weekendColour()
{
    return QColor(200, 30, 30);
}

bool isWeekend(int weekday)
{
    return weekday >= Qt::Saturday;
}

QFont bold(QFont font)
{
    font.setBold(true);
    return font;
}

// A triangle pointing left or right, centred in `box`.
QPainterPath arrow(const QRectF& box, bool pointsLeft)
{
    const qreal half = box.height() * 0.22;
    const QPointF c = box.center();
    const qreal tip = pointsLeft ? -half : half;
    QPainterPath path;
    path.moveTo(c.x() + tip, c.y());
    path.lineTo(c.x() - tip, c.y() - half);
    path.lineTo(c.x() - tip, c.y() + half);
    path.closeSubpath();
    return path;
}

// Today's mark: a rounded block around the number, no wider than a day in a narrow cell and
// not stretched across a wide one.
QRectF markFor(const QRect& cell)
{
    const QRectF inner = QRectF(cell).adjusted(2.5, 1.5, -2.5, -1.5);
    const qreal width = std::min(inner.width(), inner.height() * 1.8);
    return QRectF(inner.center().x() - width / 2, inner.top(), width, inner.height());
}

} // namespace

MonthView::MonthView(QDate today, QWidget* parent)
    : FramedWidget(parent)
    , today_(today)
    , shown_ { today.year(), today.month() }
{
}

void MonthView::setToday(QDate today)
{
    if (!today.isValid() || today == today_)
        return;
    today_ = today;
    shown_ = { today.year(), today.month() };
    update();
}

void MonthView::showMonth(int year, int month)
{
    if (!QDate(year, month, 1).isValid())
        return;
    shown_ = { year, month };
    update();
}

void MonthView::browse(int months)
{
    const QDate first = QDate(shown_.year, shown_.month, 1).addMonths(months);
    if (first.isValid())
        showMonth(first.year(), first.month());
}

QDate MonthView::firstShownDay() const
{
    const QDate first(shown_.year, shown_.month, 1);
    return first.isValid() ? first.addDays(1 - first.dayOfWeek()) : QDate();
}

QRect MonthView::cell(int week, int weekday) const
{
    const QRect area = contentsRect();
    const int row = 2 + week;
    const QPoint topLeft(
        area.left() + weekday * area.width() / days, area.top() + row * area.height() / rows);
    const QPoint bottomRight(area.left() + (weekday + 1) * area.width() / days - 1,
        area.top() + (row + 1) * area.height() / rows - 1);
    return QRect(topLeft, bottomRight);
}

QRect MonthView::titleRow() const
{
    const QRect area = contentsRect();
    return QRect(area.left(), area.top(), area.width(), area.height() / rows);
}

QRect MonthView::weekdayRow() const
{
    const QRect area = contentsRect();
    const int top = area.top() + area.height() / rows;
    return QRect(area.left(), top, area.width(), area.top() + 2 * area.height() / rows - top);
}

QRect MonthView::dayCell(QDate date) const
{
    const QDate first = firstShownDay();
    if (!first.isValid() || !date.isValid())
        return {};
    const qint64 offset = first.daysTo(date);
    if (offset < 0 || offset >= weeks * days)
        return {};
    return cell(int(offset / days), int(offset % days));
}

QRect MonthView::previousMonthMark() const
{
    const QRect title = titleRow();
    return QRect(title.left(), title.top(), title.height() * 3 / 2, title.height());
}

QRect MonthView::nextMonthMark() const
{
    const QRect title = titleRow();
    const int width = title.height() * 3 / 2;
    return QRect(title.right() + 1 - width, title.top(), width, title.height());
}

void MonthView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(contentsRect(), palette().color(QPalette::Base));
    paintTitle(painter);
    paintWeekdayNames(painter);
    paintDays(painter);
    paintFrame(painter);
}

void MonthView::paintTitle(QPainter& painter) const
{
    const QRect title = titleRow();
    painter.fillRect(title, palette().color(QPalette::Highlight));
    const QColor text = palette().color(QPalette::HighlightedText);
    painter.setPen(text);
    painter.setFont(bold(font()));
    painter.drawText(
        title, Qt::AlignCenter, QStringLiteral("%1年%2月").arg(shown_.year).arg(shown_.month));

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(text);
    painter.drawPath(arrow(previousMonthMark(), true));
    painter.drawPath(arrow(nextMonthMark(), false));
    painter.restore();
}

void MonthView::paintWeekdayNames(QPainter& painter) const
{
    static const QString names = QStringLiteral("一二三四五六日");
    const QRect row = weekdayRow();
    painter.fillRect(row, palette().color(QPalette::AlternateBase));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(row.bottomLeft(), row.bottomRight());
    painter.setFont(font());
    for (int weekday = 0; weekday < days; ++weekday) {
        const QRect column = cell(0, weekday);
        const QRect box(column.left(), row.top(), column.width(), row.height());
        painter.setPen(isWeekend(weekday + 1) ? weekendColour() : palette().color(QPalette::Text));
        painter.drawText(box, Qt::AlignCenter, names.at(weekday));
    }
}

void MonthView::paintDays(QPainter& painter) const
{
    const QDate first = firstShownDay();
    if (!first.isValid())
        return;
    const QFont plain = font(), marked = bold(font());
    for (int index = 0; index < weeks * days; ++index) {
        const QDate date = first.addDays(index);
        const QRect box = cell(index / days, index % days);
        if (date == today_) {
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(palette().color(QPalette::Highlight));
            painter.drawRoundedRect(markFor(box), 3, 3);
            painter.restore();
            painter.setPen(palette().color(QPalette::HighlightedText));
            painter.setFont(marked);
        } else {
            painter.setPen(dayColour(date));
            painter.setFont(plain);
        }
        painter.drawText(box, Qt::AlignCenter, QString::number(date.day()));
    }
}

QColor MonthView::dayColour(QDate date) const
{
    if (date.month() != shown_.month)
        return palette().color(QPalette::Disabled, QPalette::Text);
    return isWeekend(date.dayOfWeek()) ? weekendColour() : palette().color(QPalette::Text);
}

void MonthView::mousePressEvent(QMouseEvent* event)
{
    // Every press is the calendar's, so none reaches the group box behind it.
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    if (previousMonthMark().contains(at))
        browse(-1);
    else if (nextMonthMark().contains(at))
        browse(1);
}

void MonthView::wheelEvent(QWheelEvent* event)
{
    // A touchpad sends a notch in small pieces: they add up to a month. Turning away from
    // the operator goes back in time, as scrolling up a page does.
    wheelRemainder_ += event->angleDelta().y();
    const int notches = wheelRemainder_ / wheelStep;
    wheelRemainder_ -= notches * wheelStep;
    if (notches != 0)
        browse(-notches);
}

} // namespace platform::qt
