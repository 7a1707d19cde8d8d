#include "support/process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>

#include "support/text.h"

namespace corvane::test {
namespace {

std::wstring ModuleDirectory() {
    wchar_t path[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    std::wstring full(path, length);
    return full.substr(0, full.rfind(L'\\'));
}

struct Pipe {
    HANDLE read = nullptr;
    HANDLE write = nullptr;
};

Pipe InheritableOutputPipe() {
    SECURITY_ATTRIBUTES security{sizeof(security), nullptr, TRUE};
    Pipe pipe;
    if (!CreatePipe(&pipe.read, &pipe.write, &security, 0))
        throw std::runtime_error("CreatePipe failed");
    SetHandleInformation(pipe.read, HANDLE_FLAG_INHERIT, 0);
    return pipe;
}

DWORD StartProcess(const std::wstring& commandLine, HANDLE output, HANDLE& process) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION info{};
    std::wstring mutableLine = commandLine;
    if (!CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &info))
        throw std::runtime_error("CreateProcess failed: " + ToUtf8(commandLine));
    CloseHandle(info.hThread);
    process = info.hProcess;
    return info.dwProcessId;
}

std::wstring JoinCommandLine(const std::wstring& program, const std::vector<std::wstring>& arguments) {
    std::wstring line = QuoteArgument(program);
    for (const std::wstring& argument : arguments)
        line += L" " + QuoteArgument(argument);
    return line;
}

bool HasTag(const std::wstring& line, const std::wstring& tag) {
    return line == tag || (line.size() > tag.size() && line.compare(0, tag.size(), tag) == 0 &&
                           line[tag.size()] == L' ');
}

std::wstring AfterTag(const std::wstring& line, const std::wstring& tag) {
    return line.size() > tag.size() ? line.substr(tag.size() + 1) : std::wstring();
}

int WaitForExitCode(HANDLE process, DWORD timeoutMs, const std::wstring& what) {
    if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process, 0xDEAD);
        WaitForSingleObject(process, 5000);
        ADD_FAILURE() << "program did not end within " << timeoutMs << " ms: " << ToUtf8(what);
        CloseHandle(process);
        return 0x7FFFFFFF;
    }
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return static_cast<int>(code);
}

} // namespace

std::wstring ThisArch() {
    return sizeof(void*) == 8 ? L"x86-64" : L"x86-32";
}

std::wstring BinaryDir() {
    static const std::wstring directory = ModuleDirectory();
    return directory;
}

std::wstring BinaryPath(const std::wstring& name, const std::wstring& arch) {
    return BinaryDir() + L"\\" + name + L"." + arch + L".exe";
}

namespace {

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring ProbeArchitecture(const std::wstring& arch) {
    for (const wchar_t* program : {L"testhost", L"Corvane"})
        if (!FileExists(BinaryPath(program, arch)))
            return BinaryPath(program, arch) + L" is not built (build both architectures)";
    try {
        ChildProcess host(BinaryPath(L"testhost", arch), {L"module-path"});
        const std::optional<DWORD> code = host.WaitForExit(20000);
        if (!code)
            return L"testhost." + arch + L".exe did not end within 20 s";
        if (*code != 0 || !host.WaitForLine(L"RESULT", 1000))
            return L"testhost." + arch + L".exe could not run (exit code " + std::to_wstring(*code) +
                   L"): this machine cannot start " + arch + L" programs";
    } catch (const std::exception&) {
        return L"CreateProcess refused testhost." + arch + L".exe: this machine cannot start " + arch + L" programs";
    }
    return L"";
}

} // namespace

std::wstring WhyArchitectureCannotRun(const std::wstring& arch) {
    static std::map<std::wstring, std::wstring> reasons;
    const auto known = reasons.find(arch);
    if (known != reasons.end())
        return known->second;
    return reasons[arch] = arch == ThisArch() ? std::wstring() : ProbeArchitecture(arch);
}

