// The table file's characters: the byte order mark, and the buffer the file is read through.

#include "app/TableSource.h"

#include <cstring>

namespace {

struct Mark {
    const char* bytes;
    size_t size;
    TextEncoding encoding;
};
constexpr Mark kMarks[] = {
    {"\xEF\xBB\xBF", 3, TextEncoding::Utf8},
    {"\xFF\xFE", 2, TextEncoding::Utf16Le},
    {"\xFE\xFF", 2, TextEncoding::Utf16Be},
};

}  // namespace

void TableSource::TakeMark() {
    markTaken_ = true;
    Ensure(3);
    for (const Mark& mark : kMarks) {
        if (end_ >= mark.size && std::memcmp(buffer_, mark.bytes, mark.size) == 0) {
            marked_ = mark.encoding;
            hasMark_ = true;
            begin_ = mark.size;
            unitBytes_ = mark.encoding == TextEncoding::Utf8 ? 1 : 2;
            return;
        }
    }
}

// Makes at least `bytes` bytes available from begin_, reading more as needed; false
// when the file ends first (a lone byte at the end of a UTF-16 file is no character).
bool TableSource::Ensure(size_t bytes) {
    while (end_ - begin_ < bytes) {
        if (begin_ > 0) {
            std::memmove(buffer_, buffer_ + begin_, end_ - begin_);
            end_ -= begin_;
            begin_ = 0;
        }
        const size_t read = file_.Read(buffer_ + end_, sizeof buffer_ - end_);
        if (read == 0) return false;
        end_ += read;
        read_ += read;
    }
    return true;
}

bool TableSource::Peek(wchar_t& unit) {
    if (!markTaken_) TakeMark();
    if (!Ensure(unitBytes_)) return false;
    const auto* at = reinterpret_cast<const unsigned char*>(buffer_ + begin_);
    if (unitBytes_ == 1) {
        unit = at[0];
    } else if (marked_ == TextEncoding::Utf16Le) {
        unit = static_cast<wchar_t>(at[0] | at[1] << 8);
    } else {
        unit = static_cast<wchar_t>(at[0] << 8 | at[1]);
    }
    return true;
}
