#include "floppy/FloppyNames.h"

#include "util/TextUtil.h"

namespace mivox {

std::string ArchiveFileName(const std::string& product, const std::string& version) {
    const size_t dot = version.rfind('.');
    return product + (dot == std::string::npos ? version : version.substr(dot + 1)) + ".EXE";
}

std::string PartFileName(const std::string& archivePath, int disk) {
    const size_t slash = archivePath.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? archivePath : archivePath.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) {
        // The name keeps its length: a shorter extension takes only as many digits.
        const std::string number = ZeroPadNumber(disk, 3);
        for (size_t i = 0; i < 3 && dot + 1 + i < name.size(); ++i) name[dot + 1 + i] = number[i];
    }
    return "A:\\" + name;
}

int32_t DiskCount(int64_t size, int32_t partSize) {
    int64_t count = size / partSize;
    if (count * partSize < size) ++count;
    return static_cast<int32_t>(count);
}

}  // namespace mivox
