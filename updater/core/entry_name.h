#pragma once

#include <string_view>
#include <vector>

namespace lanzhou::updater {

// Whether an archive entry's name may be written under the target: relative,
// no drive or root, no ".." component, "\" counted as a separator like "/".
// Components of nothing but dots and blanks ("...", ". .") are refused too:
// some systems drop trailing dots and blanks and read them as "..".
bool safeEntryName(std::string_view name);

// The parts of an entry name between "/" or "\", without empty and "." parts.
std::vector<std::string_view> entryNameComponents(std::string_view name);

// Whether `text` is well-formed UTF-8 (no overlong forms, no surrogates).
bool validUtf8(std::string_view text);

}  // namespace lanzhou::updater
