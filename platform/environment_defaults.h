#pragma once

#include <initializer_list>
#include <utility>

namespace lanzhou::platform {

// Puts each variable of `defaults` (name, value) that is unset or empty into
// the environment. Some libraries read such settings while they load, before
// main() could set them, so where one was missing the program is then
// started again in place of this process (same id, same arguments: `argv` as
// main() got it), now with them; that returns only when the new start
// failed. On Windows the variables are only set.
void applyEnvironmentDefaults(char** argv,
                              std::initializer_list<std::pair<const char*, const char*>> defaults);

}  // namespace lanzhou::platform
