// PicBtn: a bitmap that takes the mouse (the playback knob and its track).

#include "backends/qt/controls/controls.h"

#include "ui/unit_properties.h"

#include <QPainter>

namespace platform::qt {

namespace {

class PictureButtonWidget final : public QWidget {
public:
    using QWidget::QWidget;

    QImage picture;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(rect(), picture); }
};

class PictureButtonControl final : public Control {
public:
    PictureButtonControl(const ControlContext& context, QWidget* parent)
        : Control(context, new PictureButtonWidget(parent))
    {
    }

protected:
    void applyLook(const ui::ComponentState& s) override
    {
        auto* button = static_cast<PictureButtonWidget*>(widget());
        button->picture = context_.pictures->decode(s.value<ui::Bytes>(ui::prop::picBtn::picture));
        button->update();
    }
};

} // namespace

std::unique_ptr<Control> makePictureButton(const ControlContext& context, QWidget* parent)
{
    return std::make_unique<PictureButtonControl>(context, parent);
}

} // namespace platform::qt
