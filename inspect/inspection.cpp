#include "inspect/inspection.h"

#include <vector>

#include "core/process_integrity.h"
#include "core/recognition.h"
#include "core/target_path.h"
#include "core/unique_handle.h"
#include "corvane_version.h"
#include "folderdialogs/display_path.h"
#include "folderdialogs/hand_over.h"
#include "folderdialogs/process_bitness.h"
#include "hooklib/CorvaneLib.h"
#include "inspect/dialog_facts.h"
#include "inspect/recognition_report.h"
#include "inspect/window_tree.h"
#include "tallow/module_path.h"

namespace corvane::inspect {
namespace {

const std::wstring kProgram = L"" CORVANE_PROGRAM_FILE;

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

// The display path's components, each quoted (a component may hold a
// backslash or a leading blank), from the top down.
std::wstring ReadableDisplayPath(const std::wstring& displayPath) {
    std::wstring readable = L"\"";
    for (const wchar_t unit : displayPath)
        readable += unit == cvlib::kComponentSeparator ? std::wstring(L"\" > \"") : std::wstring(1, unit);
    return readable + L"\"";
}

std::wstring IntegrityRefusal(std::optional<DWORD> dialogLevel, std::optional<DWORD> ownLevel) {
    if (!dialogLevel)
        return L"the integrity level of the dialog's program cannot be read (it may run elevated)";
    if (!ownLevel)
        return L"this process's own integrity level cannot be read";
    return L"the dialog's program runs at a higher integrity level, " + IntegrityText(dialogLevel) +
           L", than Corvane started as this inspector was, " + IntegrityText(ownLevel) +
           L": start Corvane elevated too";
}

std::wstring MachineRefusal(HWND dialog) {
    const UniqueHandle process = OpenProcessOfWindow(dialog);
    if (!process)
        return L"the dialog's program cannot be opened to tell its machine";
    const USHORT machine = ProcessMachine(process.get());
    if (machine == IMAGE_FILE_MACHINE_UNKNOWN)
        return L"the machine of the dialog's program cannot be told";
    return L"the dialog's program runs as " + MachineName(machine) + L", which the hook library of " + kProgram +
           L" cannot enter";
}

std::wstring HandOverRefusal(HandOverObstacle obstacle, const std::wstring& programPath) {
    switch (obstacle) {
    case HandOverObstacle::None:
        break;
    case HandOverObstacle::InRedirectedFolder:
        return L"the programs lie in the system folder, where Corvane.x86-32.exe would not find its library: keep "
               L"the four files elsewhere";
    case HandOverObstacle::ProgramMissing:
        return L"Corvane.x86-32.exe is missing: " + Quoted(X86BuildPathBeside(programPath));
    case HandOverObstacle::LibraryMissing:
        return L"CorvaneLib.x86-32.dll is missing: " + Quoted(X86LibraryPathBeside(programPath));
    }
    return {};
}

std::wstring DisplayPathRefusal(DisplayPathFault fault) {
    switch (fault) {
    case DisplayPathFault::None:
        break;
    case DisplayPathFault::Unnamed:
        return L"the shell cannot name every folder of the target (a folder that does not exist, or one the shell "
               L"does not show)";
    case DisplayPathFault::TooLong:
        return L"the display path is too long for the hook library";
    }
    return {};
}

class Inspection {
public:
    Inspection(const std::optional<std::wstring>& target, ReportOutput& out) : target_(target), out_(out) {}

    int Run() {
        out_.Line(L"CorvaneInspect " CORVANE_VERSION_TEXT L", " + MachineName(kOwnMachine));
        out_.Line(L"What " + kProgram + L" would find now; nothing on the desktop is changed.");
        out_.Line();
        RecognitionRecorder recorder;
        FindTargetDialog(&recorder);
        ReportRecognition(recorder, out_);
        out_.Line();
        if (matchedDialog != nullptr && matchedSignature != nullptr)
            ReportDialog(matchedDialog, *matchedSignature);
        else
            ReportUnrecognisedDialogs(out_);
        if (target_) {
            out_.Line();
            ReportTarget(*target_);
        }
        out_.Line();
        return ReportVerdict();
    }

private:
    bool chosen() const { return matchedDialog != nullptr && matchedSignature != nullptr; }

    void ReportDialog(HWND dialog, const DialogSignature& signature) {
        out_.Line(L"Dialog");
        out_.Line(L"  program: " + ProgramFileName(dialog));
        const UniqueHandle process = OpenProcessOfWindow(dialog);
        const USHORT machine = process ? ProcessMachine(process.get()) : IMAGE_FILE_MACHINE_UNKNOWN;
        out_.Line(L"  machine: " + MachineName(machine) + L" (this inspector: " + MachineName(kOwnMachine) + L")");
        const std::optional<DWORD> dialogLevel = IntegrityLevelOfWindow(dialog);
        const std::optional<DWORD> ownLevel = ProcessIntegrityLevel(GetCurrentProcess());
        out_.Line(L"  integrity level: " + IntegrityText(dialogLevel) + L" (this inspector: " +
                  IntegrityText(ownLevel) + L")");

        const std::size_t before = refusals_.size();
        if (!MayDriveDialogAtLevel(dialogLevel, ownLevel))
            refusals_.push_back(IntegrityRefusal(dialogLevel, ownLevel));
        std::wstring route = L"drive here";
        if (IsFolderDialog(signature.type)) {
            route = RouteFolderDialog(dialog);
        } else if (signature.firstMatch == nullptr) {
            refusals_.push_back(L"no file-name box: other controls made up the signature's count");
        }
        for (std::size_t i = before; i < refusals_.size(); ++i)
            route = (i == before ? L"refuse: " : route + L"; ") + refusals_[i];
        out_.Line(L"  route: " + route);
    }

