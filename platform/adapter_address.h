#pragma once

#include <string>

namespace lanzhou::platform {

// Hardware address of the computer's first network adapter (loopback
// excluded) as six upper-case hexadecimal bytes joined by "-", for example
// "00-1A-2B-3C-4D-5E"; empty when there is none.
std::string firstAdapterAddress();

}  // namespace lanzhou::platform
