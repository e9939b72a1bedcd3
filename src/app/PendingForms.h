// The registration's dialogs. Not built yet: each is an empty, hidden window
// that nothing shows, created at start-up in its place among the others so
// that the order of the program's windows is already the final one. Each
// moves to a unit of its own when it is built.
#pragma once

#include "platform/DialogPeer.h"

namespace mivox {

class TProdRegDlg final : public DialogEvents {
public:
    explicit TProdRegDlg(DialogPeer&) {}
    void Command(int, int) override {}
};

class TSendingEMailDlg final : public DialogEvents {
public:
    explicit TSendingEMailDlg(DialogPeer&) {}
    void Command(int, int) override {}
};

class TSendingFaxDlg final : public DialogEvents {
public:
    explicit TSendingFaxDlg(DialogPeer&) {}
    void Command(int, int) override {}
};

class THttpTooLongDlg final : public DialogEvents {
public:
    explicit THttpTooLongDlg(DialogPeer&) {}
    void Command(int, int) override {}
};

}  // namespace mivox
