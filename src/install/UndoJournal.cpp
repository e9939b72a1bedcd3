#include "install/UndoJournal.h"

#include "util/TextUtil.h"

namespace mivox {

namespace {

std::string KeyName(uint32_t root, const std::string& path) {
    return (root == kHkeyCurrentUser ? "HKEY_CURRENT_USER\\" : "HKEY_LOCAL_MACHINE\\") + path;
}

}  // namespace

class UndoJournal::FileWatch final : public FileSystemRelay {
public:
    FileWatch(FileSystem& files, UndoJournal& journal)
        : FileSystemRelay(files), journal_(journal) {}

    IoResult Copy(const std::string& source, const std::string& dest, bool failIfExists) override {
        const bool existed = FileExists(dest);
        if (existed && !failIfExists) {
            // Without a copy the file could not be put back: it is not
            // overwritten, and the run fails.
            if (const IoResult kept = journal_.KeepCopy(dest); !kept) return kept;
        }
        const IoResult done = FileSystemRelay::Copy(source, dest, failIfExists);
        // A copy that failed part-way may leave a piece behind.
        if (!existed && FileExists(dest)) journal_.Note(Made::kFile, dest);
        return done;
    }
    CreatedFile CreateOutputFile(const std::string& path) override {
        const bool existed = FileExists(path);
        if (existed) {
            if (const IoResult kept = journal_.KeepCopy(path); !kept) return kept;
        }
        CreatedFile file = FileSystemRelay::CreateOutputFile(path);
        if (file && !existed) journal_.Note(Made::kFile, path);
        return file;
    }
    IoResult Rename(const std::string& existing, const std::string& newName) override {
        const bool existed = FileExists(newName);
        if (existed) {
            if (const IoResult kept = journal_.KeepCopy(newName); !kept) return kept;
        }
        const IoResult done = FileSystemRelay::Rename(existing, newName);
        if (done && !existed) journal_.Note(Made::kFile, newName);
        return done;
    }
    IoResult CreateDir(const std::string& path) override {
        const IoResult done = FileSystemRelay::CreateDir(path);
        if (done) journal_.Note(Made::kFolder, path);
        return done;
    }
    IoResult MoveFileAtRestart(const std::string& existing, const std::string& newName) override {
        const IoResult done = FileSystemRelay::MoveFileAtRestart(existing, newName);
        if (done && !newName.empty()) journal_.pending_[UpperText(existing)] = newName;
        return done;
    }
    IoResult WriteIniString(const std::string& file, const std::string& section,
                            const std::string& key, const std::string& value) override {
        const IoResult done = FileSystemRelay::WriteIniString(file, section, key, value);
        // Windows 95/98 carry out WININIT.INI's [Rename] section at start-up:
        // the value is the file that takes key's place (or, for NUL, the file
        // deleted).
        const std::string name = UpperText(file);
        if (done && UpperText(section) == "RENAME" && UpperText(key) != "NUL" &&
            name.size() >= 11 && name.compare(name.size() - 11, 11, "WININIT.INI") == 0) {
            journal_.pending_[UpperText(value)] = key;
        }
        return done;
    }

private:
    UndoJournal& journal_;
};

// An open key whose values are kept before they change.
class UndoJournal::ValueWatch final : public RegistryKey {
public:
    ValueWatch(std::unique_ptr<RegistryKey> key, uint32_t root, std::string path,
               UndoJournal& journal)
        : key_(std::move(key)), root_(root), path_(std::move(path)), journal_(journal) {}

    long QueryValue(const std::string& name, uint32_t& type, std::string& data) const override {
        return key_->QueryValue(name, type, data);
    }
    long SetValue(const std::string& name, uint32_t type, const std::string& data) override {
        journal_.KeepValue(root_, path_, name);
        return key_->SetValue(name, type, data);
    }
    long DeleteValue(const std::string& name) override {
        journal_.KeepValue(root_, path_, name);
        return key_->DeleteValue(name);
    }
    long SubKeyNames(std::vector<std::string>& names) const override {
        return key_->SubKeyNames(names);
    }

private:
    std::unique_ptr<RegistryKey> key_;
    uint32_t root_;
    std::string path_;
    UndoJournal& journal_;
};

class UndoJournal::KeyWatch final : public Registry {
public:
    KeyWatch(Registry& registry, UndoJournal& journal) : registry_(registry), journal_(journal) {}

