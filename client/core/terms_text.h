#pragma once

#include <string>
#include <string_view>

namespace lanzhou::core {

// The terms of service shown beside the registration form (GBK, lines ending
// in "\r\n"), with every occurrence of the built-in product name "澜舟智投"
// replaced by `productTitleGbk`, left to right, without looking into the
// replacement. An empty title removes the name.
std::string termsOfService(std::string_view productTitleGbk);

}  // namespace lanzhou::core
