#include "platform/gbk.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <string>

#include "platform/character_length.h"

namespace lanzhou::platform {

namespace {

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";  // U+FFFD

// Length of the unreadable GBK character at the start of `text`: a lead byte
// with a byte of the trail range forms one (unmapped) character, anything else
// is one stray byte.
std::size_t gbkBadCharacterLength(std::string_view text) {
    return gbkCharacterLength(text) == 2 ? 2 : 1;
}

// One conversion descriptor per thread and direction: iconv_t keeps state and
// must not be shared between threads.
class Converter final {
public:
    Converter(const char* to, const char* from) : m_handle(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) {
            iconv_close(m_handle);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return m_handle != reinterpret_cast<iconv_t>(-1); }

    // Converts `input`; at a byte sequence iconv refuses, `skip(rest)` tells
    // how many bytes to pass over and `replacement` is written instead.
    template <typename Skip>
    std::string convert(std::string_view input, std::string_view replacement, Skip skip) {
        std::string output;
        output.reserve(input.size() * 2 + 16);
        if (!valid()) {
            return output;
        }
        iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
        char buffer[1024];
        std::size_t position = 0;
        while (position < input.size()) {
            char* in = const_cast<char*>(input.data() + position);
            std::size_t inLeft = input.size() - position;
            char* out = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t result = iconv(m_handle, &in, &inLeft, &out, &outLeft);
            const int error = errno;
            output.append(buffer, static_cast<std::size_t>(out - buffer));
            position = input.size() - inLeft;
            if (result != static_cast<std::size_t>(-1)) {
                continue;
            }
            if (error == E2BIG) {
                continue;
            }
            // EILSEQ, EINVAL (incomplete at the end) or anything unexpected.
            output.append(replacement);
            const std::size_t step = skip(input.substr(position));
            position += step == 0 ? 1 : step;
            iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
        }
        return output;
    }

private:
    iconv_t m_handle;
};

}  // namespace

std::string gbkFromUtf8(std::string_view utf8) {
    if (isAscii(utf8)) {
        return std::string(utf8);
    }
    thread_local Converter converter("GBK", "UTF-8");
    return converter.convert(utf8, "?", [](std::string_view rest) {
        const std::size_t length = utf8SequenceLength(rest);
        return length == 0 ? std::size_t{1} : length;
    });
}

std::string utf8FromGbk(std::string_view gbk) {
    if (isAscii(gbk)) {
        return std::string(gbk);
    }
    thread_local Converter converter("UTF-8", "GBK");
    return converter.convert(gbk, kReplacementUtf8, gbkBadCharacterLength);
}

}  // namespace lanzhou::platform
