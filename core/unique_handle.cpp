#include "core/unique_handle.h"

namespace corvane {

UniqueHandle OpenProcessOfWindow(HWND window) {
    DWORD processId = 0;
    if (GetWindowThreadProcessId(window, &processId) == 0 || processId == 0)
        return nullptr;
    return UniqueHandle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
}

} // namespace corvane
