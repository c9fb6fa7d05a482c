#pragma once
// What a settings window's boxes hold once read: the settings, or the message that names the
// first value out of range. The windows differ in what they read and how they save; they
// share refusing to save anything while a value is out of range.

#include "app/application.h"

#include <optional>

namespace app {

template <typename Settings> struct SettingsForm {
    Settings settings;
    Text refusal;
};

// The settings to save, or nothing after telling the operator which value is out of range.
template <typename Settings>
std::optional<Settings> acceptedSettings(Application& app, const SettingsForm<Settings>& form)
{
    if (!form.refusal.empty()) {
        app.runtime.messageBox(form.refusal, 0);
        return std::nullopt;
    }
    return form.settings;
}

} // namespace app
