#include "inspect/report_output.h"

#include <algorithm>
#include <string>

namespace corvane::inspect {
namespace {

// Texts read from other programs' windows may hold line breaks or tabs.
std::wstring Printable(const std::wstring& text) {
    std::wstring line;
    line.reserve(text.size() + 2);
    for (const wchar_t unit : text)
        line += unit < L' ' || unit == 0x7F ? L' ' : unit;
    while (!line.empty() && line.back() == L' ')
        line.pop_back();
    return line + L"\r\n";
}

std::string Utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                            nullptr);
    return bytes;
}

} // namespace

std::wstring DecimalText(long long value) {
    const bool negative = value < 0;
    unsigned long long rest = negative ? 0ull - static_cast<unsigned long long>(value) : value;
    std::wstring digits;
    do {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + rest % 10));
        rest /= 10;
    } while (rest != 0);
    return negative ? L"-" + digits : digits;
}

std::wstring HexText(unsigned long long value, int digits) {
    std::wstring text;
    for (int shown = 0; value != 0 || shown < digits; ++shown, value >>= 4)
        text.insert(text.begin(), L"0123456789ABCDEF"[value & 0xF]);
    return L"0x" + text;
}

ReportOutput::ReportOutput(HANDLE handle) : handle_(handle) {
    DWORD mode = 0;
    console_ = handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE && GetConsoleMode(handle_, &mode);
}

void ReportOutput::Line(const std::wstring& text) {
    if (handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE)
        return;
    const std::wstring line = Printable(text);
    DWORD written = 0;
    if (console_) {
        // Older consoles take at most 64 KiB per call; a pair of surrogates
        // stays in one piece.
        constexpr std::size_t kPiece = 8192;
        for (std::size_t at = 0; at < line.size();) {
            std::size_t length = std::min(kPiece, line.size() - at);
            if (at + length < line.size() && IS_HIGH_SURROGATE(line[at + length - 1]))
                --length;
            WriteConsoleW(handle_, line.data() + at, static_cast<DWORD>(length), &written, nullptr);
            at += length;
        }
        return;
    }
    const std::string bytes = Utf8(line);
    WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

} // namespace corvane::inspect
