#pragma once
// A platform operation that failed. Carries the system's own description of the failure
// (for a missing file, the system's "file not found" text), which the error reports show
// to the user.

#include <exception>
#include <string>

class PlatformFailure : public std::exception {
  public:
    explicit PlatformFailure(std::wstring description) : description_(std::move(description)) {}
    const std::wstring& Description() const { return description_; }
    const char* what() const noexcept override { return "platform operation failed"; }

  private:
    std::wstring description_;
};
