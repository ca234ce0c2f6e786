#pragma once

// The Windows headers as every Windows body of this layer includes them:
// without the min/max macros, and with Winsock 2 ahead of <windows.h>, which
// would otherwise bring in the older socket header. Include it first, then
// the few extra system headers a body needs.

#ifndef NOMINMAX
#define NOMINMAX
#endif
// clang-format off
#include <winsock2.h>
#include <windows.h>
// clang-format on
