// PicBox: a picture from its image file contents, stretched over the box or at its corner.

#include "backends/qt/controls/controls.h"
#include "backends/qt/controls/framed_widget.h"

#include "ui/unit_properties.h"

#include <QPainter>

namespace platform::qt {

namespace {

namespace p = ui::prop::picBox;

class PictureWidget final : public FramedWidget {
public:
    using FramedWidget::FramedWidget;

    QImage picture;
    bool stretch = false;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        if (stretch)
            painter.drawImage(contentsRect(), picture);
        else
            painter.drawImage(contentsRect().topLeft(), picture);
        paintFrame(painter);
    }
};

class PictureBoxControl final : public Control {
public:
    PictureBoxControl(const ControlContext& context, QWidget* parent)
        : Control(context, new PictureWidget(parent))
    {
    }

protected:
    void applyLook(const ui::ComponentState& s) override
    {
        auto* box = static_cast<PictureWidget*>(widget());
        box->picture = context_.pictures->decode(s.value<ui::Bytes>(p::picture));
        box->stretch = s.value<bool>(p::stretch);
        box->setBorderStyle(s.value<std::int32_t>(p::borderStyle));
        box->update();
    }
};

} // namespace

std::unique_ptr<Control> makePictureBox(const ControlContext& context, QWidget* parent)
{
    return std::make_unique<PictureBoxControl>(context, parent);
}

} // namespace platform::qt
