// The machine most installation tests start from: a medium on D: (beside
// D:\SETUP.EXE) with the product program 4.10.0.3, its help, two release
// notes and a driver for each Windows family; on C: the Windows folder, the
// all-users shell folders and 100 MB free. The known-good serial driver is
// left to each test, as its date matters to some.
#pragma once

#include <string>

#include "fakes/FakePlatform.h"
#include "install/Shortcuts.h"

namespace mivox::testing {

inline void AddInstallMedium(FakePlatform& fake) {
    fake.files.AddFile("D:\\APP\\Mivox.EXE", std::string(1500000, 'x'));
    fake.files.AddFile("D:\\APP\\Mivox.HLP", "help");
    fake.files.AddFile("D:\\APP\\readme.txt", "read me");
    fake.files.AddFile("D:\\APP\\Release.txt", "released");
    fake.files.AddFile("D:\\WinNT\\System32\\mivoxdrv.sys", "nt driver");
    fake.files.AddFile("D:\\Win9X\\System\\mivox.vxd", "9x driver");
    fake.versions.Add("D:\\APP\\Mivox.EXE", 0x0004000A, 0x00000003);
    for (const char* dir : {"C:\\WINDOWS", "C:\\All\\Programs", "C:\\All\\Desktop"}) {
        fake.files.AddDirectory(dir);
    }
    fake.files.driveCapacity['C'] = 100000000;
    fake.registry.SetString(kHkeyLocalMachine, kShellFoldersKey, "Common Programs",
                            "C:\\All\\Programs");
    fake.registry.SetString(kHkeyLocalMachine, kShellFoldersKey, "Common Desktop",
                            "C:\\All\\Desktop");
}

}  // namespace mivox::testing
