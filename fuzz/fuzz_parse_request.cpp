// Client requests as the server reads them: total on arbitrary bytes, and a
// well-formed login read back from the request it builds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "protocol/gbk_text.h"
#include "protocol/message_catalogue.h"
#include "protocol/request_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lanzhou::protocol;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const ClientRequest request = parseRequest(text);
    for (const auto& field : request.fields) {
        if (field.size() > size) {
            std::abort();
        }
    }

    // A login of non-empty plain ASCII fields survives the round trip. (An
    // empty last field is not a field of its own when split; with GBK bytes,
    // a lead byte at the end of the account may pair with the "|" after it.
    // The client's checks send neither.)
    const auto plain = [](std::string_view field) {
        for (const char ch : field) {
            if (static_cast<unsigned char>(ch) >= 0x80) {
                return false;
            }
        }
        return !field.empty() && !containsCharacter(field, kFieldSeparator);
    };
    if (request.code == RequestCode::Login && request.wellFormed && request.fields.size() == 2) {
        const auto& account = request.fields[0];
        const auto& password = request.fields[1];
        if (plain(account) && plain(password)) {
            const ClientRequest again = parseRequest(request::login(account, password));
            if (again.code != RequestCode::Login || !again.wellFormed ||
                again.fields != request.fields) {
                std::abort();
            }
        }
    }
    return 0;
}
