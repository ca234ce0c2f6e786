#pragma once

#include <asio.hpp>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lanzhou::transport {

// "a.b.c.d" with four decimal numbers of 0 to 255 (one to three digits
// each, read as decimal even with leading zeros); nullopt for anything else.
std::optional<asio::ip::address_v4> parseDottedIpv4(std::string_view text);

// The endpoint to connect to: a dotted IPv4 address as it is, otherwise the
// first IPv4 address the name resolves to (any address when it has none).
// Blocking; nullopt when the name cannot be resolved.
std::optional<asio::ip::tcp::endpoint> lookUpEndpoint(const std::string& host, std::uint16_t port);

}  // namespace lanzhou::transport