std::wstring QuoteArgument(const std::wstring& argument) {
    std::wstring quoted(1, L'"');
    std::size_t pendingBackslashes = 0;
    for (const wchar_t unit : argument) {
        if (unit == L'\\') {
            ++pendingBackslashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote escaped.
        quoted.append(unit == L'"' ? pendingBackslashes * 2 + 1 : pendingBackslashes, L'\\');
        pendingBackslashes = 0;
        quoted += unit;
    }
    quoted.append(pendingBackslashes * 2, L'\\');
    quoted += L'"';
    return quoted;
}

ChildProcess::ChildProcess(const std::wstring& program, const std::vector<std::wstring>& arguments)
    : ChildProcess(CommandLine{JoinCommandLine(program, arguments)}) {}

ChildProcess::ChildProcess(const CommandLine& commandLine) {
    Pipe pipe = InheritableOutputPipe();
    try {
        processId_ = StartProcess(commandLine.text, pipe.write, process_);
    } catch (...) {
        CloseHandle(pipe.read);
        CloseHandle(pipe.write);
        throw;
    }
    CloseHandle(pipe.write);
    reader_ = std::thread([this, read = pipe.read] { ReadOutput(read); });
}

ChildProcess::~ChildProcess() {
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 0xDEAD);
        WaitForSingleObject(process_, 5000);
    }
    if (reader_.joinable())
        reader_.join();
    CloseHandle(process_);
}

void ChildProcess::ReadOutput(HANDLE pipe) {
    std::string pending;
    char chunk[4096];
    DWORD count = 0;
    while (ReadFile(pipe, chunk, sizeof(chunk), &count, nullptr) && count > 0) {
        pending.append(chunk, count);
        std::size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            std::lock_guard<std::mutex> lock(mutex_);
            lines_.push_back(FromUtf8(line));
            arrived_.notify_all();
        }
    }
    CloseHandle(pipe);
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    arrived_.notify_all();
}

std::optional<DWORD> ChildProcess::WaitForExit(DWORD timeoutMs) {
    if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
}

std::optional<std::wstring> ChildProcess::WaitForLine(const std::wstring& tag, DWORD timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    std::optional<std::wstring> found;
    arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        for (const std::wstring& line : lines_) {
            if (HasTag(line, tag)) {
                found = AfterTag(line, tag);
                return true;
            }
        }
        return closed_;
    });
    return found;
}

std::vector<std::wstring> ChildProcess::LinesTagged(const std::wstring& tag) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::wstring> tagged;
    for (const std::wstring& line : lines_)
        if (HasTag(line, tag))
            tagged.push_back(AfterTag(line, tag));
    return tagged;
}

std::vector<std::wstring> ChildProcess::Lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
}

std::vector<std::wstring> ChildProcess::AllLines(DWORD timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return closed_; });
    return lines_;
}

int RunCorvaneRaw(const std::wstring& commandLineTail, const std::wstring& arch, DWORD timeoutMs) {
    std::wstring line = QuoteArgument(BinaryPath(L"Corvane", arch));
    if (!commandLineTail.empty())
        line += L" " + commandLineTail;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        ADD_FAILURE() << "cannot start " << ToUtf8(line);
        return 0x7FFFFFFF;
    }
    CloseHandle(info.hThread);
    return WaitForExitCode(info.hProcess, timeoutMs, line);
}

int RunCorvane(const std::vector<std::wstring>& arguments, const std::wstring& arch, DWORD timeoutMs) {
    std::wstring tail;
    // Each argument between plain quotes, as file managers and scripts pass
    // paths: the program reads its argument with backslashes literal.
    for (const std::wstring& argument : arguments) {
        if (!tail.empty())
            tail += L" ";
        tail += L"\"" + argument + L"\"";
    }
    return RunCorvaneRaw(tail, arch, timeoutMs);
}

} // namespace corvane::test
