// brenvale-check on Linux and other POSIX systems. Bytes pass through unchanged: each byte
// of the file and of the arguments becomes the character of the same number, and goes
// back out as that byte, so the terminal shows the file's text in whatever encoding it
// was written in.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/PlatformFailure.h"
#include "tools/checker/CheckerRun.h"
#include "tools/checker/Utf8.h"

namespace {

std::wstring Widened(const std::string& bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (unsigned char byte : bytes) text.push_back(static_cast<wchar_t>(byte));
    return text;
}

// The checker's own texts are ASCII; anything else came in as a byte and goes out as one.
std::string Narrowed(const std::wstring& text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (wchar_t c : text) bytes.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
    return bytes;
}

PlatformFailure Failure(int error) {
    return PlatformFailure(static_cast<uint32_t>(error), Widened(std::strerror(error)));
}

// The file through the C library, read in pieces like the program reads it.
class PosixFile : public FileReader {
  public:
    explicit PosixFile(std::FILE* file) : file_(file) {}
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;
    ~PosixFile() override { std::fclose(file_); }
    size_t Read(char* buffer, size_t capacity) override {
        const size_t read = std::fread(buffer, 1, capacity, file_);
        if (read == 0 && std::ferror(file_)) throw Failure(errno);
        return read;
    }

  private:
    std::FILE* file_;
};

class PosixSystem : public checker::CheckerSystem {
  public:
    std::unique_ptr<FileReader> OpenTableFile(const std::wstring& path) override {
        std::FILE* file = std::fopen(Narrowed(path).c_str(), "rb");
        if (file == nullptr) throw Failure(errno);
        return std::make_unique<PosixFile>(file);
    }
    std::wstring FromSystemCodePage(const std::string& bytes) override { return Widened(bytes); }
    // Checked like the program checks it, but passed through like any other text.
    std::wstring FromUtf8(const std::string& bytes) override {
        std::wstring decoded;
        if (!checker::DecodeUtf8(bytes, decoded)) throw PlatformFailure(EILSEQ, L"not UTF-8");
        return Widened(bytes);
    }
    std::wstring DefaultTableFile() override { return L"brenvale.txt"; }
    void WriteOut(const std::wstring& text) override { Write(stdout, text); }
    void WriteError(const std::wstring& text) override { Write(stderr, text); }

  private:
    static void Write(std::FILE* stream, const std::wstring& text) {
        const std::string bytes = Narrowed(text);
        std::fwrite(bytes.data(), 1, bytes.size(), stream);
        std::fflush(stream);
    }
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i) args.push_back(Widened(argv[i]));
    PosixSystem system;
    return checker::RunChecker(args, system);
}
