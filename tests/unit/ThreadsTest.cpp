// The standard library's threads, which the native builds link.
#include "contract/ThreadsContract.h"
