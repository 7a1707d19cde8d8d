#pragma once

#include <shlobj.h>

#include <string>

namespace corvane {

// The display names of the path's shell items below the desktop, joined by
// cvlib::kComponentSeparator: the chain of item texts a browse-for-folder
// tree shows for it. Empty when any level cannot be named.
std::wstring ResolveDisplayPath(const std::wstring& path);

// Why the hook could not be sent along a display path: the shell could not
// name every level, or the path is longer than the hook reads of the
// carrier's title.
enum class DisplayPathFault { None, Unnamed, TooLong };
DisplayPathFault FindDisplayPathFault(const std::wstring& displayPath);

// Display name of a one-level item relative to folder; empty on failure.
std::wstring ItemDisplayName(IShellFolder* folder, LPCITEMIDLIST item);

} // namespace corvane
