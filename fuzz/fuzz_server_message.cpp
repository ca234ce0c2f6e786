// Server messages after unpacking: the catalogue's parser and the text
// helpers it uses must be total on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>

#include "protocol/date_time.h"
#include "protocol/gbk_text.h"
#include "protocol/lenient_int.h"
#include "protocol/message_catalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lanzhou::protocol;
    const std::string_view text =
        untilZero(std::string_view(reinterpret_cast<const char*>(data), size));

    const ServerMessage message = parseServerMessage(text);
    if (message.code != serverCodeOf(text)) {
        std::abort();
    }

    // A ten-piece alert read back from its own answer is the same alert
    // (unless its last field is empty: an empty last field is not sent).
    if (const auto* alert = std::get_if<AlertRecord>(&message.body);
        alert && !alert->popup.empty()) {
        const ServerMessage again = parseServerMessage(answer::alert(message.code, *alert));
        const auto* reread = std::get_if<AlertRecord>(&again.body);
        if (reread == nullptr || *reread != *alert) {
            std::abort();
        }
    }

    // The receive path reads alerts as fields, exactly where the parser
    // reads an alert record.
    const auto fields = alertFieldsOf(text);
    const auto* record = std::get_if<AlertRecord>(&message.body);
    if (fields.has_value() != (record != nullptr) || (record && *fields != fieldsOf(*record))) {
        std::abort();
    }

    // Pieces are views into the text and never hold a separator at a
    // character boundary.
    for (const std::string_view piece : splitPieces(text, kFieldSeparator)) {
        if (piece.data() < text.data() || piece.data() + piece.size() > text.data() + text.size() ||
            containsCharacter(piece, kFieldSeparator)) {
            std::abort();
        }
    }

    const DateTime time = parseDateTime(text);
    if (time != DateTime::null() && parseDateTime(formatDateTime(time)) != time) {
        std::abort();
    }
    if (DateTime::fromTotalSeconds(time.totalSeconds()) != time) {
        std::abort();
    }
    static_cast<void>(lenientInt(text));
    static_cast<void>(versionNumber(text));
    if (!equalsIgnoringLatinCase(text, foldLatinCase(text))) {
        std::abort();
    }
    return 0;
}
