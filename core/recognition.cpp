#include "core/recognition.h"

#include <cwchar>
#include <utility>

namespace corvane {
namespace {

constexpr ControlCriterion kF1[] = {
    {1148, L"ComboBoxEx32", 1}, {1, L"Button", 1}, {2, L"Button", 1},
    {1120, L"ListBox", 1},      {1137, L"ComboBox", 1}};
constexpr ControlCriterion kF2[] = {
    {1152, L"Edit", 1}, {1, L"Button", 1}, {2, L"Button", 1}, {1137, L"ComboBox", 1}};
constexpr ControlCriterion kF3[] = {
    {1148, L"ComboBoxEx32", 1}, {1, L"Button", 1}, {2, L"Button", 1},
    {1120, L"ListBox", 1},      {1136, L"ComboBox", 1}};
constexpr ControlCriterion kF4[] = {
    {1001, L"Edit", 0},    {1, L"Button", 1},    {2, L"Button", 1},
    {1120, L"ListBox", 1}, {1038, L"Button", 1}};
constexpr ControlCriterion kF5[] = {
    {14146, L"Static", 1},
    {0, L"SHBrowseForFolder ShellNameSpace Control", 1},
    {1, L"Button", 1},
    {2, L"Button", 1}};
constexpr ControlCriterion kF6[] = {
    {14146, L"Static", 1}, {14147, L"Static", 1}, {14145, L"SysTreeView32", 1},
    {1, L"Button", 1},     {2, L"Button", 1}};
// The item dialogs' name box (the folder picker's "Folder:" box): matched only
// when no earlier signature did, and only in an item dialog's frame, since an
// Edit 1152 also serves older dialogs.
constexpr ControlCriterion kF7[] = {{1152, L"Edit", 1}, {1, L"Button", 1}, {2, L"Button", 1}};
constexpr const wchar_t* kItemDialogFrames[] = {L"DUIViewWndClassName", L"ExplorerBrowserControl"};

constexpr ControlCriterion kO1[] = {
    {54, L"RichEdit20W", 1}, {51, L"RichEdit20W", 1},   {59, L"RichEdit20W", 1},
    {0, L"Snake List", 1},   {0, L"MsoCommandBar", 1}, {0, L"MsoCommandBar", 1}};
constexpr ControlCriterion kO2[] = {
    {39, L"RichEdit20W", 1}, {36, L"RichEdit20W", 1}, {44, L"RichEdit20W", 1},
    {0, L"Snake List", 1},   {0, L"FO Toolbar Window", 1}};
constexpr ControlCriterion kO3[] = {
    {51, L"Edit", 1},      {48, L"Edit", 1},          {56, L"Edit", 1},
    {0, L"Snake List", 1}, {0, L"MsoCommandBar", 1}, {0, L"MsoCommandBar", 1}};
constexpr ControlCriterion kO4[] = {
    {48, L"RichEdit20W", 1}, {45, L"RichEdit20W", 1},   {53, L"RichEdit20W", 1},
    {0, L"Snake List", 1},   {0, L"MsoCommandBar", 1}, {0, L"MsoCommandBar", 1}};

template <std::size_t N>
constexpr DialogSignature Signature(DialogType type, const ControlCriterion (&criteria)[N]) {
    return DialogSignature{type, criteria, N, 0, nullptr, {nullptr, 0}, false};
}

template <std::size_t N, std::size_t M>
constexpr DialogSignature Signature(DialogType type, const ControlCriterion (&criteria)[N],
                                    const wchar_t* const (&frameClasses)[M]) {
    return DialogSignature{type, criteria, N, 0, nullptr, {frameClasses, M}, false};
}

DialogSignature F1 = Signature(StandardFileDialog, kF1);
DialogSignature F2 = Signature(StandardFileDialog, kF2);
DialogSignature F3 = Signature(StandardFileDialog, kF3);
DialogSignature F4 = Signature(KeyboardFileDialog, kF4);
DialogSignature F5 = Signature(NewFolderBrowser, kF5);
DialogSignature F6 = Signature(OldFolderBrowser, kF6);
DialogSignature F7 = Signature(FolderPickerOrItemDialog, kF7, kItemDialogFrames);
DialogSignature O1 = Signature(OfficeFileDialog, kO1);
DialogSignature O2 = Signature(OfficeFileDialog, kO2);
DialogSignature O3 = Signature(OfficeFileDialog, kO3);
DialogSignature O4 = Signature(OfficeFileDialog, kO4);

DialogSignature* const kSystemDialogs[] = {&F1, &F2, &F3, &F4, &F5, &F6, &F7};
DialogSignature* const kMso96[] = {&O1, &O2, &O3};
DialogSignature* const kOnlyO1[] = {&O1};
DialogSignature* const kOnlyO2[] = {&O2};
DialogSignature* const kOnlyO4[] = {&O4};
DialogSignature* const kXL9[] = {&O4, &O1};

template <std::size_t N>
constexpr DialogClassEntry Entry(const wchar_t* className, DialogSignature* const (&signatures)[N]) {
    return DialogClassEntry{className, signatures, N};
}

// Every class name read during recognition goes through this one buffer.
constexpr int kClassNameCapacity = 256;
wchar_t classNameBuffer[kClassNameCapacity];

bool ReadClassName(HWND window) {
    return GetClassNameW(window, classNameBuffer, kClassNameCapacity) > 0;
}

const DialogClassEntry* FindClassEntry() {
    for (const DialogClassEntry& entry : DialogClassTable) {
        if (std::wcscmp(entry.className, classNameBuffer) == 0)
            return &entry;
    }
    return nullptr;
}

void ResetCounters(const DialogClassEntry& entry) {
    for (std::size_t i = 0; i < entry.signatureCount; ++i) {
        entry.signatures[i]->matchCount = 0;
        entry.signatures[i]->firstMatch = nullptr;
        entry.signatures[i]->frameFound = false;
    }
}

bool HasFrame(const DialogSignature& signature) {
    return signature.frame.classCount == 0 || signature.frameFound;
}

// A direct child (whose class name is in the buffer) of a frame class.
void NoteFrame(DialogSignature& signature, int level) {
    if (level != 1)
        return;
    for (std::size_t i = 0; i < signature.frame.classCount; ++i)
        if (std::wcscmp(signature.frame.classNames[i], classNameBuffer) == 0)
            signature.frameFound = true;
}

DialogSignature* FirstCompleteSignature(const DialogClassEntry& entry) {
    for (std::size_t i = 0; i < entry.signatureCount; ++i) {
        DialogSignature* signature = entry.signatures[i];
        if (signature->matchCount == signature->criteriaCount && HasFrame(*signature))
            return signature;
    }
    return nullptr;
}

// Counts the child (whose class name is in the buffer) at most once per
// signature, and notes it when it is a signature's frame.
void CountControl(const DialogClassEntry& entry, HWND child, int id, int level, RecognitionObserver* observer) {
    for (std::size_t s = 0; s < entry.signatureCount; ++s) {
        DialogSignature& signature = *entry.signatures[s];
        NoteFrame(signature, level);
        for (std::size_t c = 0; c < signature.criteriaCount; ++c) {
            const ControlCriterion& criterion = signature.criteria[c];
            if (criterion.controlId == id && criterion.directChild == level &&
                std::wcscmp(criterion.className, classNameBuffer) == 0) {
                ++signature.matchCount;
                if (c == 0)
                    signature.firstMatch = child;
                if (observer != nullptr)
                    observer->OnControlCounted(signature, c);
                break;
            }
        }
    }
}

} // namespace

const DialogClassEntry DialogClassTable[kDialogClassCount] = {
    Entry(L"#32770", kSystemDialogs),
    Entry(L"bosa_sdm_Mso96", kMso96),
    Entry(L"bosa_sdm_XL8", kOnlyO2),
    Entry(L"bosa_sdm_XL9", kXL9),
    Entry(L"bosa_sdm_Microsoft Word 8.0", kOnlyO2),
    Entry(L"bosa_sdm_Microsoft Word 9.0", kOnlyO4),
    Entry(L"bosa_sdm_Microsoft Word 10.0", kOnlyO1),
    Entry(L"bosa_sdm_Microsoft Office Word 11.0", kOnlyO1),
    Entry(L"bosa_sdm_Microsoft Office WordView 11.0", kOnlyO1),
};

HWND matchedDialog = nullptr;
DialogSignature* matchedSignature = nullptr;

void CountMatchingControls(const DialogClassEntry& entry, HWND parent, int level, RecognitionObserver* observer) {
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        // The subtree first: the class-name buffer is reused below it.
        CountMatchingControls(entry, child, 0, observer);
        if (!ReadClassName(child))
            continue;
        CountControl(entry, child, GetDlgCtrlID(child), level, observer);
    }
}

