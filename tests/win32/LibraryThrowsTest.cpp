// The C++ library's errors as the Windows programs raise them: a failed
// allocation keeps its standard type, any other error reaches the handlers
// as a std::exception with the library's text, its numbers filled in.
#include <bits/functexcept.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace mivox::win32 {
namespace {

std::string TextOf(const std::function<void()>& fault) {
    try {
        fault();
    } catch (const std::bad_alloc&) {
        return "bad_alloc";
    } catch (const std::exception& error) {
        return error.what();
    }
    return "no exception";
}

TEST(LibraryThrowsTest, ErrorsCarryTheLibrarysText) {
    const struct {
        std::function<void()> fault;
        std::string text;
    } kCases[] = {
        {[] { (void)std::string("abc").substr(5); },
         "basic_string::substr: __pos (which is 5) > this->size() (which is 3)"},
        {[] { (void)std::string().substr(1); },
         "basic_string::substr: __pos (which is 1) > this->size() (which is 0)"},
        {[] { std::__throw_logic_error(std::string(300, 'x').c_str()); },
         std::string(255, 'x')},  // cut at the end of its buffer
        {[] { (void)std::vector<int>(2).at(17); },
         "vector::_M_range_check: __n (which is 17) >= this->size() (which is 2)"},
        {[] { std::vector<int>().reserve(SIZE_MAX / 2); }, "vector::reserve"},
        {[] { (void)std::stoi("x"); }, "stoi"},
        {[] { (void)std::allocator<int64_t>().allocate(SIZE_MAX / 8); }, "bad_alloc"},
    };
    for (const auto& c : kCases) EXPECT_EQ(TextOf(c.fault), c.text);
}

TEST(LibraryThrowsTest, AnOversizedArrayIsABadArrayNewLength) {
    EXPECT_THROW((void)std::allocator<int64_t>().allocate(SIZE_MAX / 4), std::bad_array_new_length);
}

}  // namespace
}  // namespace mivox::win32
