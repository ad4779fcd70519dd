#pragma once
// The characters of a channel table file: its byte order mark, then its text a unit at a
// time through a small buffer.

#include <cstddef>
#include <cstdint>

#include "platform/FileSystem.h"

// How the file's text is written. Editors mark UTF-16 and often UTF-8 with a byte
// order mark at the start; UTF-8 without one is told by its bytes.
enum class TextEncoding { Ansi, Utf8, Utf16Le, Utf16Be };

// The characters of a table file, pulled from it a small piece at a time, so the file's
// size never matters. A byte order mark at the start selects its encoding and is not
// part of the text; without one every byte is a character. Nothing is read before the
// first Peek, so every read of the file happens while the records are read.
class TableSource {
  public:
    explicit TableSource(FileReader& file) : file_(file) {}
    TableSource(const TableSource&) = delete;
    TableSource& operator=(const TableSource&) = delete;
    // The next character, or false at the end of the file.
    bool Peek(wchar_t& unit);
    void Advance() { begin_ += unitBytes_; }
    // The mark's encoding; known once the first character was asked for.
    TextEncoding Marked() const { return marked_; }
    bool HasMark() const { return hasMark_; }
    // Bytes of the file taken so far, the mark included.
    uint64_t Consumed() const { return read_ - (end_ - begin_); }

  private:
    void TakeMark();
    bool Ensure(size_t bytes);

    FileReader& file_;
    char buffer_[4096];
    size_t begin_ = 0, end_ = 0;
    uint64_t read_ = 0;
    size_t unitBytes_ = 1;
    bool markTaken_ = false;
    TextEncoding marked_ = TextEncoding::Ansi;
    bool hasMark_ = false;
};
