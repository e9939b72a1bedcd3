// A text built in a fixed buffer: for the small programs of the medium, which
// do without the C++ library. Text past the capacity is cut, never overrun.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace mivox {

// c in upper case, for the letters a to z.
inline char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// True when the size characters of text, in upper case, are the whole of upper.
inline bool EqualsUpper(const char* text, size_t size, const char* upper) {
    for (size_t i = 0; i < size; ++i) {
        if (upper[i] == '\0' || AsciiUpper(text[i]) != upper[i]) return false;
    }
    return upper[size] == '\0';
}

template <size_t Capacity>
class FixedText {
public:
    FixedText() = default;
    explicit FixedText(const char* text) { Add(text); }

    FixedText& Add(const char* text) {
        while (*text && size_ + 1 < Capacity) text_[size_++] = *text++;
        text_[size_] = '\0';
        return *this;
    }
    FixedText& Add(const char* text, size_t count) {
        for (size_t i = 0; i < count && size_ + 1 < Capacity; ++i) text_[size_++] = text[i];
        text_[size_] = '\0';
        return *this;
    }
    FixedText& AddNumber(int64_t value) {
        char digits[24];
        size_t count = 0;
        uint64_t rest = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
        do {
            digits[count++] = static_cast<char>('0' + rest % 10);
            rest /= 10;
        } while (rest != 0);
        if (value < 0) digits[count++] = '-';
        while (count > 0 && size_ + 1 < Capacity) text_[size_++] = digits[--count];
        text_[size_] = '\0';
        return *this;
    }
    // True when nothing had to be cut.
    bool Whole() const { return size_ + 1 < Capacity; }

    const char* c_str() const { return text_; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

private:
    char text_[Capacity] = {};
    size_t size_ = 0;
};

}  // namespace mivox
