#pragma once

#include <windows.h>

#include <string>

namespace corvane::inspect {

// Where the report goes: a console window gets the text as UTF-16, a file or
// a pipe gets it as UTF-8. Lines end with CRLF, carry no control characters
// and no trailing blanks.
class ReportOutput {
public:
    ReportOutput();
    void Line(const std::wstring& text = L"");

private:
    HANDLE handle_;
    bool console_;
};

} // namespace corvane::inspect
