#pragma once
// A widget drawn by its control, with the border styles of the core controls: 0 none, 1 sunken
// client edge, 2 raised dialog frame, 3 shallow static edge, 4 sunken edge in a dialog frame,
// 5 single line. Its contents rectangle leaves room for the border.

#include <QWidget>

class QPainter;

namespace platform::qt {

class FramedWidget : public QWidget {
public:
    using QWidget::QWidget;

    void setBorderStyle(int style);

protected:
    // Draws the border over what paintEvent drew.
    void paintFrame(QPainter& painter) const;

private:
    int style_ = 0;
};

// Turns the desktop's "\r\n" line breaks into Qt's.
QString multiLine(QString text);

} // namespace platform::qt
