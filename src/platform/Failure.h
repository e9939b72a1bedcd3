// The base of the system's own exceptions, the seams' among them: a text for
// the user.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace mivox {

// Not std::runtime_error, whose text is the C++ library's old
// reference-counted string: that string's implementation would come into
// every program with it (see win32/LibraryThrows.cpp).
class Failure : public std::exception {
public:
    explicit Failure(std::string text) : text_(std::move(text)) {}
    const char* what() const noexcept override { return text_.c_str(); }

private:
    std::string text_;
};

}  // namespace mivox
