#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lanzhou::protocol {

// Every message in both directions travels as a packed payload: the magic
// 0x033E0F0D and the uncompressed length (both little-endian), then the zlib
// stream of the bytes (absent when there are none).
inline constexpr std::uint32_t kPayloadMagic = 0x033E0F0D;
inline constexpr std::size_t kPayloadHeaderSize = 8;

// Announced sizes above this are refused as malformed, before anything is
// allocated for them: messages of this protocol are short texts.
inline constexpr std::size_t kMaxMessageSize = std::size_t{64} << 20;

// Returns the packed payload, or an empty string when zlib fails.
std::string pack(std::string_view bytes);

// Returns the uncompressed bytes, or an empty string when the input is not a
// valid payload: short input, wrong magic, an announced length of 0 or above
// kMaxMessageSize, a corrupt stream, or a stream that inflates to more than
// twice the announced length.
std::string unpack(std::string_view payload);

// The same into `out`, whose storage is reused: true with the bytes in `out`,
// or false with `out` empty.
bool unpack(std::string_view payload, std::string& out);

// The same into `scratch`, whose size only grows (a reused one is not filled
// again): the bytes are its first part, returned as a view; nothing when the
// input is not a valid payload.
std::optional<std::string_view> unpackInto(std::string_view payload, std::string& scratch);

}  // namespace lanzhou::protocol
