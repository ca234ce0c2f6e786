#include "client/core/texts.h"

#include <functional>
#include <mutex>
#include <unordered_map>

#include "platform/gbk.h"

namespace lanzhou::core {
namespace {

// Looks texts up without building a std::string for every call.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
        return std::hash<std::string_view>{}(text);
    }
};

}  // namespace

const std::string& gbk(std::string_view utf8) {
    // One conversion per distinct text for the life of the process. Nodes of
    // an unordered_map never move, so the returned reference stays valid
    // while other threads add texts.
    static std::mutex mutex;
    static std::unordered_map<std::string, std::string, TextHash, std::equal_to<>> cache;

    std::lock_guard lock(mutex);
    auto found = cache.find(utf8);
    if (found == cache.end()) {
        found = cache.emplace(std::string(utf8), platform::gbkFromUtf8(utf8)).first;
    }
    return found->second;
}

}  // namespace lanzhou::core
