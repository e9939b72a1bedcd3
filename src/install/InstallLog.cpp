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
    file_ = machine_.files.CreateOutputFile(path_);
    if (!file_) Fail("create");
    WriteLine("*** Installation Started: " + DateTimeText(machine_.clock) + " ***");
    WriteLine("Title: Mivox");
    WriteFileTree(installDir);
}

InstallLog::~InstallLog() {
    // What was written stays; a late failure here has no one to tell.
    if (file_) file_->Close();
}

void InstallLog::Fail(const std::string& what) const {
    throw IoError("Cannot " + what + " " + path_ + " (error " +
                  std::to_string(machine_.system.LastError()) + ")");
}

void InstallLog::WriteLine(const std::string& line) {
    if (!file_ || !file_->Write(line + "\r\n")) Fail("write");
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
    std::unique_ptr<OutputFile> list = machine_.files.CreateOutputFile(path);
    if (!list || !list->Write(text) || !list->Close()) {
        throw IoError("Cannot write " + path + " (error " +
                      std::to_string(machine_.system.LastError()) + ")");
    }
}

void InstallLog::Close() {
    if (!file_) return;
    const bool stored = file_->Close();
    file_.reset();
    if (!stored) Fail("write");
}

}  // namespace mivox