    std::wstring RouteFolderDialog(HWND dialog) {
        switch (RouteForDialog(dialog)) {
        case FolderDialogRoute::DriveHere:
            return L"drive here";
        case FolderDialogRoute::HandOver: {
            handOver_ = true;
            const std::wstring programPath = tallow::GetModulePath();
            const HandOverObstacle obstacle = FindHandOverObstacle(programPath, FolderRedirectedForX86());
            if (obstacle != HandOverObstacle::None)
                refusals_.push_back(HandOverRefusal(obstacle, programPath));
            return L"hand over to Corvane.x86-32.exe";
        }
        case FolderDialogRoute::Refuse:
            refusals_.push_back(MachineRefusal(dialog));
            break;
        }
        return L"refuse";
    }

    void ReportTarget(const std::wstring& given) {
        out_.Line(L"Target");
        out_.Line(L"  given: " + Quoted(given));
        const std::optional<std::wstring> path = AbsoluteTargetPath(given);
        if (!path) {
            out_.Line(L"  absolute: cannot be resolved");
            refusals_.push_back(L"the target cannot be resolved to an absolute path");
            return;
        }
        out_.Line(L"  absolute: " + Quoted(*path));
        std::wstring folderPart;
        std::wstring fileNamePart;
        const bool actionable = SplitActionableTargetPath(*path, folderPart, fileNamePart);
        out_.Line(L"  folder part: " + (folderPart.empty() ? L"none, the dialog stays in its folder" : Quoted(folderPart)));
        out_.Line(L"  name part: " + (fileNamePart.empty() ? L"none" : Quoted(fileNamePart)));
        if (!folderPart.empty())
            out_.Line(std::wstring(L"  folder exists: ") + (IsExistingDirectory(folderPart) ? L"yes" : L"no"));
        const std::wstring displayPath = ResolveDisplayPath(*path);
        out_.Line(L"  display path for a folder dialog: " + (displayPath.empty()
                                                                ? L"none, the shell cannot name every level"
                                                                : ReadableDisplayPath(displayPath)));

        if (!chosen())
            return;
        if (IsFolderDialog(matchedSignature->type)) {
            const DisplayPathFault fault = FindDisplayPathFault(displayPath);
            if (fault != DisplayPathFault::None)
                refusals_.push_back(DisplayPathRefusal(fault));
            return;
        }
        if (matchedSignature->type == FolderPickerOrItemDialog)
            out_.Line(L"  text for the name box: " + Quoted(*path));
        if (!actionable) {
            refusals_.push_back(IsMissingFolder(folderPart) ? L"the folder " + Quoted(folderPart) + L" does not exist"
                                                            : L"the folder part " + Quoted(folderPart) +
                                                                  L" cannot be used");
        }
        const DialogType type = matchedSignature->type;
        if ((type == StandardFileDialog || type == OfficeFileDialog) && !FitsMessageRoads(folderPart))
            refusals_.push_back(L"the folder part is longer than this dialog takes by message (" +
                                DecimalText(MAX_PATH - 1) + L" characters)");
    }

    int ReportVerdict() {
        out_.Line(L"Verdict");
        if (!chosen())
            refusals_.insert(refusals_.begin(), L"no recognised dialog");
        if (!refusals_.empty()) {
            out_.Line(L"  " + kProgram + L" would exit with -1 and touch nothing:");
            for (const std::wstring& refusal : refusals_)
                out_.Line(L"  - " + refusal);
            return 1;
        }
        const DialogType type = matchedSignature->type;
        const std::wstring dialog = L"window " + HandleText(matchedDialog) + L" (" + DialogTypeName(type) + L")";
        if (handOver_) {
            out_.Line(L"  " + kProgram + L" would hand " + dialog +
                      L" over to Corvane.x86-32.exe; CorvaneInspect.x86-32.exe shows what that one finds.");
        } else {
            out_.Line(L"  " + kProgram + L" would drive " + dialog + L": " + RoadName(type) + L".");
        }
        if (!target_)
            out_.Line(L"  Give the target as the argument to check it too.");
        return 0;
    }

    const std::optional<std::wstring>& target_;
    ReportOutput& out_;
    std::vector<std::wstring> refusals_;
    bool handOver_ = false;
};

} // namespace

int Inspect(const std::optional<std::wstring>& target, ReportOutput& out) {
    return Inspection(target, out).Run();
}

} // namespace corvane::inspect
