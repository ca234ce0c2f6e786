#include "platform/autostart.h"

#include "platform/windows/prelude.h"

#include <string>
#include <vector>

#include "platform/wide_text.h"

namespace lanzhou::platform {

namespace {

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The Run key of the current user, opened with `access`; nullptr when it
// cannot be (created and) opened.
HKEY openRunKey(REGSAM access, bool create) {
    HKEY key = nullptr;
    const LSTATUS status =
        create ? RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 access, nullptr, &key, nullptr)
               : RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, access, &key);
    return status == ERROR_SUCCESS ? key : nullptr;
}

// Closes the key when the scope ends.
class KeyCloser final {
public:
    explicit KeyCloser(HKEY key) : m_key(key) {}
    ~KeyCloser() {
        if (m_key != nullptr) {
            RegCloseKey(m_key);
        }
    }
    KeyCloser(const KeyCloser&) = delete;
    KeyCloser& operator=(const KeyCloser&) = delete;

private:
    HKEY m_key;
};

}  // namespace

std::string autostartCommand(const std::filesystem::path& program) {
    // A Windows path holds no double quote: the quotes keep spaces together.
    return "\"" + utf8FromWide(program.wstring()) + "\" --minimized";
}

bool registerAutostart(std::string_view name, const std::filesystem::path& program) {
    const HKEY key = openRunKey(KEY_SET_VALUE, true);
    if (key == nullptr) {
        return false;
    }
    const KeyCloser closer(key);
    const std::wstring value = wideFromUtf8(name);
    const std::wstring command = wideFromUtf8(autostartCommand(program));
    const auto bytes = static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, value.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(command.c_str()), bytes) == ERROR_SUCCESS;
}

bool unregisterAutostart(std::string_view name) {
    const HKEY key = openRunKey(KEY_SET_VALUE, false);
    if (key == nullptr) {
        return true;  // no Run key: no entry either
    }
    const KeyCloser closer(key);
    const LSTATUS status = RegDeleteValueW(key, wideFromUtf8(name).c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool isAutostartRegistered(std::string_view name) {
    return registeredAutostartCommand(name).has_value();
}

std::optional<std::string> registeredAutostartCommand(std::string_view name) {
    const HKEY key = openRunKey(KEY_QUERY_VALUE, false);
    if (key == nullptr) {
        return std::nullopt;
    }
    const KeyCloser closer(key);
    const std::wstring value = wideFromUtf8(name);
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key, value.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return std::nullopt;
    }
    std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                         &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    // Stored with or without its terminating zero: up to the first one.
    return utf8FromWide(std::wstring_view(text.data()));
}

}  // namespace lanzhou::platform
