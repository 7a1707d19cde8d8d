#include "dialog_template.h"

namespace corvane::host {

DialogTemplate::DialogTemplate(DWORD style, const std::wstring& className, const std::wstring& title,
                               short width, short height) {
    Add(static_cast<DWORD>(style | DS_SETFONT));
    Add(static_cast<DWORD>(0));       // extended style
    Add(static_cast<WORD>(0));        // item count, patched by AddItem
    Add(static_cast<WORD>(10));       // x
    Add(static_cast<WORD>(10));       // y
    Add(static_cast<WORD>(width));
    Add(static_cast<WORD>(height));
    Add(static_cast<WORD>(0));        // no menu
    if (className.empty())
        Add(static_cast<WORD>(0));
    else
        AddString(className);
    AddString(title);
    Add(static_cast<WORD>(8));        // font size
    AddString(L"MS Shell Dlg");
}

void DialogTemplate::Add(DWORD value) {
    words_.push_back(LOWORD(value));
    words_.push_back(HIWORD(value));
}

void DialogTemplate::AddString(const std::wstring& text) {
    words_.insert(words_.end(), text.begin(), text.end());
    words_.push_back(0);
}

void DialogTemplate::AlignToDword() {
    if (words_.size() % 2 != 0)
        words_.push_back(0);
}

void DialogTemplate::AddItem(DWORD style, short x, short y, short width, short height, WORD id,
                             const std::wstring& className, const std::wstring& text) {
    AlignToDword();
    Add(style);
    Add(static_cast<DWORD>(0));
    Add(static_cast<WORD>(x));
    Add(static_cast<WORD>(y));
    Add(static_cast<WORD>(width));
    Add(static_cast<WORD>(height));
    Add(id);
    AddString(className);
    AddString(text);
    Add(static_cast<WORD>(0));        // no creation data
    ++words_[4];                      // item count (cdit) sits after style and extended style
}

} // namespace corvane::host
