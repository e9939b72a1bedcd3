// Control identifiers of the fax library's choice of modem (block 1200-1299).
#pragma once

#define IDD_DEVICESELECTION 1200

#define IDS_DEVICESELECTION_LABEL 1201
#define IDC_DEVICESELECTION_DEVICES 1202
#define IDB_DEVICESELECTION_OK 1     /* IDOK */
#define IDB_DEVICESELECTION_CANCEL 2 /* IDCANCEL */
