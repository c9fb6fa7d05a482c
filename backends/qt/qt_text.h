#pragma once
// Program texts are GBK bytes; Qt speaks UTF-16. Every conversion between them goes through
// these two functions.

#include "platform/encoding.h"

#include <QString>
#include <QStringList>

#include <string>
#include <string_view>
#include <vector>

namespace platform::qt {

inline QString fromGbk(std::string_view gbk)
{
    return QString::fromStdString(gbkToUtf8(gbk));
}

inline std::string toGbk(const QString& text)
{
    return utf8ToGbk(text.toStdString());
}

// A list's texts, for adding them to a control in one call.
inline QStringList qtTexts(const std::vector<std::string>& gbk)
{
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(gbk.size()));
    for (const std::string& text : gbk)
        texts.append(fromGbk(text));
    return texts;
}

} // namespace platform::qt
