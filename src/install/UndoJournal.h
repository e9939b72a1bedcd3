// What one run of the installation made, noted as it goes: the files and
// folders, shell links and registry keys that did not exist before, a copy
// of each file it is about to replace and each value it is about to change
// in a key that was there. An unattended run that fails takes them away
// again, the last made first, and puts the replaced files and values back,
// and so leaves the machine as it found it (a key's security once opened to
// everybody stays so).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "install/FileSystemRelay.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

namespace mivox {

class UndoJournal {
public:
    UndoJournal(FileSystem& files, Registry& registry, Shell& shell);
    ~UndoJournal();
    UndoJournal(const UndoJournal&) = delete;
    UndoJournal& operator=(const UndoJournal&) = delete;

    // The seams the installation is to use, each noting what it makes.
    FileSystem& Files();
    Registry& Keys();
    Shell& Links();

    // Removes what was made and puts back what was replaced, the last first,
    // and forgets it: one line for each thing removed, restored or left
    // ("Removed folder C:\Mivox"). A replacement left to the restart is
    // taken back: the file it moves into place gets the earlier content, so
    // it stays, and so does its folder.
    std::vector<std::string> Undo();
    // The run is done: the copies of the replaced files go.
    void Commit();
    // True once a replacement at the next restart of Windows was scheduled
    // (a file in use replaced then), Commit or not.
    bool RestartNeeded() const { return !pending_.empty(); }

private:
    struct Made {
        enum Kind { kFile, kFolder, kLink, kKey, kReplaced, kValue } kind;
        uint32_t root = 0;  // of a key
        std::string path{};
        std::string copy{};  // of a replaced file, as it was
        // A changed value as it was: its name, and its type and bytes when
        // it existed.
        std::string valueName{};
        bool valueExisted = false;
        uint32_t valueType = 0;
        std::string valueData{};
    };
    class FileWatch;
    class KeyWatch;
    class ValueWatch;
    class LinkWatch;

    void Note(Made::Kind kind, const std::string& path, uint32_t root = 0);
    // Before path is written over: a copy of it as it is, once a run, unless
    // the run made it. The copy's failure, when none could be made.
    IoResult KeepCopy(const std::string& path);
    // Before a value of the open key at path is set or deleted: the value as
    // it is, once a run, unless the run made the key.
    void KeepValue(uint32_t root, const std::string& path, const std::string& name);
    // Removes one made thing; a line for the progress log, or nothing when
    // it is gone already.
    std::string Remove(const Made& made);

    FileSystem& files_;
    Registry& registry_;
    std::vector<Made> made_;
    // Files a replacement at restart reads from (upper case), and the file
    // each replaces: never removed.
    std::map<std::string, std::string> pending_;
    // Files made, or kept a copy of, in this run (upper case).
    std::set<std::string> known_;
    // Keys made and values kept in this run: root, then path and name in
    // upper case.
    std::set<std::pair<uint32_t, std::string>> madeKeys_;
    std::set<std::pair<uint32_t, std::string>> keptValues_;
    std::unique_ptr<FileWatch> fileWatch_;
    std::unique_ptr<KeyWatch> keyWatch_;
    std::unique_ptr<LinkWatch> linkWatch_;
};

}  // namespace mivox
