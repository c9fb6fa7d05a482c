#pragma once
// Qt's own texts (the file dialog's labels, standard buttons, the editing menus) in Chinese,
// to match the program's windows. The desktop's language does not matter: the whole program
// speaks Chinese, so a half-English dialog would only confuse the operator.

#include <QTranslator>

namespace platform::qt {

class ChineseQtTexts {
public:
    // Installs the translation into the running application; nothing when Qt's translation
    // files are not installed (loaded() then says so and the dialogs stay in English).
    ChineseQtTexts();
    ChineseQtTexts(const ChineseQtTexts&) = delete;
    ChineseQtTexts& operator=(const ChineseQtTexts&) = delete;

    bool loaded() const { return loaded_; }

private:
    // Destroying the translator uninstalls it.
    QTranslator translator_;
    bool loaded_ = false;
};

} // namespace platform::qt
