#pragma once

#include <cstddef>
#include <string>

namespace lanzhou::platform {

// Hardware address of the computer's first network adapter (loopback
// excluded) as six upper-case hexadecimal bytes joined by "-", for example
// "00-1A-2B-3C-4D-5E"; empty when there is none.
std::string firstAdapterAddress();

// The length of the hardware addresses firstAdapterAddress reports.
inline constexpr std::size_t kAdapterAddressLength = 6;

// The text form above of the kAdapterAddressLength bytes at `bytes`.
std::string adapterAddressText(const unsigned char* bytes);

}  // namespace lanzhou::platform
