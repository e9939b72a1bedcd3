#include <gtest/gtest.h>

#include "components/fax/Ecm.h"
#include "components/fax/Hdlc.h"
#include "components/fax/ModifiedHuffman.h"
#include "fakes/FakeFax.h"

namespace mivox {
namespace {

std::string Fcd(size_t number, const std::string& data) {
    return std::string{'\xFF', '\x03', '\x06', static_cast<char>(number)} + data;
}

TEST(Ecm, APageGoesInFramesOf256BytesAndBlocksOf256Frames) {
    const std::string page(256 * 256 + 300, 'x');
    const auto blocks = ecm::Blocks(page);
    ASSERT_EQ(blocks.size(), 2u);
    ASSERT_EQ(blocks[0].size(), 256u);
    ASSERT_EQ(blocks[1].size(), 2u);
    EXPECT_EQ(blocks[0][255].size(), 256u);
    EXPECT_EQ(blocks[1][1].size(), 300u - 256u) << "the page's last frame is shorter";
    std::string joined;
    for (const auto& block : blocks)
        for (const std::string& frame : block) joined += frame;
    EXPECT_EQ(joined, page);
    EXPECT_EQ(ecm::Blocks(std::string(512, 'x')).size(), 1u);
    EXPECT_EQ(ecm::Blocks(std::string(512, 'x'))[0].size(), 2u) << "no empty frame at the end";
}

// Data with every byte value, runs of ones across bytes (0xFF) and flags
// inside (0x7E): the receiver finds each frame whole, in order, then the
// three RCP frames.
TEST(Ecm, TheBlocksBitStreamCarriesTheFramesAskedForThenThreeRcp) {
    std::string data;
    for (int i = 0; i < 700; ++i) data += static_cast<char>(i % 3 ? 0xFF : (i * 7) & 0xFF);
    data += std::string(40, '\x7E');
    const auto blocks = ecm::Blocks(data);
    ASSERT_EQ(blocks.size(), 1u);
    const auto& block = blocks[0];
    const std::string rcp = "\xFF\x03\x86";
    struct Case {
        std::vector<size_t> numbers;
        std::vector<std::string> frames;
    };
    const std::vector<Case> cases = {
        {ecm::AllFrames(block),
         {Fcd(0, block[0]), Fcd(1, block[1]), Fcd(2, block[2]), rcp, rcp, rcp}},
        {{2}, {Fcd(2, block[2]), rcp, rcp, rcp}},
        {{0, 2, 7}, {Fcd(0, block[0]), Fcd(2, block[2]), rcp, rcp, rcp}},  // 7 is not in it
        {{}, {rcp, rcp, rcp}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.numbers));
        int bad = 0, flags = 0;
        EXPECT_EQ(testing::HdlcStreamFrames(ecm::Transmission(block, c.numbers), bad, flags),
                  c.frames);
        EXPECT_EQ(bad, 0);
        EXPECT_GE(flags, 32) << "flags lead the frames in";
    }
}

TEST(Ecm, PartialPageSignalAndRequestsCarryCountersAndFrameNumbers) {
    EXPECT_EQ(ecm::PpsInfo(0x2F, 0, 0, 256), std::string("\x2F\x00\x00\xFF", 4));
    EXPECT_EQ(ecm::PpsInfo(0x00, 257, 1, 1), std::string("\x00\x01\x01\x00", 4))
        << "counters modulo 256, the frames less one";

    struct Case {
        std::string info;
        size_t frames;
        std::vector<size_t> requested;
    };
    std::string last(32, '\0');
    last[31] = '\x80';
    const std::vector<Case> cases = {
        {std::string(32, '\0'), 256, {}},
        {std::string("\x01", 1) + std::string(31, '\0'), 256, {0}},
        {std::string("\x82\x01", 2) + std::string(30, '\0'), 256, {1, 7, 8}},
        {last, 256, {255}},
        {last, 100, {}},                                                   // past the block
        {std::string("\xFF\xFF", 2), 10, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},  // a short field
        {"", 10, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frames);
        EXPECT_EQ(ecm::Requested(c.info, c.frames), c.requested);
    }
}

}  // namespace
}  // namespace mivox
