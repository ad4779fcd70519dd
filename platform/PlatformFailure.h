#pragma once
// A platform operation that failed. Carries the system's error code and its own
// description of the failure (for a missing file, the system's "file not found" text),
// which the error reports show to the user.

#include <cstdint>
#include <exception>
#include <string>

class PlatformFailure : public std::exception {
  public:
    PlatformFailure(uint32_t code, std::wstring description)
        : code_(code), description_(std::move(description)) {}
    uint32_t Code() const { return code_; }
    const std::wstring& Description() const { return description_; }
    const char* what() const noexcept override { return "platform operation failed"; }

  private:
    uint32_t code_;
    std::wstring description_;
};
