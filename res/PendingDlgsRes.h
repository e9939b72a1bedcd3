// Identifier of the fax sender's dialog, not built yet: it gets its own
// block of 100 and its own template when it is.
#pragma once

#define IDD_SENDINGFAX 800
