#include "platform/adapter_address.h"

#include <cstddef>
#include <cstdio>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
// clang-format on
#else
#include <ifaddrs.h>
#include <net/if.h>
#if defined(__linux__)
#include <netpacket/packet.h>
#endif
#endif

namespace lanzhou::platform {

namespace {

constexpr std::size_t kAddressLength = 6;

std::string formatAddress(const unsigned char* bytes) {
    char text[3 * kAddressLength] = {};
    std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", bytes[0], bytes[1], bytes[2],
                  bytes[3], bytes[4], bytes[5]);
    return text;
}

#if !defined(_WIN32) && defined(__linux__)
bool allZero(const unsigned char* bytes) {
    for (std::size_t i = 0; i < kAddressLength; ++i) {
        if (bytes[i] != 0) {
            return false;
        }
    }
    return true;
}
#endif

}  // namespace

std::string firstAdapterAddress() {
#ifdef _WIN32
    ULONG size = 0;
    if (GetAdaptersInfo(nullptr, &size) != ERROR_BUFFER_OVERFLOW || size == 0) {
        return {};
    }
    std::vector<unsigned char> buffer(size);
    auto* adapters = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
    if (GetAdaptersInfo(adapters, &size) != NO_ERROR) {
        return {};
    }
    if (adapters->AddressLength < kAddressLength) {
        return {};
    }
    return formatAddress(adapters->Address);
#elif defined(__linux__)
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
        if (link->sll_halen != kAddressLength || allZero(link->sll_addr)) {
            continue;
        }
        result = formatAddress(link->sll_addr);
        break;
    }
    freeifaddrs(list);
    return result;
#else
    return {};
#endif
}

}  // namespace lanzhou::platform
