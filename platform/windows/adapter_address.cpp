#include "platform/adapter_address.h"

#include "platform/windows/prelude.h"
// clang-format off
#include <iphlpapi.h>
// clang-format on

#include <vector>

namespace lanzhou::platform {

std::string firstAdapterAddress() {
    ULONG size = 0;
    if (GetAdaptersInfo(nullptr, &size) != ERROR_BUFFER_OVERFLOW || size == 0) {
        return {};
    }
    std::vector<unsigned char> buffer(size);
    auto* adapters = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
    if (GetAdaptersInfo(adapters, &size) != NO_ERROR) {
        return {};
    }
    if (adapters->AddressLength < kAdapterAddressLength) {
        return {};
    }
    return adapterAddressText(adapters->Address);
}

}  // namespace lanzhou::platform
