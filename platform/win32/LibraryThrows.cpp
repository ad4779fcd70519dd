// The standard library raises its failures (a size past a container's largest, a
// position past a string's end, ...) through helper functions that all live in one
// object of the static library. That object builds them as std::logic_error and
// std::runtime_error, whose messages are reference-counted strings of the library's old
// string design, and so links that whole design, its explicit instantiations and
// std::random_device: about a quarter of the 32-bit brenvale.exe, for failures it meets
// only when out of memory. Defined here, in the program alone, these helpers replace
// that object: the same messages, carried by one small exception type; running out of
// memory stays std::bad_alloc. (Throwing the standard types, from here or from the
// library's object, makes the 32-bit program 211 KB instead of 125 KB.) So no catch of a
// specific standard type (std::out_of_range, ...) ever matches in brenvale.exe: the native
// unit tests and the Windows platform tests link these helpers too, and such a catch
// fails its test there as it would in the program.

#include <bits/functexcept.h>

#include <cstdarg>
#include <cstddef>
#include <exception>
#include <new>
#include <typeinfo>

namespace {

// A failure reported by the standard library, with the library's own message.
class LibraryFailure final : public std::exception {
  public:
    explicit LibraryFailure(const char* message) { Append(message); }

    // The library's formats use %zu, %s and %% only.
    LibraryFailure(const char* format, va_list arguments) {
        for (const char* c = format; *c != '\0'; ++c) {
            if (c[0] == '%' && c[1] == 'z' && c[2] == 'u') {
                AppendNumber(va_arg(arguments, size_t));
                c += 2;
            } else if (c[0] == '%' && c[1] == 's') {
                Append(va_arg(arguments, const char*));
                ++c;
            } else if (c[0] == '%' && c[1] == '%') {
                Append("%");
                ++c;
            } else {
                AppendChar(*c);
            }
        }
    }

    const char* what() const noexcept override { return text_; }

  private:
    void AppendChar(char c) {
        if (length_ + 1 < sizeof text_) text_[length_++] = c;
        text_[length_] = '\0';
    }
    void Append(const char* text) {
        while (*text != '\0') AppendChar(*text++);
    }
    void AppendNumber(size_t value) {
        char digits[24];
        size_t count = 0;
        do {
            digits[count++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        while (count > 0) AppendChar(digits[--count]);
    }

    char text_[256] = "";
    size_t length_ = 0;
};

}  // namespace

namespace std {

void __throw_bad_exception() {
    throw bad_exception();
}
void __throw_bad_alloc() {
    throw bad_alloc();
}
void __throw_bad_array_new_length() {
    throw bad_array_new_length();
}
void __throw_bad_cast() {
    throw bad_cast();
}
void __throw_bad_typeid() {
    throw bad_typeid();
}
void __throw_logic_error(const char* message) {
    throw LibraryFailure(message);
}
void __throw_domain_error(const char* message) {
    throw LibraryFailure(message);
}
void __throw_invalid_argument(const char* message) {
    throw LibraryFailure(message);
}
void __throw_length_error(const char* message) {
    throw LibraryFailure(message);
}
void __throw_out_of_range(const char* message) {
    throw LibraryFailure(message);
}
void __throw_out_of_range_fmt(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    LibraryFailure failure(format, arguments);
    va_end(arguments);
    throw failure;
}
void __throw_runtime_error(const char* message) {
    throw LibraryFailure(message);
}
void __throw_range_error(const char* message) {
    throw LibraryFailure(message);
}
void __throw_overflow_error(const char* message) {
    throw LibraryFailure(message);
}
void __throw_underflow_error(const char* message) {
    throw LibraryFailure(message);
}

}  // namespace std
