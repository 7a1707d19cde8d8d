#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/host.h"
#include "support/lock_timeout.h"
#include "support/process.h"

namespace corvane::test {

// The architectures whose program and host the end-to-end runs drive: this
// build's own, and from the 64-bit build also the 32-bit one.
std::vector<std::wstring> ArchitecturesToRun();
std::string ArchName(const ::testing::TestParamInfo<std::wstring>& info);

// Base of the end-to-end tests: parameterised by architecture, skipped with
// the reason when that architecture's programs cannot start here.
class ArchitectureTest : public ::testing::TestWithParam<std::wstring> {
protected:
    void SetUp() override { CORVANE_SKIP_UNLESS_ARCH_RUNS(GetParam()); }
    const std::wstring& arch() const { return GetParam(); }
};

// The text of a dialog's control, read from this process.
std::wstring ControlText(HWND dialog, int id);

} // namespace corvane::test
