// Control identifiers of the copy progress dialog (block 300-399).
#pragma once

#define IDD_COPYMETER 300

#define IDA_COPYMETER_FILECOPY 301
#define IDT_COPYMETER_DIRNAME 302
#define IDP_COPYMETER_DIR 303
#define IDT_COPYMETER_FILENAME 304
#define IDP_COPYMETER_FILE 305
#define IDB_COPYMETER_CANCEL 2 /* IDCANCEL and the default button: Esc and Enter press it */
