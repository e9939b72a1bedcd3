// Control identifiers of the directory picker (block 200-299).
#pragma once

#define IDD_DIRPICK 200

#define IDT_DIRPICK_PATH 201
#define IDC_DIRPICK_DRIVES 202
#define IDL_DIRPICK_DIRS 203
#define IDB_DIRPICK_OK 1     /* IDOK: Enter presses Ok */
#define IDB_DIRPICK_CANCEL 2 /* IDCANCEL: Esc presses Cancel */
