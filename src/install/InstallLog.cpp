#include "install/InstallLog.h"

#include "uninstall/UninstallLog.h"
#include "util/DateTimeText.h"
#include "util/Errors.h"

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

void InstallLog::WriteMadeDir(const std::string& directory) {
    WriteLine("Made Dir: " + directory);
}

void InstallLog::WriteFileTree(const std::string& directory) {
    const bool slashed = !directory.empty() && directory.back() == '\\';
    WriteLine("File Tree: " + directory + (slashed ? "*.*" : "\\*.*"));
}

void InstallLog::WriteFileList(const std::vector<InstalledFile>& files) {
    std::string text;
    for (const InstalledFile& file : files) {
        text += std::to_string(file.size) + " " + file.path + "\r\n";
    }
    const std::string path = installDir_ + kFileListName;
    CreatedFile list = machine_.files.CreateOutputFile(path);
    IoResult written = list ? list->Write(text) : list.Result();
    if (written) written = list->Close();
    if (!written) {
        throw IoError("Cannot write " + path + " (error " + std::to_string(written.Error()) + ")");
    }
}

void InstallLog::Close() {
    if (!file_) return;
    const IoResult stored = file_->Close();
    file_.reset();
    if (!stored) Fail("write", stored.Error());
}

}  // namespace mivox
