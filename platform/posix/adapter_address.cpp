#include "platform/adapter_address.h"

#if defined(__linux__)
#include <ifaddrs.h>
#include <net/if.h>
#include <netpacket/packet.h>
#endif

namespace lanzhou::platform {

#if defined(__linux__)

namespace {

bool allZero(const unsigned char* bytes) {
    for (std::size_t i = 0; i < kAdapterAddressLength; ++i) {
        if (bytes[i] != 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string firstAdapterAddress() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return {};
    }
    std::string result;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_PACKET ||
            (entry->ifa_flags & IFF_LOOPBACK) != 0) {
            continue;
        }
        const auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
        if (link->sll_halen != kAdapterAddressLength || allZero(link->sll_addr)) {
            continue;
        }
        result = adapterAddressText(link->sll_addr);
        break;
    }
    freeifaddrs(list);
    return result;
}

#else

// Other systems list hardware addresses their own way; none is reported.
std::string firstAdapterAddress() {
    return {};
}

#endif

}  // namespace lanzhou::platform
