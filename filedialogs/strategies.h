#pragma once

#include <string>

#include "core/file_name_box.h"
#include "core/target_window.h"

namespace corvane {

// Fills a standard open/save dialog by messages: the folder goes into the
// file-name box and the dialog's OK command changes into it, then the file
// name is put in once the dialog has finished changing. 0 when the box shows
// the file name at the end; -1 when nothing could be done, the dialog did not
// reach the folder as far as it tells, or the name did not stay in the box.
int FillStandardFileDialog(TargetWindow dialog, const std::wstring& path, TargetWindow fileNameBox,
                           unsigned int okCommandId);

// Fills an Office file dialog: folder text and an Enter key in the box, then
// the file name. 0 when the box shows the file name at the end; -1 when
// nothing could be done, Enter could not be pressed in the box (which is then
// left as it was), or the name did not stay.
int FillOfficeFileDialog(TargetWindow dialog, const std::wstring& path, TargetWindow fileNameBox);

// Fills an item dialog's name box (the folder picker's "Folder:" box) with the
// whole target path and confirms nothing: the dialog stays in its folder. 0
// when the box shows the path at the end; -1 when nothing could be done or it
// did not take the path.
int FillItemDialogBox(TargetWindow dialog, const std::wstring& path, TargetWindow nameBox);

// Sets the box's text by WM_SETTEXT until it reads back (checked so, and is
// still there after a settle time); at most 10 attempts, 100 ms apart. A
// dialog that empties the box late makes it put the text again.
bool PutTextUntilItStays(const TargetWindow& box, const std::wstring& text, NameCheck check);

} // namespace corvane
