// brenvale-check on Linux and other POSIX systems. Bytes pass through unchanged: each byte
// of the file and of the arguments becomes the character of the same number, and goes
// back out as that byte, so the terminal shows the file's text in whatever encoding it
// was written in.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/checker/CheckerRun.h"

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

class PosixSystem : public checker::CheckerSystem {
  public:
    bool ReadTableFile(const std::wstring& path, std::string& bytes,
                       std::wstring& reason) override {
        std::FILE* file = std::fopen(Narrowed(path).c_str(), "rb");
        if (file == nullptr) return Failed(errno, reason);
        char chunk[64 * 1024];
        size_t read = 0;
        while ((read = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, read);
        const int error = std::ferror(file) ? errno : 0;
        std::fclose(file);
        return error == 0 || Failed(error, reason);
    }
    std::wstring FromSystemCodePage(const std::string& bytes) override { return Widened(bytes); }
    std::wstring DefaultTableFile() override { return L"brenvale.txt"; }
    void WriteOut(const std::wstring& text) override { Write(stdout, text); }
    void WriteError(const std::wstring& text) override { Write(stderr, text); }

  private:
    static bool Failed(int error, std::wstring& reason) {
        reason = Widened(std::strerror(error));
        return false;
    }
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
