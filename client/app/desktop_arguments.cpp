#include "client/app/desktop_arguments.h"

#include <string>
#include <utility>

namespace lanzhou::app {

Result<DesktopArguments> parseDesktopArguments(const std::vector<std::string_view>& arguments) {
    DesktopArguments parsed;
    std::vector<std::string_view> shared;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument == "--minimized") {
            if (parsed.minimized) {
                return fail(std::string("--minimized given twice"));
            }
            parsed.minimized = true;
            continue;
        }
        shared.push_back(argument);
        // The value of an option written apart is its own, whatever it says.
        if ((argument == "--server" || argument == "--run-dir" || argument == "--ca-file") &&
            i + 1 < arguments.size()) {
            shared.push_back(arguments[++i]);
        }
    }
    auto session = core::parseSessionArguments(shared);
    if (!session) {
        return fail(session.error());
    }
    parsed.session = std::move(*session);
    return parsed;
}

}  // namespace lanzhou::app
