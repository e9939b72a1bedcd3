// Files of 2 GiB and more on the real system: the directory search and the
// byte count see their whole size, and the installer's copy carries every
// byte, so the copy meter's totals and fractions stay right.
#include <windows.h>

#include <gtest/gtest.h>

#include "util/Messages.h"
#include "TempDir.h"
#include "helpers/PlatformWithBoxes.h"
#include "install/InstallSequence.h"
#include "util/FileOps.h"
#include "win32/Win32Platform.h"

namespace mivox {
namespace {

using testing::TempDir;

constexpr int64_t kSize = (int64_t{2} << 30) + 5;  // past the signed 32-bit range

class SilentBoxes : public MessageBoxes {
public:
    int ShowOwned(DialogPeer&, const std::string& text, const std::string& caption,
                  unsigned style) override {
        return Show(text, caption, style);
    }
    int Show(const std::string&, const std::string& caption, unsigned) override {
        shown += caption;
        return kIdOk;
    }
    void Beep(unsigned) override {}
    std::string shown;
};

// A sparse file of kSize bytes that ends with "MIVOX".
void MakeLargeFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end;
    end.QuadPart = kSize - 5;
    DWORD written = 0;
    EXPECT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN));
    EXPECT_TRUE(WriteFile(file, "MIVOX", 5, &written, nullptr));
    CloseHandle(file);
}

std::string Tail(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "(unreadable)";
    LARGE_INTEGER end;
    end.QuadPart = -5;
    char text[6] = {};
    DWORD read = 0;
    SetFilePointerEx(file, end, nullptr, FILE_END);
    ReadFile(file, text, 5, &read, nullptr);
    CloseHandle(file);
    return std::string(text, read);
}

TEST(LargeFiles, TwoGibibytesAndMoreAreCountedAndCopiedWhole) {
    TempDir dir;
    const std::string source = dir.Path() + "\\huge.bin";
    MakeLargeFile(source);
    win32::Win32Platform real;
    SilentBoxes boxes;
    Platform platform = win32::PlatformWithBoxes(real, boxes);
    BoxConversation talk(boxes);

    int64_t found = 0;
    for (const FindData& entry : platform.files.FindEntries(dir.Path() + "\\*.*")) {
        if (entry.name == "huge.bin") found = entry.size;
    }
    EXPECT_EQ(found, kSize);
    EXPECT_EQ(GetFileByteCount(platform.files, source), kSize);
    EXPECT_EQ(ProgressFraction(found, 2 * kSize), 0.5L);

    ASSERT_TRUE(CreateDirectoryA((dir.Path() + "\\out").c_str(), nullptr));
    const std::string copy = dir.Path() + "\\out\\HUGE.BIN";
    EXPECT_TRUE(CopyOneFile(platform.machine(), talk, copy, source, true));
    EXPECT_EQ(boxes.shown, "");
    EXPECT_EQ(GetFileByteCount(platform.files, copy), kSize);
    EXPECT_EQ(Tail(copy), "MIVOX");
    DeleteFileA(copy.c_str());
    RemoveDirectoryA((dir.Path() + "\\out").c_str());
    DeleteFileA(source.c_str());
}

}  // namespace
}  // namespace mivox
