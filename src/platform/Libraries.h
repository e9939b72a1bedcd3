// Libraries bound by name at run time (LoadLibrary, GetProcAddress,
// FreeLibrary), for services that some machines lack.
#pragma once

#include <memory>
#include <string>

namespace mivox {

// One loaded library; released when destroyed.
class LoadedLibrary {
public:
    virtual ~LoadedLibrary() = default;
    // The entry point of an exported function; nullptr when there is none.
    virtual void* Proc(const std::string& name) const = 0;
};

class Libraries {
public:
    virtual ~Libraries() = default;
    // nullptr when the library cannot be loaded.
    virtual std::unique_ptr<LoadedLibrary> Load(const std::string& name) = 0;
};

}  // namespace mivox
