#include "platform/command_line.h"

#include "platform/windows/prelude.h"
// clang-format off
#include <shellapi.h>
// clang-format on

#include "platform/wide_text.h"

namespace lanzhou::platform {

std::vector<std::string> utf8Arguments(int argc, char** argv) {
    std::vector<std::string> words;
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i) {
            words.push_back(utf8FromWide(wide[i]));
        }
        LocalFree(wide);
        return words;
    }
    for (int i = 1; i < argc; ++i) {
        words.emplace_back(argv[i]);
    }
    return words;
}

}  // namespace lanzhou::platform
