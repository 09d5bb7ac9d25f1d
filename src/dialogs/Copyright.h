#pragma once

// The maker's notice, two lines, as the about box and the splash window show it.

namespace lh {

inline constexpr const char* kCopyrightLine1 = "Copyright (C) Tessella";
inline constexpr const char* kCopyrightLine2 = "All rights reserved.";
inline constexpr const char* kFreeUseLine = "ご自由にお使いください。";

} // namespace lh
