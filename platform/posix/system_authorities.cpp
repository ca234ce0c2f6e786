#include "platform/system_authorities.h"

namespace lanzhou::platform {

std::vector<std::string> systemAuthorityCertificates() {
    return {};
}

}  // namespace lanzhou::platform
