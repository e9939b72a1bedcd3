// Identifiers of the dialogs of the registration's senders, not built yet:
// each gets its own block of 100 and its own template when it is.
#pragma once

#define IDD_SENDINGEMAIL 700
#define IDD_SENDINGFAX 800
