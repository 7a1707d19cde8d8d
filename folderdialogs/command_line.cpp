#include "folderdialogs/command_line.h"

namespace corvane {

std::wstring QuoteForHandOver(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

} // namespace corvane
