#include "SimpleUi.h"

#include <windows.h>
#include <shlobj.h>

namespace mivox::simple_ui {

int Say(const std::string& caption, const std::string& text, unsigned style) {
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(), style | MB_TASKMODAL);
}

std::string SystemErrorText(unsigned long code) {
    char text[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   text, sizeof(text) - 1, nullptr);
    return text;
}

std::string ChooseFolder(const std::string& caption, const std::string& question,
                         const std::string& proposal, const std::string& browseTitle) {
    const int answer =
        Say(caption,
            question + "\n\n" + proposal + "\n\nYes: use this folder.\nNo: choose another folder.",
            MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDYES) return proposal;
    if (answer != IDNO) return {};
    char path[MAX_PATH] = {};
    BROWSEINFOA browse{};
    browse.lpszTitle = browseTitle.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE picked = SHBrowseForFolderA(&browse);
    if (!picked) return {};
    const BOOL ok = SHGetPathFromIDListA(picked, path);
    CoTaskMemFree(picked);
    return ok ? path : std::string();
}

}  // namespace mivox::simple_ui
