// Resource identifiers of Setup.exe outside the dialog blocks.
#pragma once

#define IDI_SETUP 1
