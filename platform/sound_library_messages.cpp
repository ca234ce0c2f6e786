#include "platform/sound_library_messages.h"

#ifdef __linux__
#include <dlfcn.h>
#endif

namespace lanzhou::platform {

#ifdef __linux__
namespace {

// ALSA's error handler (snd_lib_error_handler_t), variadic like printf.
using AlsaErrorHandler = void (*)(const char* file, int line, const char* function, int error,
                                  const char* format, ...);
using SetAlsaErrorHandler = int (*)(AlsaErrorHandler);

void dropAlsaError(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

void silenceSoundLibraryMessages() {
    // The sound library loads ALSA by this name itself; the handler is
    // ALSA's global, so it holds for that use too. The library stays loaded.
    static const bool done = [] {
        void* alsa = ::dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
        if (alsa == nullptr) {
            return false;
        }
        const auto set =
            reinterpret_cast<SetAlsaErrorHandler>(::dlsym(alsa, "snd_lib_error_set_handler"));
        return set != nullptr && set(&dropAlsaError) == 0;
    }();
    static_cast<void>(done);
}
#else
void silenceSoundLibraryMessages() {}
#endif

}  // namespace lanzhou::platform
