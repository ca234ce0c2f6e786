// Reads and writes the settings file format on arbitrary bytes: reading never
// fails, and a single-key write reads back as written while every other key
// keeps its value.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "config/config_file.h"
#include "config/config_keys.h"

namespace {

namespace key = lanzhou::config::key;

constexpr std::string_view kKeys[] = {key::kLine,        key::kRemember,  key::kAccount,
                                      key::kSkinPicture, key::kSoundFile, key::kSoundHint,
                                      std::string_view()};
constexpr const char* kSections[] = {"config", "CONFIG", "other"};

bool survivesReading(const std::string& value) {
    if (value.size() > 10239 ||
        value.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) {
        return false;
    }
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    return value.empty() || (!blank(value.front()) && !blank(value.back()));
}

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const char* section = provider.PickValueInArray(kSections);
    const std::string_view key = provider.PickValueInArray(kKeys);
    const std::string value = provider.ConsumeRandomLengthString(64);
    const std::string file = provider.ConsumeRemainingBytesAsString();

    std::string before[std::size(kKeys)];
    for (std::size_t i = 0; i < std::size(kKeys); ++i) {
        before[i] = lanzhou::config::readIniValue(file, section, kKeys[i]);
    }

    const std::string written = lanzhou::config::writeIniValue(file, section, key, value);
    if (survivesReading(value)) {
        check(lanzhou::config::readIniValue(written, section, key) == value);
    }
    for (std::size_t i = 0; i < std::size(kKeys); ++i) {
        if (kKeys[i] != key) {
            check(lanzhou::config::readIniValue(written, section, kKeys[i]) == before[i]);
        }
    }
    return 0;
}
