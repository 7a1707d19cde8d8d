#pragma once

#include <string>

namespace corvane::test {

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

} // namespace corvane::test
