#include "backends/qt/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace platform::qt {

ChineseQtTexts::ChineseQtTexts()
{
    // "qt" pulls in qtbase and the other modules' files of the same language.
    loaded_ = translator_.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qt"),
                  QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        && QCoreApplication::installTranslator(&translator_);
}

} // namespace platform::qt
