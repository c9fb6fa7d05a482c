#pragma once
// Program texts are GBK bytes; Qt speaks UTF-16. Every conversion between them goes through
// these two functions.

#include "platform/posix/encoding.h"

#include <QString>

#include <string>
#include <string_view>

namespace platform::qt {

inline QString fromGbk(std::string_view gbk)
{
    return QString::fromStdString(gbkToUtf8(gbk));
}

inline std::string toGbk(const QString& text)
{
    return utf8ToGbk(text.toStdString());
}

} // namespace platform::qt
