#include "backends/qt/controls/framed_widget.h"

#include <QPainter>

namespace platform::qt {

namespace {

int borderWidth(int style)
{
    switch (style) {
    case 1:
    case 2:
        return 2;
    case 3:
    case 5:
        return 1;
    case 4:
        return 3;
    default:
        return 0;
    }
}

// One edge ring: light on the top and left when raised, dark there when sunken.
void drawEdge(QPainter& painter, QRect r, const QColor& topLeft, const QColor& bottomRight)
{
    painter.setPen(topLeft);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
}

} // namespace

void FramedWidget::setBorderStyle(int style)
{
    style_ = style;
    const int width = borderWidth(style);
    setContentsMargins(width, width, width, width);
}

void FramedWidget::paintFrame(QPainter& painter) const
{
    const QColor light(255, 255, 255), face(212, 208, 200), shadow(128, 128, 128), dark(64, 64, 64);
    QRect r = rect().adjusted(0, 0, -1, -1);
    switch (style_) {
    case 1:
        drawEdge(painter, r, shadow, light);
        drawEdge(painter, r.adjusted(1, 1, -1, -1), dark, face);
        break;
    case 2:
        drawEdge(painter, r, face, dark);
        drawEdge(painter, r.adjusted(1, 1, -1, -1), light, shadow);
        break;
    case 3:
        drawEdge(painter, r, shadow, light);
        break;
    case 4:
        drawEdge(painter, r, face, dark);
        drawEdge(painter, r.adjusted(1, 1, -1, -1), shadow, light);
        drawEdge(painter, r.adjusted(2, 2, -2, -2), dark, face);
        break;
    case 5:
        drawEdge(painter, r, Qt::black, Qt::black);
        break;
    default:
        break;
    }
}

QString multiLine(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace platform::qt
