// Control identifiers of the text file viewer (block 900-999).
#pragma once

#define IDD_TXTVIEWER 900

#define IDG_TXTVIEWER_FILE 901
#define IDE_TXTVIEWER_FILE 902
#define IDB_TXTVIEWER_OK 1 /* IDOK */
