// A test double of the Libraries seam: one library whose exports are the
// function pointers a test puts in procs.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Libraries.h"

namespace mivox::testing {

struct FakeLibraries : Libraries {
    struct Lib : LoadedLibrary {
        explicit Lib(FakeLibraries& owner) : owner(owner) { ++owner.loaded; }
        ~Lib() override { --owner.loaded; }
        void* Proc(const std::string& name) const override {
            const auto it = owner.procs.find(name);
            return it == owner.procs.end() ? nullptr : it->second;
        }
        FakeLibraries& owner;
    };
    std::unique_ptr<LoadedLibrary> Load(const std::string& name) override {
        names.push_back(name);
        if (!present) return nullptr;
        return std::make_unique<Lib>(*this);
    }
    bool present = true;
    int loaded = 0;
    std::vector<std::string> names;
    std::map<std::string, void*> procs;
};

}  // namespace mivox::testing
