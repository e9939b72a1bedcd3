#include "components/fax/FaxTiff.h"

#include <cstdint>
#include <map>

namespace mivox {
namespace {

enum TiffType : uint16_t { kShort = 3, kLong = 4, kRational = 5 };
enum Tag : uint16_t {
    kNewSubfileType = 254,
    kImageWidth = 256,
    kImageLength = 257,
    kBitsPerSample = 258,
    kCompression = 259,
    kPhotometric = 262,
    kFillOrder = 266,
    kStripOffsets = 273,
    kSamplesPerPixel = 277,
    kRowsPerStrip = 278,
    kStripByteCounts = 279,
    kXResolution = 282,
    kYResolution = 283,
    kT4Options = 292,
    kResolutionUnit = 296,
    kPageNumber = 297,
};
constexpr uint16_t kCompressionT4 = 3;
constexpr uint32_t kT4TwoDimensional = 1;
constexpr uint32_t kT4Uncompressed = 2;

void Put16(std::string& out, uint16_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}
void Put32(std::string& out, uint32_t value) {
    Put16(out, static_cast<uint16_t>(value & 0xFFFF));
    Put16(out, static_cast<uint16_t>(value >> 16));
}
void Set32(std::string& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

struct Entry {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    uint32_t value;  // the value itself (left-justified shorts) or an offset
};

}  // namespace

std::string WriteFaxTiff(const std::vector<FaxPage>& pages) {
    std::string out = "II";
    Put16(out, 42);
    const size_t firstIfdLink = out.size();
    Put32(out, 0);
    size_t link = firstIfdLink;
    for (size_t index = 0; index < pages.size(); ++index) {
        const FaxPage& page = pages[index];
        BitWriter bits;
        for (const FaxRow& row : page) {
            bits.Put(kEolCode, kEolBits);
            EncodeRow(row, bits);
        }
        // The strip, then the two resolutions, then the directory, each on
        // a word boundary.
        const uint32_t stripOffset = static_cast<uint32_t>(out.size());
        out += bits.Bytes();
        if (out.size() & 1) out.push_back('\0');
        const uint32_t resolutionOffset = static_cast<uint32_t>(out.size());
        Put32(out, 204);
        Put32(out, 1);
        Put32(out, 98);
        Put32(out, 1);
        const uint32_t rows = static_cast<uint32_t>(page.size());
        const uint32_t pageNumbers =
            static_cast<uint32_t>(index) | (static_cast<uint32_t>(pages.size()) << 16);
        const Entry entries[] = {
            {kNewSubfileType, kLong, 1, 2},  // one page of a multi-page document
            {kImageWidth, kLong, 1, kFaxWidth},
            {kImageLength, kLong, 1, rows},
            {kBitsPerSample, kShort, 1, 1},
            {kCompression, kShort, 1, kCompressionT4},
            {kPhotometric, kShort, 1, 0},  // white is zero
            {kFillOrder, kShort, 1, 1},
            {kStripOffsets, kLong, 1, stripOffset},
            {kSamplesPerPixel, kShort, 1, 1},
            {kRowsPerStrip, kLong, 1, rows},
            {kStripByteCounts, kLong, 1, static_cast<uint32_t>(bits.Bytes().size())},
            {kXResolution, kRational, 1, resolutionOffset},
            {kYResolution, kRational, 1, resolutionOffset + 8},
            {kT4Options, kLong, 1, 0},
            {kResolutionUnit, kShort, 1, 2},  // inch
            {kPageNumber, kShort, 2, pageNumbers},
        };
        const uint32_t ifdOffset = static_cast<uint32_t>(out.size());
        Set32(out, link, ifdOffset);
        Put16(out, static_cast<uint16_t>(std::size(entries)));
        for (const Entry& entry : entries) {
            Put16(out, entry.tag);
            Put16(out, entry.type);
            Put32(out, entry.count);
            Put32(out, entry.value);
        }
        link = out.size();
        Put32(out, 0);
    }
    return out;
}

namespace {

class TiffParser {
public:
    explicit TiffParser(const std::string& bytes) : bytes_(bytes) {}

    bool Has(uint64_t offset, uint64_t size) const { return offset + size <= bytes_.size(); }
    uint16_t U16(size_t at) const {
        const auto b = [&](size_t i) { return static_cast<uint8_t>(bytes_[at + i]); };
        return big_ ? static_cast<uint16_t>(b(0) << 8 | b(1))
                    : static_cast<uint16_t>(b(1) << 8 | b(0));
    }
    uint32_t U32(size_t at) const {
        return big_ ? (uint32_t{U16(at)} << 16) | U16(at + 2)
                    : (uint32_t{U16(at + 2)} << 16) | U16(at);
    }
    void SetBigEndian(bool big) { big_ = big; }

