#include "updater/core/entry_name.h"

#include <cstddef>

namespace lanzhou::updater {

namespace {

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

bool onlyDotsAndBlanks(std::string_view component) {
    return component.find_first_not_of(". ") == std::string_view::npos;
}

}  // namespace

bool safeEntryName(std::string_view name) {
    if (name.empty() || isSeparator(name.front()) ||
        name.find_first_of(std::string_view(":\0", 2)) != std::string_view::npos) {
        return false;  // no root, no drive letter or stream name, no zero byte
    }
    const std::vector<std::string_view> components = entryNameComponents(name);
    if (components.empty()) {
        return false;
    }
    for (const std::string_view component : components) {
        if (onlyDotsAndBlanks(component)) {
            return false;
        }
    }
    return true;
}

std::vector<std::string_view> entryNameComponents(std::string_view name) {
    std::vector<std::string_view> components;
    std::size_t begin = 0;
    while (begin <= name.size()) {
        std::size_t end = begin;
        while (end < name.size() && !isSeparator(name[end])) {
            ++end;
        }
        const std::string_view part = name.substr(begin, end - begin);
        if (!part.empty() && part != ".") {
            components.push_back(part);
        }
        begin = end + 1;
    }
    return components;
}

bool validUtf8(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        const auto lead = static_cast<unsigned char>(text[at]);
        std::size_t length = 0;
        char32_t code = 0;
        if (lead < 0x80) {
            length = 1;
            code = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (at + length > text.size()) {
            return false;
        }
        for (std::size_t i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(text[at + i]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kShortest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        at += length;
    }
    return true;
}

}  // namespace lanzhou::updater
