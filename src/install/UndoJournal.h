// What one run of the installation made, noted as it goes: the files and
// folders, shell links and registry keys that did not exist before, and a
// copy of each file it is about to replace. An unattended run that fails
// takes them away again, the last made first, and puts the replaced files
// back, and so leaves the machine as it found it. A value written into a key
// that existed stays written.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
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
    // ("Removed folder C:\Mivox"). A file that a replacement at restart still
    // needs stays, and so does its folder.
    std::vector<std::string> Undo();
    // The run is done: the copies of the replaced files go.
    void Commit();

private:
    struct Made {
        enum Kind { kFile, kFolder, kLink, kKey, kReplaced } kind;
        uint32_t root;  // of a key
        std::string path;
        std::string copy;  // of a replaced file, as it was
    };
    class FileWatch;
    class KeyWatch;
    class LinkWatch;

    void Note(Made::Kind kind, const std::string& path, uint32_t root = 0);
    // Before path is written over: a copy of it as it is, once a run, unless
    // the run made it.
    void KeepCopy(const std::string& path);
    // Removes one made thing; a line for the progress log, or nothing when
    // it is gone already.
    std::string Remove(const Made& made);

    FileSystem& files_;
    Registry& registry_;
    std::vector<Made> made_;
    // Files a replacement at restart reads from: never removed.
    std::set<std::string> pending_;
    // Files made, or kept a copy of, in this run (upper case).
    std::set<std::string> known_;
    std::unique_ptr<FileWatch> fileWatch_;
    std::unique_ptr<KeyWatch> keyWatch_;
    std::unique_ptr<LinkWatch> linkWatch_;
};

}  // namespace mivox
