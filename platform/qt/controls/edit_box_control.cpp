// EditBox: one line of text. Characters typed at the end go through the core, which raises
// the character event (−11) that may replace or swallow them; other edits (deleting, pasting,
// typing inside the text) are edited here and handed to the core as the new content.

#include "platform/qt/colours.h"
#include "platform/qt/controls/controls.h"
#include "platform/qt/fonts.h"
#include "platform/qt/qt_text.h"

#include "ui/unit_properties.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace platform::qt {

namespace {

namespace p = ui::prop::editBox;

class EditLine final : public QLineEdit {
public:
    EditLine(const ControlContext& context, QWidget* parent)
        : QLineEdit(parent)
        , context_(context)
    {
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        const QString typed = event->text();
        const bool printable = !typed.isEmpty() && typed.front().isPrint()
            && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (printable && cursorPosition() == text().size() && !hasSelectedText()) {
            event->accept();
            context_.input().typeText(context_.window, context_.component, toGbk(typed));
            return;
        }
        QLineEdit::keyPressEvent(event);
    }

private:
    const ControlContext context_;
};

class EditBoxControl final : public Control {
public:
    EditBoxControl(const ControlContext& context, QWidget* parent)
        : Control(context, new EditLine(context, parent))
    {
        auto* edit = static_cast<QLineEdit*>(widget());
        QObject::connect(edit, &QLineEdit::textEdited, edit, [context](const QString& text) {
            context.core->setProperty(context.window, context.component, p::content, toGbk(text));
        });
    }

protected:
    void applyLook(const ui::ComponentState& s) override
    {
        auto* edit = static_cast<QLineEdit*>(widget());
        const QString content = fromGbk(s.value<ui::Text>(p::content));
        // Rewriting the same text would move the cursor while the user types.
        if (edit->text() != content)
            edit->setText(content);
        edit->setFrame(s.value<std::int32_t>(p::borderStyle) != 0);
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Text, toQColor(s.value<std::int32_t>(p::textColour)));
        palette.setColor(QPalette::Base, toQColor(s.value<std::int32_t>(p::backColour)));
        edit->setPalette(palette);
        edit->setFont(toQFont(s.value<ui::Font>(p::font)));
    }
};

} // namespace

std::unique_ptr<Control> makeEditBox(const ControlContext& context, QWidget* parent)
{
    return std::make_unique<EditBoxControl>(context, parent);
}

} // namespace platform::qt
