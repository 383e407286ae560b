// The exception a command ends with: a result code of UnlhaResult.h and a text for the report.
#pragma once

#include <stdexcept>
#include <string>

namespace unlha {

class UnlhaError : public std::runtime_error {
  public:
    UnlhaError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
    int code() const noexcept { return code_; }

  private:
    int code_;
};

}  // namespace unlha
