// The C++ library raises its errors (a string past its maximum size, an
// index out of range, a failed allocation) through these functions. Its own
// versions build std::logic_error and its kin, whose text is the library's
// old reference-counted string; with them, that string's whole
// implementation and a second copy of the current one come into the program,
// and the linker cannot leave out what of them nothing calls. Linked into the
// program itself (not through a library), these take their place: with the
// system's own exceptions, which are not std::runtime_error
// (platform/Failure.h), they keep 50 KB out of the 64-bit Setup.exe and 80 KB
// out of the 32-bit one. The allocation errors keep their standard types; the
// others are faults of the program, which reach the application-wide handler
// as a std::exception with the library's text.
#include <bits/functexcept.h>

#include <cstdarg>
#include <cstddef>
#include <exception>
#include <new>
#include <typeinfo>

namespace {

class LibraryFault : public std::exception {
public:
    explicit LibraryFault(const char* text) noexcept { Append(text); }
    // format takes %s and %zu, as the library's messages use them.
    LibraryFault(const char* format, va_list args) noexcept {
        for (const char* p = format; *p; ++p) {
            if (p[0] == '%' && p[1] == 's') {
                Append(va_arg(args, const char*));
                ++p;
            } else if (p[0] == '%' && p[1] == 'z' && p[2] == 'u') {
                char digits[24];
                int count = 0;
                for (size_t n = va_arg(args, size_t); count == 0 || n != 0; n /= 10)
                    digits[count++] = static_cast<char>('0' + n % 10);
                while (count > 0) Put(digits[--count]);
                p += 2;
            } else {
                Put(*p);
            }
        }
    }
    const char* what() const noexcept override { return text_; }

private:
    // Cut at the buffer's end: the text stays terminated.
    void Put(char c) noexcept {
        if (length_ + 1 < sizeof text_) text_[length_++] = c;
    }
    void Append(const char* text) noexcept {
        while (*text) Put(*text++);
    }

    char text_[256] = {};
    size_t length_ = 0;
};

}  // namespace

namespace std {

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
void __throw_bad_exception() {
    throw bad_exception();
}
void __throw_logic_error(const char* what) {
    throw LibraryFault(what);
}
void __throw_domain_error(const char* what) {
    throw LibraryFault(what);
}
void __throw_invalid_argument(const char* what) {
    throw LibraryFault(what);
}
void __throw_length_error(const char* what) {
    throw LibraryFault(what);
}
void __throw_out_of_range(const char* what) {
    throw LibraryFault(what);
}
void __throw_out_of_range_fmt(const char* format, ...) {
    va_list args;
    va_start(args, format);
    LibraryFault fault(format, args);
    va_end(args);
    throw fault;
}
void __throw_runtime_error(const char* what) {
    throw LibraryFault(what);
}
void __throw_range_error(const char* what) {
    throw LibraryFault(what);
}
void __throw_overflow_error(const char* what) {
    throw LibraryFault(what);
}
void __throw_underflow_error(const char* what) {
    throw LibraryFault(what);
}

}  // namespace std
