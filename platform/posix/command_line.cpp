#include "platform/command_line.h"

namespace lanzhou::platform {

std::vector<std::string> utf8Arguments(int argc, char** argv) {
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        words.emplace_back(argv[i]);
    }
    return words;
}

}  // namespace lanzhou::platform
