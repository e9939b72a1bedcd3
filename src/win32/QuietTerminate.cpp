// A windowed program has no console for the C++ library's report of an
// uncaught exception, and its report brings a name demangler of some 45 KB
// into the program. Linked into the program itself (not through a library),
// this handler takes the report's place: std::terminate ends the process as
// before, without the text no one would see. Every exception the installer
// expects is caught and shown long before.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    std::abort();
}

}  // namespace __gnu_cxx
