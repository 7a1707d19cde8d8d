#pragma once

#include "inspect/report_output.h"

namespace corvane::inspect {

// For the topmost visible top-level windows whose class is "#32770" or
// begins with "bosa_sdm_" (at most three): the owning program and every
// descendant with its depth, class, control id, visibility and, for Static
// and Button controls only, their text cut to 40 characters. Texts of edit
// boxes, combo boxes, lists and every other class may hold file names and
// are never read.
void ReportUnrecognisedDialogs(ReportOutput& out);

} // namespace corvane::inspect