    // The values of one entry as numbers; false when they lie outside the file.
    bool Values(size_t entryAt, std::vector<uint32_t>& values) const {
        const uint16_t type = U16(entryAt + 2);
        const uint32_t count = U32(entryAt + 4);
        const uint32_t size = type == kShort ? 2 : type == kLong ? 4 : 0;
        if (size == 0 || count == 0 || count > 100000) return false;
        size_t at = entryAt + 8;
        if (uint64_t{size} * count > 4) {
            at = U32(entryAt + 8);
            if (!Has(at, uint64_t{size} * count)) return false;
        }
        values.clear();
        for (uint32_t i = 0; i < count; ++i)
            values.push_back(size == 2 ? U16(at + 2 * i) : U32(at + 4 * i));
        return true;
    }

private:
    const std::string& bytes_;
    bool big_ = false;
};

}  // namespace

bool ReadFaxTiff(const std::string& bytes, std::vector<FaxPage>& pages, std::string& error) {
    pages.clear();
    TiffParser tiff(bytes);
    if (bytes.size() < 8 || !(bytes.compare(0, 2, "II") == 0 || bytes.compare(0, 2, "MM") == 0)) {
        error = "not a TIFF file";
        return false;
    }
    tiff.SetBigEndian(bytes[0] == 'M');
    if (tiff.U16(2) != 42) {
        error = "not a TIFF file";
        return false;
    }
    uint32_t ifd = tiff.U32(4);
    while (ifd != 0) {
        if (pages.size() >= 1000) {
            error = "too many pages (or a loop of directories)";
            return false;
        }
        if (!tiff.Has(ifd, 2) || !tiff.Has(ifd, 2 + 12ull * tiff.U16(ifd) + 4)) {
            error = "a page directory lies outside the file";
            return false;
        }
        const uint16_t count = tiff.U16(ifd);
        std::map<uint16_t, std::vector<uint32_t>> tags;
        for (uint16_t i = 0; i < count; ++i) {
            const size_t at = ifd + 2 + 12 * size_t{i};
            std::vector<uint32_t> values;
            if (tiff.Values(at, values)) tags[tiff.U16(at)] = std::move(values);
        }
        const auto single = [&](uint16_t tag, uint32_t absent) {
            const auto found = tags.find(tag);
            return found == tags.end() ? absent : found->second[0];
        };
        const std::string page = "page " + std::to_string(pages.size() + 1) + ": ";
        if (single(kImageWidth, 0) != kFaxWidth) {
            error = page + "not 1728 dots wide";
            return false;
        }
        if (single(kBitsPerSample, 1) != 1 || single(kSamplesPerPixel, 1) != 1) {
            error = page + "not one bit per dot";
            return false;
        }
        if (single(kCompression, 1) != kCompressionT4 ||
            (single(kT4Options, 0) & (kT4TwoDimensional | kT4Uncompressed)) != 0) {
            error = page + "not coded one-dimensionally";
            return false;
        }
        const auto offsets = tags.find(kStripOffsets);
        const auto counts = tags.find(kStripByteCounts);
        if (offsets == tags.end() || counts == tags.end() ||
            offsets->second.size() != counts->second.size()) {
            error = page + "no image data";
            return false;
        }
        // Lines do not cross strips, so the strips decode one after another.
        FaxPage rows;
        for (size_t s = 0; s < offsets->second.size(); ++s) {
            if (!tiff.Has(offsets->second[s], counts->second[s])) {
                error = page + "the image data lies outside the file";
                return false;
            }
            std::vector<FaxRow> stripRows;
            const auto* data = reinterpret_cast<const uint8_t*>(bytes.data()) + offsets->second[s];
            if (!DecodePage(data, counts->second[s], single(kFillOrder, 1) == 2, stripRows)) {
                error = page + "the image data is damaged";
                return false;
            }
            rows.insert(rows.end(), stripRows.begin(), stripRows.end());
        }
        const uint32_t length = single(kImageLength, 0);
        if (rows.size() != length) {
            error = page + "holds " + std::to_string(rows.size()) + " lines instead of " +
                    std::to_string(length);
            return false;
        }
        pages.push_back(std::move(rows));
        ifd = tiff.U32(ifd + 2 + 12 * size_t{count});
    }
    if (pages.empty()) {
        error = "no pages";
        return false;
    }
    return true;
}

}  // namespace mivox
