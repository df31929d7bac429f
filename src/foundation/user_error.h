#pragma once
// A problem the user must fix: a number and the text shown to the user.
#include <stdexcept>
#include <string>

namespace brv {

class UserErrorException : public std::runtime_error {
public:
    UserErrorException(int code, const std::string& message) : std::runtime_error(message), m_code(code) {}
    int code() const noexcept { return m_code; }

private:
    int m_code;
};

} // namespace brv
