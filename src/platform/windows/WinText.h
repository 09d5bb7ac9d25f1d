#pragma once

// What every Windows service file shares: the program's UTF-8 paths as the wide paths of the
// W functions, and the system's error codes as the program's I/O codes.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include "platform/IoCode.h"

#include <string>
#include <string_view>
#include <windows.h>

namespace lh::platform::win {

// The wide form of a path for the file functions, with "/" as "\". A path too long for the
// classic limit is made full and given the "\\?\" prefix (or "\\?\UNC\" for a share), which
// lifts the limit; shorter ones stay as they are, so the system's own name rules still apply.
std::wstring WidePath(std::string_view path);

// An environment variable as UTF-8; empty when it is not set.
std::string EnvironmentText(const wchar_t* name);

// What a system error means to the program: its kind, or Other with the error's number.
IoCode IoCodeOf(DWORD error) noexcept;

} // namespace lh::platform::win
