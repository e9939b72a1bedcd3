#include "install/InstallLog.h"

#include <set>

#include "uninstall/UninstallLog.h"
#include "util/DateTimeText.h"
#include "util/Errors.h"
#include "util/TextUtil.h"

namespace mivox {

namespace {

// The uninstaller's numbers for the root keys of the tree lines.
constexpr int kRegDbRootNone = 0;
constexpr int kRegDbRootLocalMachine = 2;

}  // namespace

InstallLog::InstallLog(const Machine& machine, const std::string& installDir)
    : machine_(machine), installDir_(installDir), path_(installDir + kFileName) {
    CreatedFile created = machine_.files.CreateOutputFile(path_);
    if (!created) Fail("create", created.Error());
    file_ = created.Take();
    WriteLine("*** Installation Started: " + DateTimeText(machine_.clock) + " ***");
    WriteLine("Title: Mivox");
    WriteFileTree(installDir);
}

InstallLog::~InstallLog() {
    // What was written stays; a late failure here has no one to tell.
    if (file_) file_->Close();
}

void InstallLog::Fail(const std::string& what, uint32_t error) const {
    throw IoError("Cannot " + what + " " + path_ + " (error " + std::to_string(error) + ")");
}

void InstallLog::WriteLine(const std::string& line) {
    // A log closed already has no file left to write to.
    const IoResult written =
        file_ ? file_->Write(line + "\r\n") : IoResult::Failed(kErrorInvalidHandle);
    if (!written) Fail("write", written.Error());
}

void InstallLog::WriteRegistryKeys(const std::vector<std::string>& keys) {
    WriteLine(std::string("RegDB Root: ").append(std::to_string(kRegDbRootNone)));
    for (const std::string& key : keys) {
        WriteLine(std::string("RegDB TREE: ").append(key));
        WriteLine(std::string("RegDB Root: ").append(std::to_string(kRegDbRootLocalMachine)));
    }
}

void InstallLog::WriteVddEntry(const std::string& entry) {
    WriteLine("VDD Entry: " + entry);
}

void InstallLog::WriteMadeDir(const std::string& directory) {
    WriteLine("Made Dir: " + directory);
}

void InstallLog::WriteFileTree(const std::string& directory) {
    const bool slashed = !directory.empty() && directory.back() == '\\';
    WriteLine("File Tree: " + directory + (slashed ? "*.*" : "\\*.*"));
}

void InstallLog::WriteFileList(const std::vector<InstalledFile>& files) {
    FileSystem& fs = machine_.files;
    const std::string path = installDir_ + kFileListName;
    std::string text = std::string(kFileListHeader) + "\r\n";
    std::set<std::string> written;
    for (const InstalledFile& file : files) {
        if (!written.insert(UpperText(file.path)).second) continue;
        text += std::to_string(file.size) + " " + std::to_string(file.writeTime) + " " + file.path +
                "\r\n";
    }
    std::string earlier;
    size_t count = 0;
    if (fs.ReadAll(path, earlier) && !CheckFileList(earlier.data(), earlier.size(), count)) {
        const char* at = earlier.data();
        ListedFile listed;
        while (NextListedFile(earlier.data(), earlier.size(), at, listed)) {
            const std::string below(listed.path, listed.pathSize);
            if (written.count(UpperText(below))) continue;
            const std::vector<FindData> found = fs.FindEntries(installDir_ + below);
            if (found.size() != 1 || (found[0].attributes & kAttrDirectory) ||
                !IsInstalledFile(listed, static_cast<uint64_t>(found[0].size),
                                 found[0].writeTime)) {
                continue;
            }
            written.insert(UpperText(below));
            text += std::to_string(listed.size) + " " + std::to_string(listed.writeTime) + " " +
                    below + "\r\n";
        }
    }
    const std::string temporary = installDir_ + kFileListTemporary;
    CreatedFile list = fs.CreateOutputFile(temporary);
    IoResult done = list ? list->Write(text) : list.Result();
    if (list) {
        const IoResult closed = list->Close();
        if (done) done = closed;
    }
    if (done) done = fs.Rename(temporary, path);
    if (!done) {
        if (list) fs.Delete(temporary);
        throw IoError("Cannot write " + path + " (error " + std::to_string(done.Error()) + ")");
    }
}

void InstallLog::Close() {
    if (!file_) return;
    const IoResult stored = file_->Close();
    file_.reset();
    if (!stored) Fail("write", stored.Error());
}

}  // namespace mivox
