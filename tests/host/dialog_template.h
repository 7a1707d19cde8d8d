#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace corvane::host {

// An in-memory dialog template (DLGTEMPLATE with DLGITEMTEMPLATE items).
class DialogTemplate {
public:
    DialogTemplate(DWORD style, const std::wstring& className, const std::wstring& title, short width,
                   short height);
    void AddItem(DWORD style, short x, short y, short width, short height, WORD id,
                 const std::wstring& className, const std::wstring& text = L"");
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Add(DWORD value);
    void Add(WORD value) { words_.push_back(value); }
    void AddString(const std::wstring& text);
    void AlignToDword();

    std::vector<WORD> words_;
};

} // namespace corvane::host
