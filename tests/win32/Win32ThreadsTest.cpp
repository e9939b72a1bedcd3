// The system's own threads, which the Windows programs link.
#include "contract/ThreadsContract.h"
