// Label: a caption (line breaks kept) on a background colour inside one of the border styles,
// optionally with a shadowed caption. Indicator lamps are labels whose background turns red.

#include "backends/qt/colours.h"
#include "backends/qt/controls/controls.h"
#include "backends/qt/controls/framed_widget.h"
#include "backends/qt/fonts.h"
#include "backends/qt/qt_text.h"

#include "ui/unit_properties.h"

#include <QPainter>

namespace platform::qt {

namespace {

namespace p = ui::prop::label;

// The substitute faces place full-width punctuation differently from the faces the windows
// were drawn with: a caption that just filled its label ("当前场次：") would lose its last
// mark under the next label. A single line a little too wide is drawn a little smaller; one
// far too wide is cut at the edge as it always was.
QFont fitting(QFont font, const QString& caption, int width)
{
    const int designed = font.pixelSize();
    if (designed <= 0)
        return font;
    for (int size = designed; size > designed * 4 / 5; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).horizontalAdvance(caption) <= width)
            return font;
    }
    font.setPixelSize(designed);
    return font;
}

class LabelWidget final : public FramedWidget {
public:
    using FramedWidget::FramedWidget;

    QString caption;
    QColor textColour, backColour;
    bool shadowed = false;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), backColour);
        const QRect area = contentsRect().adjusted(1, 0, -1, 0);
        // Only captions with line breaks take several lines.
        const bool oneLine = !caption.contains(u'\n');
        const int flags
            = Qt::AlignLeft | Qt::AlignVCenter | (oneLine ? Qt::TextDontClip : Qt::TextWordWrap);
        if (oneLine)
            painter.setFont(fitting(font(), caption, area.width()));
        if (shadowed) {
            painter.setPen(textColour.darker(300));
            painter.drawText(area.translated(1, 1), flags, caption);
        }
        painter.setPen(textColour);
        painter.drawText(area, flags, caption);
        paintFrame(painter);
    }
};

class LabelControl final : public Control {
public:
    LabelControl(const ControlContext& context, QWidget* parent)
        : Control(context, new LabelWidget(parent))
    {
    }

protected:
    void applyLook(const ui::ComponentState& s) override
    {
        auto* label = static_cast<LabelWidget*>(widget());
        label->caption = multiLine(fromGbk(s.value<ui::Text>(p::caption)));
        label->textColour = toQColor(s.value<std::int32_t>(p::textColour));
        label->backColour = toQColor(s.value<std::int32_t>(p::backColour));
        label->shadowed = s.value<std::int32_t>(p::effect) != 0;
        label->setBorderStyle(s.value<std::int32_t>(p::borderStyle));
        label->setFont(toQFont(s.value<ui::Font>(p::font)));
        // Repaint now: a lamp lit from a worker thread must be red on the next frame.
        label->update();
    }
};

} // namespace

std::unique_ptr<Control> makeLabel(const ControlContext& context, QWidget* parent)
{
    return std::make_unique<LabelControl>(context, parent);
}

} // namespace platform::qt
