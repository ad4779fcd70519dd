// brenvale-check on Linux and other POSIX systems. The report is written in UTF-8,
// whatever the table's encoding. Arguments are read as UTF-8; a byte that is not part
// of UTF-8 is kept as a stand-in character (U+DC80 plus the byte) that goes back out as
// the same byte, so any file name can be opened and shown as it was typed.

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/ChannelTable.h"
#include "platform/PlatformFailure.h"
#include "tools/checker/CheckerRun.h"
#include "tools/checker/Utf8.h"

namespace {

// A byte string (an argument, a system message) as text.
std::wstring FromBytes(const std::string& bytes) {
    std::wstring text;
    if (checker::DecodeUtf8(bytes, text) == 0) return text;
    text.clear();  // not UTF-8: each byte above 0x7F stands for itself
    for (unsigned char byte : bytes) {
        text.push_back(byte < 0x80 ? static_cast<wchar_t>(byte)
                                   : checker::kStrayByte + (byte - 0x80));
    }
    return text;
}

PlatformFailure Failure(int error) {
    return PlatformFailure(FromBytes(std::strerror(error)));
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

// The table's bytes are converted as the program would, with Windows-1252 for the code
// page.
class PosixSystem : public checker::CheckerSystem {
  public:
    TextCodec& Decoder() override { return decoder_; }
    std::wstring CodePageName() override {
        return std::wstring(checker::kPortableCodePageName) +
               L", the code page of Western European Windows (this checker cannot ask Windows "
               L"for the system's)";
    }
    std::unique_ptr<FileReader> OpenTableFile(const std::wstring& path) override {
        std::FILE* file = std::fopen(checker::ToUtf8Bytes(path).c_str(), "rb");
        if (file == nullptr) throw Failure(errno);
        auto reader = std::make_unique<PosixFile>(file);
        // A folder opens here but fails its first read, which the load would take for the
        // end of an empty table; Windows refuses to open one.
        struct stat status {};
        if (fstat(fileno(file), &status) != 0) throw Failure(errno);
        if (S_ISDIR(status.st_mode)) throw Failure(EISDIR);
        return reader;
    }
    std::wstring DefaultTableFile() override { return kChannelTableName; }
    // Brenvale's settings live in the Windows registry, out of this checker's reach.
    std::wstring SavedTeamSpeakDir() override { return std::wstring(); }
    void WriteOut(const std::wstring& text) override { Write(stdout, text); }
    void WriteError(const std::wstring& text) override {
        try {
            Write(stderr, text);
        } catch (const PlatformFailure&) {
            // Nowhere left to tell; the exit status says it.
        }
    }

  private:
    static void Write(std::FILE* stream, const std::wstring& text) {
        const std::string bytes = checker::ToUtf8Bytes(text);
        errno = 0;
        if (std::fwrite(bytes.data(), 1, bytes.size(), stream) != bytes.size() ||
            std::fflush(stream) != 0) {
            throw Failure(errno != 0 ? errno : EIO);
        }
    }

    checker::PortableCodec decoder_;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i) args.push_back(FromBytes(argv[i]));
    PosixSystem system;
    return checker::RunChecker(args, system);
}
