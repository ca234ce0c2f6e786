#include "client/core/texts.h"

#include <mutex>
#include <unordered_map>

#include "platform/gbk.h"

namespace lanzhou::core {

const std::string& gbk(std::string_view utf8) {
    // One conversion per distinct text for the life of the process. Nodes of
    // an unordered_map never move, so the returned reference stays valid
    // while other threads add texts.
    static std::mutex mutex;
    static std::unordered_map<std::string, std::string> cache;

    std::lock_guard lock(mutex);
    auto found = cache.find(std::string(utf8));
    if (found == cache.end()) {
        found = cache.emplace(std::string(utf8), platform::gbkFromUtf8(utf8)).first;
    }
    return found->second;
}

}  // namespace lanzhou::core