    long OpenKey(uint32_t root, const std::string& path, uint32_t access,
                 std::unique_ptr<RegistryKey>& key) override {
        const long result = registry_.OpenKey(root, path, access, key);
        if (result == kRegSuccess) Watch(root, path, key);
        return result;
    }
    long CreateKey(uint32_t root, const std::string& path, uint32_t access,
                   std::unique_ptr<RegistryKey>& key) override {
        // The keys of the path that are missing, from the outermost in.
        std::vector<std::string> missing;
        for (size_t end = path.find('\\');; end = path.find('\\', end + 1)) {
            const std::string part = path.substr(0, end);
            std::unique_ptr<RegistryKey> existing;
            if (!part.empty() && (!missing.empty() || registry_.OpenKey(root, part, kKeyRead,
                                                                        existing) != kRegSuccess)) {
                missing.push_back(part);
            }
            if (end == std::string::npos) break;
        }
        const long result = registry_.CreateKey(root, path, access, key);
        if (result == kRegSuccess) {
            for (const std::string& part : missing) journal_.Note(Made::kKey, part, root);
            Watch(root, path, key);
        }
        return result;
    }
    long DeleteKey(uint32_t root, const std::string& path) override {
        return registry_.DeleteKey(root, path);
    }

private:
    void Watch(uint32_t root, const std::string& path, std::unique_ptr<RegistryKey>& key) {
        key = std::make_unique<ValueWatch>(std::move(key), root, path, journal_);
    }

    Registry& registry_;
    UndoJournal& journal_;
};

class UndoJournal::LinkWatch final : public Shell {
public:
    LinkWatch(Shell& shell, UndoJournal& journal) : shell_(shell), journal_(journal) {}

