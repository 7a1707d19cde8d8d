#include "tallow/module_path.h"

namespace tallow {

std::wstring GetModulePath() {
    return detail::ReadWithGrowingBuffer([](wchar_t* buffer, DWORD capacity) {
        return GetModuleFileNameW(nullptr, buffer, capacity);
    });
}

} // namespace tallow