BOOL CALLBACK RecognizeTopLevelWindow(HWND window, LPARAM parameter) {
    const auto observer = reinterpret_cast<RecognitionObserver*>(parameter);
    matchedSignature = nullptr;
    matchedDialog = nullptr;
    if (observer != nullptr)
        observer->OnTopLevelWindow(window);
    if (!ReadClassName(window))
        return TRUE;
    const DialogClassEntry* entry = FindClassEntry();
    if (entry == nullptr)
        return TRUE;
    ResetCounters(*entry);
    CountMatchingControls(*entry, window, 1, observer);
    if (observer != nullptr)
        observer->OnCandidateCounted(window, *entry);
    DialogSignature* signature = FirstCompleteSignature(*entry);
    if (signature == nullptr)
        return TRUE;
    matchedSignature = signature;
    matchedDialog = window;
    return FALSE;
}

bool FindTargetDialog(RecognitionObserver* observer) {
    matchedSignature = nullptr;
    matchedDialog = nullptr;
    EnumWindows(RecognizeTopLevelWindow, reinterpret_cast<LPARAM>(observer));
    return matchedDialog != nullptr;
}

const wchar_t* SignatureName(const DialogSignature* signature) {
    const std::pair<const DialogSignature*, const wchar_t*> names[] = {
        {&F1, L"F1"}, {&F2, L"F2"}, {&F3, L"F3"}, {&F4, L"F4"}, {&F5, L"F5"},
        {&F6, L"F6"}, {&F7, L"F7"}, {&O1, L"O1"}, {&O2, L"O2"}, {&O3, L"O3"}, {&O4, L"O4"}};
    for (const auto& [known, name] : names)
        if (known == signature)
            return name;
    return L"?";
}

} // namespace corvane
