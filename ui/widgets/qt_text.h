#pragma once

#include <QString>

#include <string>
#include <string_view>

#include "platform/gbk.h"

namespace lanzhou::display {

// The core's texts are GBK; widgets hold QString.
inline QString fromGbk(std::string_view gbk) {
    return QString::fromStdString(platform::utf8FromGbk(gbk));
}

inline std::string toGbk(const QString& text) {
    return platform::gbkFromUtf8(text.toStdString());
}

}  // namespace lanzhou::display
