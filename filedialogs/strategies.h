#pragma once

#include <string>

#include "core/target_window.h"

namespace corvane {

// Fills a standard open/save dialog by messages: the folder goes into the
// file-name box and the dialog's OK command changes into it, then the file
// name is put in. 0 done, -1 nothing could be done.
int FillStandardFileDialog(TargetWindow dialog, const std::wstring& path, TargetWindow fileNameBox,
                           unsigned int okCommandId);

// Fills an Office file dialog: folder text and an Enter key in the box, then
// the file name. 0 done, -1 nothing could be done.
int FillOfficeFileDialog(TargetWindow dialog, const std::wstring& path, TargetWindow fileNameBox);

} // namespace corvane
