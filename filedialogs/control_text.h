#pragma once

#include <string>

#include "core/target_window.h"

namespace corvane {

// Sets the window's text with WM_SETTEXT; the result is not examined.
void SetControlText(const TargetWindow& window, const std::wstring& text);

// Reads the window's text up to 10 times, 10 ms apart, until it equals the
// expected text. Reports nothing: callers go on either way.
void WaitForControlText(const TargetWindow& window, const std::wstring& expected);

} // namespace corvane
