#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "core/dialog_type.h"

namespace corvane {

// One condition on one descendant window of a candidate dialog.
struct ControlCriterion {
    std::int32_t controlId;   // 0 matches windows without an id
    const wchar_t* className; // compared exactly
    std::uint8_t directChild; // 1: direct child of the dialog; 0: deeper
};

// A frame that a signature needs beside its criteria: at least one direct
// child of one of these classes, whatever its id. It is not counted, so the
// count rule of the criteria holds as it is. No classes: no frame needed.
struct FrameRequirement {
    const wchar_t* const* classNames;
    std::size_t classCount;
};

// One way a dialog of a class can look. The counters are rewritten for each
// candidate window.
struct DialogSignature {
    DialogType type;
    const ControlCriterion* criteria;
    std::size_t criteriaCount;
    std::size_t matchCount;
    HWND firstMatch;
    FrameRequirement frame;
    bool frameFound; // a direct child of a frame class was met
};

struct DialogClassEntry {
    const wchar_t* className;
    DialogSignature* const* signatures;
    std::size_t signatureCount;
};

constexpr std::size_t kDialogClassCount = 9;
extern const DialogClassEntry DialogClassTable[kDialogClassCount];

// Result of the last enumeration: the first recognised top-level window in
// z-order and the signature it matched, or both null.
extern HWND matchedDialog;
extern DialogSignature* matchedSignature;

// Told what recognition looks at, for a program that reports it. Runs that
// pass none pay one null test per examined window and counted control.
class RecognitionObserver {
public:
    // A top-level window, before its class is read.
    virtual void OnTopLevelWindow(HWND window) = 0;
    // A control counted for the signature under its criterion at this index:
    // the first one it meets, so a repeated criterion gets the count of all.
    virtual void OnControlCounted(const DialogSignature& signature, std::size_t criterion) = 0;
    // A window of a listed class whose controls are counted into entry's
    // signatures, before one of them is chosen.
    virtual void OnCandidateCounted(HWND window, const DialogClassEntry& entry) = 0;

protected:
    ~RecognitionObserver() = default;
};

// EnumWindows callback: 0 stops the enumeration at a recognised dialog. The
// parameter is a RecognitionObserver*, or 0.
BOOL CALLBACK RecognizeTopLevelWindow(HWND window, LPARAM parameter);

// Adds the descendants of parent to the counters of entry's signatures; level
// is 1 for the top-level window's own children, 0 below.
void CountMatchingControls(const DialogClassEntry& entry, HWND parent, int level,
                           RecognitionObserver* observer = nullptr);

// Runs the enumeration over the whole desktop; true when a dialog was found.
bool FindTargetDialog(RecognitionObserver* observer = nullptr);

// The signature's name in the table ("F1" .. "F7", "O1" .. "O4"), or "?".
const wchar_t* SignatureName(const DialogSignature* signature);

} // namespace corvane
