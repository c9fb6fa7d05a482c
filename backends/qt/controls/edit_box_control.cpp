// EditBox: one line of text. Typed characters, wherever the cursor is, go through the core,
// which raises the character event (−11) that may replace or swallow them; other edits
// (deleting, pasting, cutting) are made here and handed to the core as the new content.

#include "backends/qt/colours.h"
#include "backends/qt/controls/controls.h"
#include "backends/qt/fonts.h"
#include "backends/qt/qt_text.h"

#include "ui/unit_properties.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>

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
        if (!printable) {
            QLineEdit::keyPressEvent(event);
            return;
        }
        event->accept();
        type(typed);
    }

    // Text committed by an input method is typed too; the composition shown before it is the
    // line's own business.
    void inputMethodEvent(QInputMethodEvent* event) override
    {
        if (event->commitString().isEmpty() || event->replacementLength() != 0) {
            QLineEdit::inputMethodEvent(event);
            return;
        }
        QInputMethodEvent composing(event->preeditString(), event->attributes());
        QPointer<EditLine> alive(this);
        type(event->commitString());
        if (alive)
            QLineEdit::inputMethodEvent(&composing);
    }

private:
    // Hands typed text to the core for the selection or the cursor, then puts the cursor
    // after what the core kept.
    void type(const QString& typed)
    {
        const QString before = text();
        const int start = hasSelectedText() ? selectionStart() : cursorPosition();
        const int end = hasSelectedText() ? selectionEnd() : start;
        const QString behind = before.mid(end);
        const ui::TextRange at { toGbk(before.left(start)).size(),
            toGbk(before.mid(start, end - start)).size() };
        QPointer<EditLine> alive(this);
        context_.input().typeText(context_.window, context_.component, toGbk(typed), at);
        // A handler may have closed the window, or rewritten the text behind the cursor.
        if (alive && text() != before && text().endsWith(behind))
            setCursorPosition(text().size() - behind.size());
    }

    const ControlContext context_;
};

class EditBoxControl final : public Control {
public:
    EditBoxControl(const ControlContext& context, QWidget* parent)
        : Control(context, new EditLine(context, parent))
    {
        auto* edit = static_cast<QLineEdit*>(widget());
        QObject::connect(edit, &QLineEdit::textEdited, edit, [context, edit](const QString& text) {
            if (context.input().editText(context.window, context.component, toGbk(text)))
                return;
            // Dropped, so no handler ran: the box shows the core's content again.
            if (auto state = context.core->component(context.window, context.component))
                edit->setText(fromGbk(state->value<ui::Text>(p::content)));
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
        // The template colours are those of an enabled box; a disabled one takes the grey face
        // and text of the desktop, so the operator sees that it takes no input.
        QPalette palette = edit->palette();
        for (auto group : { QPalette::Active, QPalette::Inactive }) {
            palette.setColor(group, QPalette::Text, toQColor(s.value<std::int32_t>(p::textColour)));
            palette.setColor(group, QPalette::Base, toQColor(s.value<std::int32_t>(p::backColour)));
        }
        palette.setColor(QPalette::Disabled, QPalette::Text, disabledBoxText());
        palette.setColor(QPalette::Disabled, QPalette::Base, disabledBoxBack());
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
