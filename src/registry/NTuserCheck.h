// Whether the installer runs as an administrator of Windows NT.
#pragma once

#include "platform/Security.h"

namespace mivox {

// True when the local Administrators alias is among the groups of the
// thread's token (the process's when the thread is not impersonating),
// whatever the group's attributes. Every failure gives false. The group
// list is read into a buffer of the size the system asks for: a member of
// a few hundred domain groups is still an administrator.
bool IsAdministrator(Security& security);

}  // namespace mivox
