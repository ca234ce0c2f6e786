#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lanzhou::updater {

using Sha256Digest = std::array<std::uint8_t, 32>;

// An update source as the service publishes it: an http://, https://,
// ftp:// or file:// address, optionally ending in "#sha256=" and 64
// hexadecimal digits (either case), the archive's expected digest. The
// address is then everything before the fragment.
struct UpdateSource {
    std::string address;
    std::optional<Sha256Digest> sha256;
};

UpdateSource parseUpdateSource(std::string_view source);

// The whole part of a non-negative figure for the size and speed columns:
// truncation toward zero, except that a value within 1e-12 of the next whole
// number counts as that number.
long long wholePart(double value);

}  // namespace lanzhou::updater
