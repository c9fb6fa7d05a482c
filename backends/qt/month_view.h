#pragma once
// A month drawn in one widget: a title row with the month and two marks that browse to the
// previous and next month, the weekday names from Monday, six weeks of day numbers with the
// neighbouring months' days greyed, and today filled in the palette's highlight colour.
//
// It is for looking only: it selects nothing and reports no date. It knows no clock either;
// its owner tells it which day today is (setToday), and a new day brings its month back into
// view. It builds no child widgets and measures no text until it is first painted, so that a
// window holding one appears quickly. Interface thread only.

#include "backends/qt/controls/framed_widget.h"

#include <QDate>

#include <compare>

namespace platform::qt {

class MonthView final : public FramedWidget {
public:
    struct Month {
        int year;
        int month; // 1 … 12
        auto operator<=>(const Month&) const = default;
    };

    MonthView(QDate today, QWidget* parent);

    // Marks `today`; when it is another day than before, its month is shown again.
    void setToday(QDate today);
    QDate today() const { return today_; }

    Month shownMonth() const { return shown_; }
    // Ignored for a month QDate cannot hold.
    void showMonth(int year, int month);

    // Where a day's number is drawn; empty when the day is not among the six weeks shown.
    QRect dayCell(QDate date) const;
    // The marks that show the previous and the next month.
    QRect previousMonthMark() const;
    QRect nextMonthMark() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // Six weeks of seven days, Monday first: enough for any month.
    static constexpr int weeks = 6, days = 7;

    QDate firstShownDay() const;
    QRect titleRow() const;
    QRect weekdayRow() const;
    QRect cell(int week, int weekday) const;
    void browse(int months);

    void paintTitle(QPainter& painter) const;
    void paintWeekdayNames(QPainter& painter) const;
    void paintDays(QPainter& painter) const;
    // Greyed for the neighbouring months' days, red for a weekend.
    QColor dayColour(QDate date) const;

    QDate today_;
    Month shown_;
    int wheelRemainder_ = 0; // eighths of a degree not yet turned into a month
};

} // namespace platform::qt
