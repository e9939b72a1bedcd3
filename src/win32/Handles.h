// One owner type per kind of system resource: each closes its resource once,
// when it goes out of scope, and cannot be copied.
#pragma once

#include <windows.h>

#include <utility>

namespace mivox::win32 {

template <typename T, typename Traits>
class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(T value) : value_(value) {}
    ~UniqueResource() { reset(); }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::Invalid(); }
    T release() { return std::exchange(value_, Traits::Invalid()); }
    void reset(T value = Traits::Invalid()) {
        if (value_ != Traits::Invalid()) Traits::Close(value_);
        value_ = value;
    }

private:
    T value_ = Traits::Invalid();
};

struct KernelHandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
// A handle from CreateFile and friends, where failure is INVALID_HANDLE_VALUE.
struct FileHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct FindHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { FindClose(h); }
};
struct RegKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY key) { RegCloseKey(key); }
};
struct LibraryTraits {
    static HMODULE Invalid() { return nullptr; }
    static void Close(HMODULE module) { FreeLibrary(module); }
};
struct WindowTraits {
    static HWND Invalid() { return nullptr; }
    static void Close(HWND window) { DestroyWindow(window); }
};

using UniqueHandle = UniqueResource<HANDLE, KernelHandleTraits>;
using FileHandle = UniqueResource<HANDLE, FileHandleTraits>;
using FindHandle = UniqueResource<HANDLE, FindHandleTraits>;
using RegKey = UniqueResource<HKEY, RegKeyTraits>;
using Library = UniqueResource<HMODULE, LibraryTraits>;
using UniqueWindow = UniqueResource<HWND, WindowTraits>;

}  // namespace mivox::win32
