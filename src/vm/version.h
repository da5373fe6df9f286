#pragma once

namespace zunka {

// The system version scripts see through System._n_version, and its text form.
inline constexpr int kSystemVersion = 1210;
inline constexpr const char* kVersionText = "1.21";

}  // namespace zunka
