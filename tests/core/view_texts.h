#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tests/support/fake_session_view.h"

namespace lanzhou::test {

// The text arguments of the view's calls named `name`, in call order.
inline std::vector<std::string> viewTexts(const FakeSessionView& view, std::string_view name) {
    std::vector<std::string> result;
    for (const auto& call : view.calls()) {
        if (call.name == name) {
            result.push_back(call.text);
        }
    }
    return result;
}

}  // namespace lanzhou::test
