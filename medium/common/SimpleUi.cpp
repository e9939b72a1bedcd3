#include "SimpleUi.h"

#include <windows.h>
#include <shlobj.h>

#include "util/FixedText.h"

namespace mivox::simple_ui {

int Say(const char* caption, const char* text, unsigned style) {
    return MessageBoxA(nullptr, text, caption, style | MB_TASKMODAL);
}

const char* SystemErrorText(unsigned long code, char (&text)[256]) {
    text[0] = '\0';
    if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                       text, sizeof(text) - 1, nullptr) == 0) {
        lstrcpynA(text, "unknown error", sizeof(text));
    }
    return text;
}

bool ChooseFolder(const char* caption, const char* question, const char* proposal,
                  const char* browseTitle, char (&folder)[kPathSize]) {
    FixedText<3 * kPathSize> text(question);
    text.Add("\n\n").Add(proposal).Add("\n\nYes: use this folder.\nNo: choose another folder.");
    const int answer = Say(caption, text.c_str(), MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDYES) {
        lstrcpynA(folder, proposal, sizeof(folder));
        return true;
    }
    if (answer != IDNO) return false;
    BROWSEINFOA browse{};
    browse.lpszTitle = browseTitle;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE picked = SHBrowseForFolderA(&browse);
    if (!picked) return false;
    const BOOL ok = SHGetPathFromIDListA(picked, folder);
    CoTaskMemFree(picked);
    return ok != FALSE;
}

}  // namespace mivox::simple_ui
