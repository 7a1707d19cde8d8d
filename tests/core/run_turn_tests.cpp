// The security of the mutex that runs take turns on. Wine runs every process
// at one integrity level, so a normal run meeting the mutex of an elevated
// one cannot be played here: the descriptor that decides it is read back.

#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>

#include <algorithm>
#include <vector>

#include "core/process_integrity.h"
#include "core/run_turn.h"

namespace corvane {
namespace {

// One entry: the user, whose SID an elevated token and a normal one share,
// with all that CreateMutexW asks for on an existing mutex (what a script
// does). A label of medium at most, whatever this run's level, that keeps
// lower levels from writing.
TEST(RunTurnMutex, LetsEveryRunOfItsUserInAtMediumAtMost) {
    const UniqueHandle created = OpenRunTurnMutex();
    const UniqueHandle script(CreateMutexW(nullptr, FALSE, kRunTurnMutexName));
    const UniqueHandle readable(OpenMutexW(READ_CONTROL, FALSE, kRunTurnMutexName));
    ASSERT_TRUE(created && script && readable);
    PACL dacl = nullptr;
    PACL sacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(GetSecurityInfo(readable.get(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION | LABEL_SECURITY_INFORMATION,
                              nullptr, nullptr, &dacl, &sacl, &descriptor),
              static_cast<DWORD>(ERROR_SUCCESS));
    const UniqueLocalMemory ownedDescriptor(descriptor);
    ACCESS_ALLOWED_ACE* allowed = nullptr;
    ASSERT_TRUE(dacl && dacl->AceCount == 1 && GetAce(dacl, 0, reinterpret_cast<void**>(&allowed)));
    EXPECT_EQ(allowed->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
    EXPECT_EQ(allowed->Mask & MUTEX_ALL_ACCESS, static_cast<DWORD>(MUTEX_ALL_ACCESS));
    const std::vector<DWORD> user = ReadTokenInformation(GetCurrentProcess(), TokenUser);
    ASSERT_FALSE(user.empty());
    EXPECT_TRUE(EqualSid(&allowed->SidStart, reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid));

    const std::optional<DWORD> ownLevel = ProcessIntegrityLevel(GetCurrentProcess());
    SYSTEM_MANDATORY_LABEL_ACE* label = nullptr;
    ASSERT_TRUE(ownLevel && sacl && sacl->AceCount == 1 && GetAce(sacl, 0, reinterpret_cast<void**>(&label)));
    EXPECT_EQ(label->Header.AceType, SYSTEM_MANDATORY_LABEL_ACE_TYPE);
    const PSID labelSid = &label->SidStart;
    EXPECT_EQ(*GetSidSubAuthority(labelSid, *GetSidSubAuthorityCount(labelSid) - 1u),
              std::min<DWORD>(*ownLevel, SECURITY_MANDATORY_MEDIUM_RID))
        << "this process runs at " << *ownLevel;
    EXPECT_NE(label->Mask & SYSTEM_MANDATORY_LABEL_NO_WRITE_UP, 0u);
}

} // namespace
} // namespace corvane
