#include "platform/gbk.h"

#include <cstddef>
#include <string>
#include <string_view>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <iconv.h>
#include <cerrno>
#endif

namespace lanzhou::platform {

namespace {

bool isAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// Length of the well-formed UTF-8 sequence at the start of `text`, or 0 when
// the bytes there are not one.
std::size_t utf8SequenceLength(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char b = byte(i);
        const unsigned char lo = i == 1 ? low : 0x80;
        const unsigned char hi = i == 1 ? high : 0xBF;
        if (b < lo || b > hi) {
            return 0;
        }
    }
    return length;
}

// Length of the GBK character at the start of `text`: 1 for ASCII, 2 for a
// lead byte with a byte of the trail range; 0 for anything else (a stray
// byte, a lead byte without its trail).
std::size_t gbkCharacterLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0x81 && lead <= 0xFE && text.size() >= 2) {
        const auto trail = static_cast<unsigned char>(text[1]);
        if (trail >= 0x40 && trail <= 0xFE && trail != 0x7F) {
            return 2;
        }
    }
    return 0;
}

#ifdef _WIN32

// Code page 936 is passed explicitly: the process's ANSI code page follows
// the system's locale and is not GBK everywhere.
constexpr UINT kGbkCodePage = 936;
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";  // U+FFFD

std::wstring wideFrom(UINT codePage, std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    if (needed <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), needed);
    return wide;
}

// As wideFrom, but empty when any character is not valid in the code page.
std::wstring strictWideFrom(UINT codePage, std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    const int needed =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
    if (needed <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), length, wide.data(), needed);
    return wide;
}

std::string narrowFrom(UINT codePage, const std::wstring& wide) {
    if (wide.empty()) {
        return {};
    }
    const int length = static_cast<int>(wide.size());
    // The code page 65001 refuses a default character; code page 936 takes "?".
    const char* defaultChar = codePage == CP_UTF8 ? nullptr : "?";
    const int needed =
        WideCharToMultiByte(codePage, 0, wide.data(), length, nullptr, 0, defaultChar, nullptr);
    if (needed <= 0) {
        return {};
    }
    std::string narrow(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), length, narrow.data(), needed, defaultChar,
                        nullptr);
    return narrow;
}

#else

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

#endif

}  // namespace

std::string gbkFromUtf8(std::string_view utf8) {
    if (isAscii(utf8)) {
        return std::string(utf8);
    }
#ifdef _WIN32
    // Each character on its own terms: one "?" for a character GBK lacks
    // (the system would give two for one outside the 16-bit range) and for
    // each byte that is not UTF-8.
    std::string gbk;
    gbk.reserve(utf8.size());
    std::size_t position = 0;
    while (position < utf8.size()) {
        const std::string_view rest = utf8.substr(position);
        const std::size_t length = utf8SequenceLength(rest);
        if (length == 0 || length == 4) {
            gbk += '?';
            position += length == 0 ? 1 : 4;
            continue;
        }
        gbk += length == 1 ? std::string(1, rest[0])
                           : narrowFrom(kGbkCodePage, wideFrom(CP_UTF8, rest.substr(0, length)));
        position += length;
    }
    return gbk;
#else
    thread_local Converter converter("GBK", "UTF-8");
    return converter.convert(utf8, "?", [](std::string_view rest) {
        const std::size_t length = utf8SequenceLength(rest);
        return length == 0 ? std::size_t{1} : length;
    });
#endif
}

std::string utf8FromGbk(std::string_view gbk) {
    if (isAscii(gbk)) {
        return std::string(gbk);
    }
#ifdef _WIN32
    // Runs of well-formed characters are converted at once; a byte that
    // starts no character, and a pair the code page does not map, give U+FFFD
    // (the system would map some stray bytes to private-use characters).
    std::string utf8;
    utf8.reserve(gbk.size() * 3 / 2 + 4);
    std::size_t position = 0;
    while (position < gbk.size()) {
        std::size_t end = position;
        while (end < gbk.size() && gbkCharacterLength(gbk.substr(end)) != 0) {
            end += gbkCharacterLength(gbk.substr(end));
        }
        if (end > position) {
            const std::string_view run = gbk.substr(position, end - position);
            std::wstring wide = strictWideFrom(kGbkCodePage, run);
            if (!wide.empty() || run.empty()) {
                utf8 += narrowFrom(CP_UTF8, wide);
            } else {
                for (std::size_t i = 0; i < run.size();) {
                    const std::size_t length = gbkCharacterLength(run.substr(i));
                    const std::wstring one = strictWideFrom(kGbkCodePage, run.substr(i, length));
                    utf8 += one.empty() ? std::string(kReplacementUtf8) : narrowFrom(CP_UTF8, one);
                    i += length;
                }
            }
            position = end;
        } else {
            utf8 += kReplacementUtf8;
            ++position;
        }
    }
    return utf8;
#else
    thread_local Converter converter("UTF-8", "GBK");
    return converter.convert(gbk, kReplacementUtf8, gbkBadCharacterLength);
#endif
}

}  // namespace lanzhou::platform
