#include "filedialogs/e2e_support.h"

#include "support/text.h"
#include "support/windows.h"

namespace corvane::test {

std::vector<std::wstring> ArchitecturesToRun() {
    if (ThisArch() == L"x86-64")
        return {L"x86-64", L"x86-32"};
    return {ThisArch()};
}

std::string ArchName(const ::testing::TestParamInfo<std::wstring>& info) {
    return info.param == L"x86-64" ? "x86_64" : "x86_32";
}

std::wstring ControlText(HWND dialog, int id) {
    return WindowText(GetDlgItem(dialog, id));
}

} // namespace corvane::test
