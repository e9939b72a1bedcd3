// Install.Exe, the joining program of the floppy disk set: reads Install.Ini
// from disk 1 in drive A:, asks for each disk in turn, puts the archive
// program back together in a folder the user confirms, checks it against the
// size and CRC-32 of Install.Ini, and starts it.
//
// It shares disk 1 with a full part, so it is plain Win32 without the C++
// library, built for size. Its image is marked to run from the swap file
// (see Medium.cmake), so Windows never pages it in from the disk the user is
// asked to take out.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include "SimpleUi.h"

#include "floppy/DiskSetJoiner.h"
#include "floppy/FloppyNames.h"
#include "util/FixedText.h"
#include "win32/Handles.h"
#include "win32/SystemLibrary.h"

namespace {

using mivox::FixedText;
using mivox::simple_ui::Say;
using Message = FixedText<2 * mivox::kJoinPathSize + 400>;

constexpr char kCaption[] = "Mivox Disk Set";
constexpr char kIniPath[] = "A:\\Install.Ini";

// Memory for one part at a time (and Install.Ini before it), taken when the
// program starts rather than stored in its image.
class PartBuffer {
public:
    PartBuffer()
        : bytes_(static_cast<char*>(
              VirtualAlloc(nullptr, kSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))) {}
    ~PartBuffer() {
        if (bytes_) VirtualFree(bytes_, 0, MEM_RELEASE);
    }
    PartBuffer(const PartBuffer&) = delete;
    PartBuffer& operator=(const PartBuffer&) = delete;

    static constexpr size_t kSize = mivox::kFloppyPartSize;
    char* get() const { return bytes_; }

private:
    char* bytes_;
};

const char* ErrorText(DWORD code) {
    static char text[256];
    return mivox::simple_ui::SystemErrorText(code, text);
}

// A file's whole size, also past 4 GiB; false when it cannot be read.
bool WholeSize(HANDLE file, int64_t& size) {
    DWORD high = 0;
    const DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
    size = static_cast<int64_t>(static_cast<uint64_t>(high) << 32 | low);
    return true;
}

class Win32Join final : public mivox::JoinSystem {
public:
    // The system's error code of the last write that failed.
    DWORD failure = NO_ERROR;

    bool InsertDisk(int disk, int count, const char* problem) override {
        Message text;
        if (*problem) text.Add(problem).Add("\n\n");
        text.Add("Insert disk ").AddNumber(disk).Add(" of ").AddNumber(count);
        text.Add(" into drive A:, then press OK.");
        return Say(kCaption, text.c_str(),
                   MB_OKCANCEL | (*problem ? MB_ICONWARNING : MB_ICONINFORMATION)) == IDOK;
    }

    bool ReadFile(const char* path, char* buffer, size_t capacity, int64_t& size) override {
        mivox::win32::FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file || !WholeSize(file.get(), size)) return false;
        if (size > static_cast<int64_t>(capacity)) return true;
        for (int64_t done = 0; done < size;) {
            DWORD read = 0;
            if (!::ReadFile(file.get(), buffer + done, static_cast<DWORD>(size - done), &read,
                            nullptr) ||
                read == 0) {
                return false;
            }
            done += read;
        }
        return true;
    }

