#include "updater/core/update_source.h"

#include <cmath>
#include <cstddef>
#include <limits>

namespace lanzhou::updater {

namespace {

constexpr std::string_view kDigestMarker = "#sha256=";
constexpr std::size_t kDigestDigits = 64;

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::optional<Sha256Digest> parseDigest(std::string_view digits) {
    Sha256Digest digest{};
    for (std::size_t i = 0; i < digest.size(); ++i) {
        const int high = hexValue(digits[2 * i]);
        const int low = hexValue(digits[2 * i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        digest[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return digest;
}

}  // namespace

UpdateSource parseUpdateSource(std::string_view source) {
    constexpr std::size_t fragmentLength = kDigestMarker.size() + kDigestDigits;
    if (source.size() >= fragmentLength) {
        const std::size_t at = source.size() - fragmentLength;
        if (source.substr(at, kDigestMarker.size()) == kDigestMarker) {
            if (auto digest = parseDigest(source.substr(at + kDigestMarker.size()))) {
                return UpdateSource{std::string(source.substr(0, at)), digest};
            }
        }
    }
    return UpdateSource{std::string(source), std::nullopt};
}

long long wholePart(double value) {
    constexpr double kCloseEnough = 1e-12;
    if (std::isnan(value)) {
        return 0;
    }
    // Beyond this every double is a whole number, and the cast stays defined.
    constexpr double kLimit = 9.0e18;
    if (value >= kLimit) {
        return static_cast<long long>(kLimit);
    }
    if (value <= -kLimit) {
        return -static_cast<long long>(kLimit);
    }
    double whole = std::trunc(value);
    const double fraction = std::fabs(value - whole);
    if (1.0 - fraction <= kCloseEnough) {
        whole += value < 0 ? -1.0 : 1.0;
    }
    return static_cast<long long>(whole);
}

}  // namespace lanzhou::updater
