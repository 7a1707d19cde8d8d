// Calls the hook library's export through the declaration that the program
// uses, so that the link resolves it from the import library.
#include "hooklib/CorvaneLib.h"

extern "C" int WINAPI CallerEntry() {
    return CVLib_SetFolderDialog(nullptr, nullptr, OldFolderBrowser) != nullptr ? 0 : 1;
}
