#include "install/CopyLists.h"

namespace mivox {

bool CopyLists::Build(FileSystem& files, const SystemInfo& system, const std::string& sourceRoot,
                      const std::string& installDir, const std::string& windowsDir) {
    sources.clear();
    dests.clear();
    bytes.clear();
    size_t scanned = 0;
    sources.push_back(sourceRoot + "APP\\");
    dests.push_back(!installDir.empty() && installDir.back() == '\\' ? installDir
                                                                     : installDir + '\\');
    bool fits = AddSubdirs(files, scanned) && sources.size() < kMaxDirs;
    if (fits) {
        dests.push_back(windowsDir);
        sources.push_back(sourceRoot + (IsWinNT(system) ? "WinNT\\" : "Win9X\\"));
        fits = AddSubdirs(files, scanned);
    }
    if (!fits) {
        sources.clear();
        dests.clear();
        bytes.clear();
    }
    return fits;
}

Outcome CopyLists::TooManyDirectories(const std::string& sourceRoot) {
    return {OutcomeKind::kRefused, "Too Many Directories",
            "The product's files on " + sourceRoot + " lie in more than " +
                std::to_string(kMaxDirs) + " directories; Setup cannot install from this medium."};
}

bool CopyLists::AddSubdirs(FileSystem& files, size_t& scanned) {
    while (scanned < sources.size()) {
        const size_t end = sources.size();
        bytes.resize(end, 0);
        for (size_t i = scanned; i < end; ++i) {
            for (const FindData& entry : files.FindEntries(sources[i] + "*.*")) {
                if (!(entry.attributes & kAttrDirectory)) {
                    // Counted on the way, so that the scan searches each folder once.
                    if (!(entry.attributes & kAttrVolumeLabel)) bytes[i] += entry.size;
                    continue;
                }
                if ((entry.attributes & (kAttrHidden | kAttrSystem)) || entry.name == "." ||
                    entry.name == "..") {
                    continue;
                }
                if (sources.size() == kMaxDirs) return false;
                sources.push_back(sources[i] + entry.name + "\\");
                dests.push_back(dests[i] + entry.name + "\\");
            }
        }
        scanned = end;
    }
    return true;
}

}  // namespace mivox
