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

// One way a dialog of a class can look. The counters are rewritten for each
// candidate window.
struct DialogSignature {
    DialogType type;
    const ControlCriterion* criteria;
    std::size_t criteriaCount;
    std::size_t matchCount;
    HWND firstMatch;
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

// EnumWindows callback: 0 stops the enumeration at a recognised dialog.
BOOL CALLBACK RecognizeTopLevelWindow(HWND window, LPARAM parameter);

// Adds the descendants of parent to the counters of entry's signatures; level
// is 1 for the top-level window's own children, 0 below.
void CountMatchingControls(const DialogClassEntry& entry, HWND parent, int level);

// Runs the enumeration over the whole desktop; true when a dialog was found.
bool FindTargetDialog();

} // namespace corvane
