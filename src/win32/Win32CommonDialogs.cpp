#include "win32/Win32CommonDialogs.h"

#include <windows.h>
#include <commdlg.h>

#include "platform/Failure.h"
#include "win32/Handles.h"
#include "win32/SystemLibrary.h"

namespace mivox::win32 {

bool Win32CommonDialogs::OpenFile(OpenFileRequest& request) {
    // "Name|*.ext" becomes the NUL-separated, doubly terminated list.
    std::string filter = request.filter;
    for (char& c : filter) {
        if (c == '|') c = '\0';
    }
    filter.append(2, '\0');
    char path[MAX_PATH] = {};
    request.fileName.copy(path, sizeof(path) - 1);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = GetActiveWindow();
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof(path);
    dialog.lpstrTitle = request.title.c_str();
    dialog.lpstrDefExt = request.defaultExtension.c_str();
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    static const Library comdlg32(LoadSystemLibrary("comdlg32.dll"));
    static const auto getOpenFileName =
        BoundFunction<decltype(&GetOpenFileNameA)>(comdlg32.get(), "GetOpenFileNameA");
    if (!getOpenFileName)
        throw Failure("The file dialog of Windows (comdlg32.dll) cannot be loaded.");
    if (!getOpenFileName(&dialog)) return false;
    request.fileName = path;
    return true;
}

}  // namespace mivox::win32
