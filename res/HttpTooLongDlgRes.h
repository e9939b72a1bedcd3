// Control identifiers of the notice of a registration URL too long to send
// directly (block 1000-1099).
#pragma once

#define IDD_HTTPTOOLONG 1000

#define IDG_HTTPTOOLONG_MESSAGE 1001
#define IDE_HTTPTOOLONG_MESSAGE 1002
#define IDB_HTTPTOOLONG_OK 1 /* IDOK */
