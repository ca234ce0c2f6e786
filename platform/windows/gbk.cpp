#include "platform/gbk.h"

#include "platform/windows/prelude.h"

#include <cstddef>
#include <string>

#include "platform/character_length.h"

namespace lanzhou::platform {

namespace {

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

}  // namespace

std::string gbkFromUtf8(std::string_view utf8) {
    if (isAscii(utf8)) {
        return std::string(utf8);
    }
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
}

std::string utf8FromGbk(std::string_view gbk) {
    if (isAscii(gbk)) {
        return std::string(gbk);
    }
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
}

}  // namespace lanzhou::platform
