// Control identifiers of the main dialog (block 100-199).
#pragma once

#define IDD_MAIN 100

#define IDT_MAIN_PRODUCT 101
#define IDT_MAIN_VERNUM 102
#define IDT_MAIN_VERDATE 103
#define IDE_MAIN_LICENSE 104
#define IDG_MAIN_PATH 105
#define IDT_MAIN_PATH 106
#define IDB_MAIN_PATH 107
#define IDE_MAIN_DIR 108
#define IDT_MAIN_NEED 109
#define IDT_MAIN_FREE 110
#define IDB_MAIN_INSTALL 111
#define IDB_MAIN_FLOPPY 112
#define IDB_MAIN_EXIT 2 /* IDCANCEL: Esc presses Exit */
#define IDT_MAIN_OWNER 120
#define IDT_MAIN_ADDRESS1 121
#define IDT_MAIN_ADDRESS2 122
#define IDT_MAIN_PHONE 123
#define IDT_MAIN_FAX 124
#define IDT_MAIN_WEB 125
#define IDT_MAIN_SUPPORT 126
#define IDI_MAIN_LOGO 130
