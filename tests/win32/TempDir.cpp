#include "TempDir.h"

#include <stdexcept>

namespace mivox::testing {

namespace {

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            const std::string child = path + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
}

}  // namespace

TempDir::TempDir() {
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    for (unsigned n = GetTickCount() ^ GetCurrentProcessId();; ++n) {
        const std::string candidate = std::string(base) + "mivox-test-" + std::to_string(n);
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("no temp folder");
    }
}

TempDir::~TempDir() {
    RemoveTree(path_);
}

std::string TempDir::WriteFile(const std::string& name, const std::string& contents) const {
    const std::string path = path_ + "\\" + name;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + path);
    DWORD written = 0;
    ::WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
    CloseHandle(file);
    return path;
}

}  // namespace mivox::testing
