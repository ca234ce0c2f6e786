#include "client/transport/host_lookup.h"

#include <array>

namespace lanzhou::transport {

std::optional<asio::ip::address_v4> parseDottedIpv4(std::string_view text) {
    asio::ip::address_v4::bytes_type bytes{};
    std::size_t part = 0;
    std::size_t digits = 0;
    unsigned value = 0;
    for (const char c : text) {
        if (c == '.') {
            if (digits == 0 || part == 3) {
                return std::nullopt;
            }
            bytes[part++] = static_cast<unsigned char>(value);
            digits = 0;
            value = 0;
            continue;
        }
        if (c < '0' || c > '9' || ++digits > 3) {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > 255) {
            return std::nullopt;
        }
    }
    if (digits == 0 || part != 3) {
        return std::nullopt;
    }
    bytes[part] = static_cast<unsigned char>(value);
    return asio::ip::address_v4(bytes);
}

std::optional<asio::ip::tcp::endpoint> lookUpEndpoint(const std::string& host, std::uint16_t port) {
    if (const auto address = parseDottedIpv4(host)) {
        return asio::ip::tcp::endpoint(*address, port);
    }
    if (host.empty()) {
        return std::nullopt;
    }
    asio::io_context io;
    asio::ip::tcp::resolver resolver(io);
    asio::error_code error;
    const auto results = resolver.resolve(host, std::to_string(port),
                                          asio::ip::resolver_base::numeric_service, error);
    if (error || results.empty()) {
        return std::nullopt;
    }
    for (const auto& entry : results) {
        if (entry.endpoint().address().is_v4()) {
            return entry.endpoint();
        }
    }
    return results.begin()->endpoint();
}

}  // namespace lanzhou::transport