    bool CreateTempFile(const char* folder, char (&path)[mivox::kJoinPathSize]) override {
        // GetTempFileName creates the file, so the name is ours alone.
        if (GetTempFileNameA(folder, "MVX", 0, path)) {
            out_.reset(CreateFileA(path, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        }
        return Succeeded(static_cast<bool>(out_));
    }

    bool Write(const char* data, size_t size) override {
        DWORD written = 0;
        return Succeeded(WriteFile(out_.get(), data, static_cast<DWORD>(size), &written, nullptr) &&
                         written == size);
    }

    bool CloseTempFile() override { return Succeeded(out_ && CloseHandle(out_.release())); }

    bool Replace(const char* from, const char* to) override {
        if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) return true;
        // Windows 95/98 have no MoveFileEx: the old file goes only now, once
        // the new one is complete and checked.
        if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return Succeeded(false);
        if (!DeleteFileA(to) && GetLastError() != ERROR_FILE_NOT_FOUND) return Succeeded(false);
        return Succeeded(MoveFileA(from, to) != FALSE);
    }

    void Delete(const char* path) override { DeleteFileA(path); }

private:
    bool Succeeded(bool ok) {
        if (!ok) failure = GetLastError();
        return ok;
    }

    mivox::win32::FileHandle out_;
};

// Reads and checks A:\Install.Ini, asking for disk 1 until it is there.
bool ReadSpec(Win32Join& system, const PartBuffer& buffer, mivox::DiskSetSpec& spec) {
    int64_t size = 0;
    while (!system.ReadFile(kIniPath, buffer.get(), buffer.kSize, size)) {
        Message text("Insert disk 1 of the Mivox disk set into drive A:, then press OK.\n\n(");
        text.Add(kIniPath).Add(": ").Add(ErrorText(GetLastError())).Add(")");
        if (Say(kCaption, text.c_str(), MB_OKCANCEL | MB_ICONINFORMATION) != IDOK) return false;
    }
    const char* problem =
        size > static_cast<int64_t>(buffer.kSize)
            ? "It is far larger than the description of a disk set."
            : mivox::ReadDiskSetSpec(buffer.get(), static_cast<size_t>(size), spec);
    if (problem) {
        Message text(kIniPath);
        text.Add(" is damaged and cannot be used: ").Add(problem);
        Say(kCaption, text.c_str(), MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}

int Run() {
    // A drive without a disk must answer "not ready" rather than ask itself.
    SetErrorMode(SEM_FAILCRITICALERRORS);
    PartBuffer buffer;
    if (!buffer.get()) {
        Say(kCaption, ErrorText(GetLastError()), MB_OK | MB_ICONERROR);
        return 1;
    }
    Win32Join system;
    mivox::DiskSetSpec spec;
    if (!ReadSpec(system, buffer, spec)) return 1;

    char proposal[MAX_PATH] = {};
    const DWORD length = GetTempPathA(sizeof(proposal), proposal);
    if (length > 3 && length < sizeof(proposal) && proposal[length - 1] == '\\') {
        proposal[length - 1] = '\0';
    }
    Message question(spec.fileExeName);
    question.Add(" will be put together in the folder");
    char folder[mivox::simple_ui::kPathSize] = {};
    if (!mivox::simple_ui::ChooseFolder(kCaption, question.c_str(), proposal,
                                        "Put the archive program together in:", folder)) {
        return 1;
    }

    for (;;) {
        const mivox::JoinResult result =
            mivox::JoinDiskSet(system, spec, folder, buffer.get(), buffer.kSize);
        Message text(result.path);
        switch (result.status) {
            case mivox::JoinResult::kJoined:
                text.Add(" is complete and checked. It will be started now.");
                Say(kCaption, text.c_str(), MB_OK | MB_ICONINFORMATION);
                if (reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", result.path, nullptr,
                                                            folder, SW_SHOWNORMAL)) <= 32) {
                    Message failed(result.path);
                    failed.Add(" cannot be started: ").Add(ErrorText(GetLastError()));
                    Say(kCaption, failed.c_str(), MB_OK | MB_ICONERROR);
                    return 1;
                }
                return 0;
            case mivox::JoinResult::kCancelled:
                return 1;
            case mivox::JoinResult::kWriteFailed:
                text.Add(" cannot be written: ").Add(ErrorText(system.failure));
                Say(kCaption, text.c_str(), MB_OK | MB_ICONERROR);
                return 1;
            case mivox::JoinResult::kCorrupt:
                text = Message("The joined ");
                text.Add(spec.fileExeName);
                text.Add(
                    " does not match the size and checksum of the disk set: a disk is "
                    "damaged or belongs to another set.\n\nRetry: read the disks again "
                    "from disk 1.");
                if (Say(kCaption, text.c_str(), MB_RETRYCANCEL | MB_ICONERROR) != IDRETRY) {
                    return 1;
                }
                break;
        }
    }
}

}  // namespace

// Built without the C++ library: an abstract class's table names this.
extern "C" void __cxa_pure_virtual() {
    ExitProcess(3);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    mivox::win32::RestrictLibrarySearch();
    const HRESULT com = CoInitialize(nullptr);
    const int exitCode = Run();
    if (SUCCEEDED(com)) CoUninitialize();
    return exitCode;
}
