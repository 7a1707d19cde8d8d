#include "core/run_turn.h"

#include <sddl.h>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "core/process_integrity.h"

namespace corvane {
namespace {

// The turn's mutex in SDDL. Its user may open it with everything that
// CreateMutexW asks for on an existing mutex (MUTEX_ALL_ACCESS), so that
// scripts holding it keep working; an elevated creator's default DACL would
// grant only Administrators and SYSTEM. Its label is medium, or the
// creator's level where that is lower (no process may label above its own
// level): an elevated creator would otherwise give it a high label.
std::optional<std::wstring> RunTurnSecurityText() {
    const std::vector<DWORD> user = ReadTokenInformation(GetCurrentProcess(), TokenUser);
    if (user.size() * sizeof(DWORD) < sizeof(TOKEN_USER))
        return std::nullopt;
    wchar_t* userText = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid, &userText))
        return std::nullopt;
    const UniqueLocalMemory ownedUserText(userText);
    static_assert(MUTEX_ALL_ACCESS == 0x1F0001, "the mask below");
    std::wstring text = L"D:P(A;;0x1F0001;;;" + std::wstring(userText) + L")";
    if (const std::optional<DWORD> level = ProcessIntegrityLevel(GetCurrentProcess()))
        text += L"S:(ML;;NW;;;S-1-16-" + std::to_wstring(std::min<DWORD>(*level, SECURITY_MANDATORY_MEDIUM_RID)) + L")";
    return text;
}

UniqueLocalMemory RunTurnSecurityDescriptor() {
    const std::optional<std::wstring> text = RunTurnSecurityText();
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (text && !ConvertStringSecurityDescriptorToSecurityDescriptorW(text->c_str(), SDDL_REVISION_1, &descriptor,
                                                                      nullptr))
        descriptor = nullptr;
    return UniqueLocalMemory(descriptor);
}

// The starter that holds the turn for this process put it, before it ran,
// into the job named for it. A job of another name (a script runner's) says
// nothing, nor does that name without this process in its job; a program
// that starts a run in such a job itself can at worst let that run skip its
// wait.
bool TurnHeldByStarter() {
    const UniqueHandle job(OpenJobObjectW(JOB_OBJECT_QUERY, FALSE, RunTurnJobName(GetCurrentProcessId()).c_str()));
    BOOL inJob = FALSE;
    // A null job would ask whether this process is in any job at all.
    return job && IsProcessInJob(GetCurrentProcess(), job.get(), &inJob) && inJob;
}

// Null when the name is taken already: another program's handle to that job
// would keep it, and the program in it, alive after this process.
UniqueHandle CreateTurnJob(DWORD processId) {
    SetLastError(ERROR_SUCCESS);
    UniqueHandle job(CreateJobObjectW(nullptr, RunTurnJobName(processId).c_str()));
    if (job && GetLastError() == ERROR_ALREADY_EXISTS)
        return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job && !SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits)))
        job.reset();
    return job;
}

} // namespace

RunTurn::RunTurn(DWORD waitMs) {
    if (TurnHeldByStarter()) {
        held_ = true;
        return;
    }
    mutex_ = OpenRunTurnMutex();
    if (!mutex_)
        return;
    const DWORD waited = WaitForSingleObject(mutex_.get(), waitMs);
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

RunTurn::~RunTurn() {
    if (held_ && mutex_)
        ReleaseMutex(mutex_.get());
}

UniqueHandle OpenRunTurnMutex() {
    // Without a descriptor of its own the mutex gets the creator's defaults,
    // which lock normal runs out after an elevated one.
    const UniqueLocalMemory descriptor = RunTurnSecurityDescriptor();
    SECURITY_ATTRIBUTES security{sizeof(security), descriptor.get(), FALSE};
    return UniqueHandle(CreateMutexExW(descriptor ? &security : nullptr, kRunTurnMutexName, 0,
                                       SYNCHRONIZE | MUTEX_MODIFY_STATE));
}

std::wstring RunTurnJobName(DWORD processId) {
    return std::wstring(kRunTurnMutexName) + L"." + std::to_wstring(processId);
}

// Where this process is in a job, the new job nests in it (Windows 8 and
// later) and the program stays within the caller's limits. Where it cannot
// nest (Windows 7; user-interface limits), the program has to break away
// from this process's job, which that job may refuse.
ProcessOnThisTurn::ProcessOnThisTurn(const std::wstring& program, std::wstring commandLine) {
    for (const DWORD breakaway : {DWORD{0}, DWORD{CREATE_BREAKAWAY_FROM_JOB}}) {
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED | breakaway,
                            nullptr, nullptr, &startup, &started))
            continue;
        UniqueHandle process(started.hProcess);
        const UniqueHandle thread(started.hThread);
        UniqueHandle job = CreateTurnJob(started.dwProcessId);
        if (job && AssignProcessToJobObject(job.get(), process.get()) &&
            ResumeThread(thread.get()) != static_cast<DWORD>(-1)) {
            job_ = std::move(job);
            process_ = std::move(process);
            return;
        }
        TerminateProcess(process.get(), static_cast<UINT>(-1));
        if (!job)
            return;
    }
}

} // namespace corvane
