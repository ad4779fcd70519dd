#pragma once
// A file's bytes held in memory, read like a file, at most `piece` bytes at a time.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/FileSystem.h"

class BytesReader : public FileReader {
  public:
    explicit BytesReader(std::string_view bytes, size_t piece = SIZE_MAX)
        : bytes_(bytes), piece_(piece) {}
    size_t Read(char* buffer, size_t capacity) override {
        const size_t count = std::min({capacity, piece_, bytes_.size()});
        if (count > 0) std::memcpy(buffer, bytes_.data(), count);
        bytes_.remove_prefix(count);
        return count;
    }

  private:
    std::string_view bytes_;
    size_t piece_;
};
