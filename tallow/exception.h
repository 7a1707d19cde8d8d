#pragma once

#include <exception>
#include <string>

namespace tallow {

// An exception whose message is wide text; what() hands out a narrow copy,
// converted once under the process's locale.
class exception : public std::exception {
public:
    exception() = default;
    exception(const exception&) = default;
    exception& operator=(const exception&) = default;
    ~exception() override = default;

    const char* what() const noexcept override;
    const std::wstring& message() const noexcept { return wideMessage; }

protected:
    std::wstring wideMessage;

private:
    mutable std::string narrowMessage;
    mutable bool narrowReady = false;
};

} // namespace tallow
