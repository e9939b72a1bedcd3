// Control identifiers of the notice to a user without administrator rights
// (block 1100-1199).
#pragma once

#define IDD_NTRIGHTS 1100

#define IDE_NTRIGHTS_MESSAGE 1101
#define IDB_NTRIGHTS_OK 1 /* IDOK */
