// SuperBtn: a skinned button. Its three pictures are the normal, pointer-over and pressed
// looks, drawn unscaled at the top-left corner with the caption centred over them.

#include "backends/qt/colours.h"
#include "backends/qt/controls/controls.h"
#include "backends/qt/fonts.h"
#include "backends/qt/qt_text.h"

#include "ui/unit_properties.h"

#include <QAbstractButton>
#include <QPainter>

namespace platform::qt {

namespace {

namespace p = ui::prop::superBtn;

class SkinnedButton final : public QAbstractButton {
public:
    using QAbstractButton::QAbstractButton;

    QImage normal, hot, pressed;
    QColor textColour, faceColour;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QImage& look = isDown() ? pressed : underMouse() && isEnabled() ? hot : normal;
        if (look.isNull())
            painter.fillRect(rect(), faceColour);
        else
            painter.drawImage(0, 0, look);
        painter.setPen(isEnabled() ? textColour : QColor(160, 160, 160));
        painter.drawText(
            rect().translated(isDown() ? 1 : 0, isDown() ? 1 : 0), Qt::AlignCenter, text());
    }
    void enterEvent(QEnterEvent*) override { update(); }
    void leaveEvent(QEvent*) override { update(); }
};

class SuperButtonControl final : public Control {
public:
    SuperButtonControl(const ControlContext& context, QWidget* parent)
        : Control(context, new SkinnedButton(parent))
    {
        auto* button = static_cast<SkinnedButton*>(widget());
        QObject::connect(button, &QAbstractButton::clicked, button,
            [context] { context.input().click(context.window, context.component); });
    }

    unsigned ownEvents() const override { return ownEvent::leftButton; }

protected:
    void applyLook(const ui::ComponentState& s) override
    {
        auto* button = static_cast<SkinnedButton*>(widget());
        button->setText(fromGbk(s.value<ui::Text>(p::caption)));
        button->normal = context_.pictures->decode(s.value<ui::Bytes>(p::picture1));
        button->hot = context_.pictures->decode(s.value<ui::Bytes>(p::picture2));
        button->pressed = context_.pictures->decode(s.value<ui::Bytes>(p::picture3));
        if (button->hot.isNull())
            button->hot = button->normal;
        if (button->pressed.isNull())
            button->pressed = button->hot;
        button->textColour = toQColor(s.value<std::int32_t>(p::textColour));
        button->faceColour = toQColor(s.value<std::int32_t>(p::backColour1));
        button->setFont(toQFont(s.value<ui::Font>(p::font)));
        button->update();
    }
};

} // namespace

std::unique_ptr<Control> makeSuperButton(const ControlContext& context, QWidget* parent)
{
    return std::make_unique<SuperButtonControl>(context, parent);
}

} // namespace platform::qt
