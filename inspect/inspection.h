#pragma once

#include <optional>
#include <string>

#include "inspect/report_output.h"

namespace corvane::inspect {

// Reports what a run of the program beside this one would find now, with
// the target when one is given: the same recognition, target resolution and
// checks before driving, and nothing that changes a window or a setting.
// 0 when the run would drive a dialog, 1 when it would exit with -1 first.
int Inspect(const std::optional<std::wstring>& target, ReportOutput& out);

} // namespace corvane::inspect
