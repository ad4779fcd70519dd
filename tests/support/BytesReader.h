#pragma once
// A file's bytes held in memory, read like a file.

#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/FileSystem.h"

class BytesReader : public FileReader {
  public:
    explicit BytesReader(std::string_view bytes) : bytes_(bytes) {}
    size_t Read(char* buffer, size_t capacity) override {
        const size_t count = std::min(capacity, bytes_.size());
        if (count > 0) std::memcpy(buffer, bytes_.data(), count);
        bytes_.remove_prefix(count);
        return count;
    }

  private:
    std::string_view bytes_;
};
