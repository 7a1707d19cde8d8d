#include "inspect/recognition_report.h"

#include <cwchar>

namespace corvane::inspect {
namespace {

bool SameCriterion(const ControlCriterion& a, const ControlCriterion& b) {
    return a.controlId == b.controlId && a.directChild == b.directChild && std::wcscmp(a.className, b.className) == 0;
}

std::wstring CriterionText(const ControlCriterion& criterion) {
    return DecimalText(criterion.controlId) + L" " + criterion.className +
           (criterion.directChild ? L" (direct child)" : L" (deeper)");
}

// "a direct A or B (any id)".
std::wstring FrameText(const FrameRequirement& frame) {
    std::wstring text = L"a direct ";
    for (std::size_t i = 0; i < frame.classCount; ++i)
        text += (i == 0 ? L"" : L" or ") + std::wstring(frame.classNames[i]);
    return text + L" (any id)";
}

std::wstring TallyText(const SignatureTally& tally) {
    const DialogSignature& signature = *tally.signature;
    std::wstring text = std::wstring(SignatureName(&signature)) + L" " + DialogTypeName(signature.type) + L": " +
                        DecimalText(tally.counted) + L" of " + DecimalText(signature.criteriaCount) +
                        L" matched";
    if (tally.counted > signature.criteriaCount)
        text += L", more controls than criteria";
    for (std::size_t i = 0; i < tally.unmet.size(); ++i)
        text += (i == 0 ? L"; missing " : L", ") + CriterionText(signature.criteria[tally.unmet[i]]);
    if (tally.frameMissing)
        text += (tally.unmet.empty() ? L"; missing " : L", ") + FrameText(signature.frame);
    return text;
}

} // namespace

void RecognitionRecorder::OnTopLevelWindow(HWND) {
    ++examined_;
    counts_.clear();
}

void RecognitionRecorder::OnControlCounted(const DialogSignature& signature, std::size_t criterion) {
    std::vector<std::size_t>& counts = counts_[&signature];
    counts.resize(signature.criteriaCount);
    ++counts[criterion];
}

void RecognitionRecorder::OnCandidateCounted(HWND window, const DialogClassEntry& entry) {
    Candidate candidate{window, entry.className, {}};
    for (std::size_t i = 0; i < entry.signatureCount; ++i) {
        const DialogSignature& signature = *entry.signatures[i];
        std::vector<std::size_t>& counts = counts_[&signature];
        counts.resize(signature.criteriaCount);
        const bool frameMissing = signature.frame.classCount != 0 && !signature.frameFound;
        candidate.tallies.push_back({&signature, signature.matchCount, UnmetCriteria(signature, counts), frameMissing});
    }
    candidates_.push_back(std::move(candidate));
}

std::vector<std::size_t> UnmetCriteria(const DialogSignature& signature, const std::vector<std::size_t>& counts) {
    std::vector<std::size_t> unmet;
    for (std::size_t c = 0; c < signature.criteriaCount; ++c) {
        std::size_t first = c;
        std::size_t earlierRepeats = 0;
        for (std::size_t e = c; e-- > 0;) {
            if (SameCriterion(signature.criteria[e], signature.criteria[c])) {
                first = e;
                ++earlierRepeats;
            }
        }
        if (first >= counts.size() || counts[first] <= earlierRepeats)
            unmet.push_back(c);
    }
    return unmet;
}

std::wstring HandleText(HWND window) {
    return HexText(reinterpret_cast<ULONG_PTR>(window), 8);
}

const wchar_t* DialogTypeName(DialogType type) {
    switch (type) {
    case OldFolderBrowser:
        return L"OldFolderBrowser";
    case NewFolderBrowser:
        return L"NewFolderBrowser";
    case StandardFileDialog:
        return L"StandardFileDialog";
    case KeyboardFileDialog:
        return L"KeyboardFileDialog";
    case OfficeFileDialog:
        return L"OfficeFileDialog";
    case FolderPickerOrItemDialog:
        return L"FolderPickerOrItemDialog";
    }
    return L"unknown type";
}

const wchar_t* RoadName(DialogType type) {
    switch (type) {
    case OldFolderBrowser:
    case NewFolderBrowser:
        return L"the hook library selects the folder in the dialog's tree";
    case StandardFileDialog:
        return L"window messages to the file-name box and the OK command";
    case KeyboardFileDialog:
        return L"keystrokes typed into the file-name box";
    case OfficeFileDialog:
        return L"window messages to the file-name box and one Enter key";
    case FolderPickerOrItemDialog:
        return L"the whole path put into the name box by window messages, nothing confirmed: the dialog stays in "
               L"its folder";
    }
    return L"none";
}

bool IsFolderDialog(DialogType type) {
    return type == OldFolderBrowser || type == NewFolderBrowser;
}

void ReportRecognition(const RecognitionRecorder& recorder, ReportOutput& out) {
    out.Line(L"Recognition");
    out.Line(L"  top-level windows examined: " + DecimalText(recorder.examined()));
    for (const Candidate& candidate : recorder.candidates()) {
        out.Line(L"  window " + HandleText(candidate.window) + L", class \"" + candidate.className + L"\"");
        for (const SignatureTally& tally : candidate.tallies)
            out.Line(L"    " + TallyText(tally));
    }
    if (matchedDialog == nullptr || matchedSignature == nullptr) {
        out.Line(L"  chosen: none");
        return;
    }
    out.Line(L"  chosen: window " + HandleText(matchedDialog) + L", signature " + SignatureName(matchedSignature) +
             L", " + DialogTypeName(matchedSignature->type));
    out.Line(std::wstring(L"  road: ") + RoadName(matchedSignature->type));
}

} // namespace corvane::inspect
