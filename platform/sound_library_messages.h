#pragma once

namespace lanzhou::platform {

// Keeps the system's sound library from writing its own error reports to
// standard error (on Linux, ALSA prints a dozen lines when there is no sound
// card; the caller learns of the failure from its own calls anyway). Call
// before the sound output is opened; does nothing where there is no such
// library or no such chatter.
void silenceSoundLibraryMessages();

}  // namespace lanzhou::platform
