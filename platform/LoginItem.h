#pragma once

#include <optional>
#include <string>

namespace tovra {

/// Starting the application at login. Failures carry the system's message.
class LoginItem {
  public:
    LoginItem() = default;
    virtual ~LoginItem() = default;
    LoginItem(const LoginItem&) = delete;
    LoginItem& operator=(const LoginItem&) = delete;

    [[nodiscard]] virtual bool isEnabled() = 0;
    /// Nothing on success, else the error message.
    virtual std::optional<std::string> enable() = 0;
    virtual std::optional<std::string> disable() = 0;
};

}  // namespace tovra
