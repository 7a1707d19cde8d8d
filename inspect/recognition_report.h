#pragma once

#include <windows.h>

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "core/recognition.h"
#include "inspect/report_output.h"

namespace corvane::inspect {

// One signature as a candidate window met it: the controls recognition
// counted for it, the criteria that no control met, and whether the frame it
// needs was missing.
struct SignatureTally {
    const DialogSignature* signature;
    std::size_t counted;
    std::vector<std::size_t> unmet;
    bool frameMissing;
};

// A top-level window of a listed class and how its signatures fared.
struct Candidate {
    HWND window;
    std::wstring className;
    std::vector<SignatureTally> tallies;
};

// Records what recognition looks at while it runs the program's own walk.
class RecognitionRecorder final : public RecognitionObserver {
public:
    void OnTopLevelWindow(HWND window) override;
    void OnControlCounted(const DialogSignature& signature, std::size_t criterion) override;
    void OnCandidateCounted(HWND window, const DialogClassEntry& entry) override;

    std::size_t examined() const noexcept { return examined_; }
    const std::vector<Candidate>& candidates() const noexcept { return candidates_; }

private:
    std::size_t examined_ = 0;
    // Controls counted per criterion of each signature, for the window under way.
    std::map<const DialogSignature*, std::vector<std::size_t>> counts_;
    std::vector<Candidate> candidates_;
};

// The criteria that no control met. A control counts for the first criterion
// it meets, so a repeated criterion is met as many times as controls were
// counted for its first occurrence.
std::vector<std::size_t> UnmetCriteria(const DialogSignature& signature, const std::vector<std::size_t>& counts);

std::wstring HandleText(HWND window);
const wchar_t* DialogTypeName(DialogType type);
// How the program would fill a dialog of this type.
const wchar_t* RoadName(DialogType type);
bool IsFolderDialog(DialogType type);

// Prints the recognition section: windows examined, every candidate with its
// signatures, and the chosen window (matchedDialog, matchedSignature).
void ReportRecognition(const RecognitionRecorder& recorder, ReportOutput& out);

} // namespace corvane::inspect
