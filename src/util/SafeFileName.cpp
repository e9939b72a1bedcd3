#include "util/SafeFileName.h"

#include "util/FixedText.h"

namespace mivox {

namespace {

// Windows opens the device for these names whatever extension follows.
bool IsDeviceName(const char* name, size_t size) {
    size_t stem = 0;
    while (stem < size && name[stem] != '.') ++stem;
    // "COM1 .txt" names the device as well: blanks before the dot do not count.
    while (stem > 0 && name[stem - 1] == ' ') --stem;
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
    for (const char* device : kDevices) {
        if (EqualsUpper(name, stem, device)) return true;
    }
    return stem == 4 && (EqualsUpper(name, 3, "COM") || EqualsUpper(name, 3, "LPT")) &&
           name[3] >= '1' && name[3] <= '9';
}

}  // namespace

bool IsSafeFileName(const char* name, size_t size) {
    if (size == 0 || name[size - 1] == '.' || name[size - 1] == ' ') return false;
    for (size_t i = 0; i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 32 || c == 127) return false;
        for (const char* bad = "\\/:*?\"<>|"; *bad; ++bad) {
            if (c == static_cast<unsigned char>(*bad)) return false;
        }
    }
    return !IsDeviceName(name, size);
}

bool IsSafeRelativePath(const char* path, size_t size) {
    size_t start = 0;
    for (size_t i = 0; i <= size; ++i) {
        if (i == size || path[i] == '\\' || path[i] == '/') {
            if (!IsSafeFileName(path + start, i - start)) return false;
            start = i + 1;
        }
    }
    return true;
}

}  // namespace mivox
