#pragma once

#include <windows.h>

#include <string>

namespace corvane::inspect {

// Where the report goes: a console window gets the text as UTF-16, a file or
// a pipe gets it as UTF-8. Lines end with CRLF, carry no control characters
// and no trailing blanks.
class ReportOutput {
public:
    explicit ReportOutput(HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE));
    void Line(const std::wstring& text = L"");

private:
    HANDLE handle_;
    bool console_;
};

// Numbers as text without the C runtime's formatted printing, which would
// bring its whole formatter into the program.
std::wstring DecimalText(long long value);
// "0x" and at least the given number of upper-case hexadecimal digits.
std::wstring HexText(unsigned long long value, int digits);

} // namespace corvane::inspect
