#include "backends/qt/fonts.h"

#include "backends/qt/qt_text.h"

#include <QFontDatabase>

#include <cstdlib>

namespace platform::qt {

namespace {

// The Song face has no free counterpart with the same shapes; a Hei face at the same pixel
// height keeps the layout. The Kai face has one.
const char* const heiFace = "WenQuanYi Zen Hei";
const char* const kaiFace = "AR PL UKai CN";
constexpr int defaultPixelHeight = 12;

QString installedFace(const QString& templateFace)
{
    if (templateFace.startsWith(QStringLiteral("楷体")))
        return QString::fromUtf8(kaiFace);
    if (templateFace.isEmpty() || templateFace.startsWith(QStringLiteral("宋体"))
        || templateFace.startsWith(QStringLiteral("黑体"))
        || !QFontDatabase::hasFamily(templateFace))
        return QString::fromUtf8(heiFace);
    return templateFace;
}

} // namespace

QFont defaultFont()
{
    QFont font(QString::fromUtf8(heiFace));
    font.setPixelSize(defaultPixelHeight);
    return font;
}

QFont toQFont(const ui::Font& font)
{
    QFont result(installedFace(fromGbk(font.face)));
    // A negative height is a character height, a positive one a cell height; both are pixels.
    result.setPixelSize(font.height == 0 ? defaultPixelHeight : std::abs(font.height));
    result.setWeight(font.weight >= 600 ? QFont::Bold : QFont::Normal);
    result.setItalic(font.italic);
    result.setUnderline(font.underline);
    result.setStrikeOut(font.strikeOut);
    return result;
}

} // namespace platform::qt