    bool SaveShellLink(const std::string& linkFile, const std::string& path,
                       const std::string& arguments, const std::string& workingDirectory) override {
        const bool existed = journal_.files_.FileExists(linkFile);
        const bool done = shell_.SaveShellLink(linkFile, path, arguments, workingDirectory);
        if (!existed && journal_.files_.FileExists(linkFile)) journal_.Note(Made::kLink, linkFile);
        return done;
    }
    bool ExitSession(uint32_t flags) override { return shell_.ExitSession(flags); }

private:
    Shell& shell_;
    UndoJournal& journal_;
};

UndoJournal::UndoJournal(FileSystem& files, Registry& registry, Shell& shell)
    : files_(files),
      registry_(registry),
      fileWatch_(std::make_unique<FileWatch>(files, *this)),
      keyWatch_(std::make_unique<KeyWatch>(registry, *this)),
      linkWatch_(std::make_unique<LinkWatch>(shell, *this)) {}

UndoJournal::~UndoJournal() = default;

FileSystem& UndoJournal::Files() {
    return *fileWatch_;
}

Registry& UndoJournal::Keys() {
    return *keyWatch_;
}

Shell& UndoJournal::Links() {
    return *linkWatch_;
}

void UndoJournal::Note(Made::Kind kind, const std::string& path, uint32_t root) {
    made_.push_back({kind, root, path, {}});
    if (kind == Made::kFile || kind == Made::kLink) known_.insert(UpperText(path));
    if (kind == Made::kKey) madeKeys_.insert({root, UpperText(path)});
}

void UndoJournal::KeepValue(uint32_t root, const std::string& path, const std::string& name) {
    if (madeKeys_.count({root, UpperText(path)})) return;
    if (!keptValues_.insert({root, UpperText(path) + '\\' + UpperText(name)}).second) return;
    // Read through a key of its own: the writer's may not allow reading. A
    // value that cannot be read is not known to be missing, so it is left
    // alone rather than deleted by the undo.
    std::unique_ptr<RegistryKey> reader;
    if (registry_.OpenKey(root, path, kKeyRead, reader) != kRegSuccess) return;
    Made kept{Made::kValue, root, path, {}, name};
    const long found = reader->QueryValue(name, kept.valueType, kept.valueData);
    if (found != kRegSuccess && found != kErrorFileNotFound) return;
    kept.valueExisted = found == kRegSuccess;
    made_.push_back(std::move(kept));
}

IoResult UndoJournal::KeepCopy(const std::string& path) {
    if (known_.count(UpperText(path))) return IoResult::Ok();
    // Beside the file, on its drive, under a name no file has yet.
    std::string copy;
    for (int n = 0; copy.empty() || files_.FileExists(copy); ++n) {
        copy = path + ".~undo" + (n ? std::to_string(n) : "");
    }
    // Without a copy (a file held open, a full drive) the file could not be
    // put back: the caller leaves it as it is.
    const IoResult copied = files_.Copy(path, copy, true);
    if (!copied) {
        // A piece of a copy that failed part-way goes again.
        if (files_.FileExists(copy)) files_.Delete(copy);
        return copied;
    }
    known_.insert(UpperText(path));
    made_.push_back({Made::kReplaced, 0, path, copy});
    return copied;
}

void UndoJournal::Commit() {
    for (const Made& made : made_) {
        if (made.kind != Made::kReplaced) continue;
        files_.SetAttributes(made.copy, kAttrNormal);
        files_.Delete(made.copy);
    }
    made_.clear();
}

std::vector<std::string> UndoJournal::Undo() {
    std::vector<std::string> lines;
    // A replacement this run left to the restart is taken back: the file
    // the restart moves into place becomes the earlier one again, so that
    // the restart puts back what is there now.
    for (const auto& [temporary, dest] : pending_) {
        files_.SetAttributes(temporary, kAttrNormal);
        lines.push_back(files_.Copy(dest, temporary, false)
                            ? "Took back the replacement of " + dest + " at the restart"
                            : "Could not take back the replacement of " + dest + " at the restart");
    }
    for (auto made = made_.rbegin(); made != made_.rend(); ++made) {
        std::string line = Remove(*made);
        if (!line.empty()) lines.push_back(std::move(line));
    }
    made_.clear();
    return lines;
}

std::string UndoJournal::Remove(const Made& made) {
    switch (made.kind) {
        case Made::kFile:
        case Made::kLink: {
            const char* what = made.kind == Made::kFile ? "file " : "shortcut ";
            if (!files_.FileExists(made.path)) return {};
            if (pending_.count(UpperText(made.path))) {
                return std::string("Kept ") + what + made.path +
                       ": it puts back a file in use when Windows restarts";
            }
            files_.SetAttributes(made.path, kAttrNormal);
            if (files_.Delete(made.path)) return std::string("Removed ") + what + made.path;
            return std::string("Could not remove ") + what + made.path;
        }
        case Made::kReplaced: {
            // Replaced at the restart, not now: the file is as it was.
            bool atRestart = false;
            for (const auto& [temporary, dest] : pending_) {
                atRestart = atRestart || UpperText(dest) == UpperText(made.path);
            }
            if (!atRestart) {
                files_.SetAttributes(made.path, kAttrNormal);
                if (!files_.Copy(made.copy, made.path, false)) {
                    return "Could not restore file " + made.path + "; it was kept as " + made.copy;
                }
            }
            files_.SetAttributes(made.copy, kAttrNormal);
            files_.Delete(made.copy);
            return atRestart ? std::string() : "Restored file " + made.path;
        }
        case Made::kFolder:
            if (!files_.DirectoryExists(made.path)) return {};
            if (files_.RemoveDir(made.path)) return "Removed folder " + made.path;
            return "Could not remove folder " + made.path + ": it is not empty";
        case Made::kValue: {
            const std::string name =
                "registry value " + made.valueName + " of " + KeyName(made.root, made.path);
            std::unique_ptr<RegistryKey> key;
            if (registry_.OpenKey(made.root, made.path, kKeySetValue, key) != kRegSuccess) {
                return "Could not restore " + name;
            }
            if (made.valueExisted) {
                if (key->SetValue(made.valueName, made.valueType, made.valueData) == kRegSuccess) {
                    return "Restored " + name;
                }
                return "Could not restore " + name;
            }
            // The key is open for setting only, which does not allow
            // reading: a value gone already is told by the deletion.
            const long removed = key->DeleteValue(made.valueName);
            if (removed == kRegSuccess) return "Removed " + name;
            if (removed == kErrorFileNotFound) return {};
            return "Could not remove " + name;
        }
        case Made::kKey: {
            const std::string name = KeyName(made.root, made.path);
            std::unique_ptr<RegistryKey> key;
            if (registry_.OpenKey(made.root, made.path, kKeyRead, key) != kRegSuccess) return {};
            key.reset();
            // Subkeys it made are gone by now; one it did not make stays.
            if (registry_.DeleteKey(made.root, made.path) == kRegSuccess) {
                return "Removed registry key " + name;
            }
            return "Could not remove registry key " + name;
        }
    }
    return {};
}

}  // namespace mivox
