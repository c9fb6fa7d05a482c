// HyperLinker: an underlined caption that opens its link address with the desktop's handler.

#include "backends/qt/colours.h"
#include "backends/qt/controls/controls.h"
#include "backends/qt/fonts.h"
#include "backends/qt/qt_text.h"

#include "ui/unit_properties.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMouseEvent>
#include <QUrl>

namespace platform::qt {

namespace {

namespace p = ui::prop::hyperLinker;

class LinkLabel final : public QLabel {
public:
    using QLabel::QLabel;

    QString address;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())
            && !address.isEmpty())
            QDesktopServices::openUrl(QUrl::fromUserInput(address));
        QLabel::mouseReleaseEvent(event);
    }
};

class HyperLinkerControl final : public Control {
public:
    HyperLinkerControl(const ControlContext& context, QWidget* parent)
        : Control(context, new LinkLabel(parent))
    {
        widget()->setCursor(Qt::PointingHandCursor);
    }

protected:
    void applyLook(const ui::ComponentState& s) override
    {
        auto* link = static_cast<LinkLabel*>(widget());
        link->setText(fromGbk(s.value<ui::Text>(p::caption)));
        link->address = fromGbk(s.value<ui::Text>(p::address));
        link->setToolTip(link->address);
        QPalette palette = link->palette();
        palette.setColor(QPalette::WindowText, toQColor(s.value<std::int32_t>(p::textColour)));
        link->setPalette(palette);
        QFont font = toQFont(s.value<ui::Font>(p::font));
        font.setUnderline(true);
        link->setFont(font);
    }
};

} // namespace

std::unique_ptr<Control> makeHyperLinker(const ControlContext& context, QWidget* parent)
{
    return std::make_unique<HyperLinkerControl>(context, parent);
}

} // namespace platform::qt
