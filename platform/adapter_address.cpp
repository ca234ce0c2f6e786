#include "platform/adapter_address.h"

#include <cstdio>

namespace lanzhou::platform {

std::string adapterAddressText(const unsigned char* bytes) {
    char text[3 * kAdapterAddressLength] = {};
    std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", bytes[0], bytes[1], bytes[2],
                  bytes[3], bytes[4], bytes[5]);
    return text;
}

}  // namespace lanzhou::platform
