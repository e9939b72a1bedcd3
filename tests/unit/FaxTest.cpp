#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <random>
#include <set>
#include <stdexcept>
#include <thread>

#include "components/fax/ComPort.h"
#include "components/fax/FaxConverter.h"
#include "components/fax/Hdlc.h"
#include "components/fax/SendFax.h"
#include "components/fax/T30.h"
#include "fakes/FakeFax.h"
#include "fakes/FakePlatform.h"

namespace mivox {
namespace {

using testing::FakePlatform;
using testing::PatternTextRenderer;
using testing::QueuedPoster;
using testing::ScriptedFaxModem;

FaxRow Row(std::initializer_list<std::pair<int, int>> blackRuns) {
    FaxRow row(kFaxRowBytes, 0);
    for (auto [from, count] : blackRuns)
        for (int x = from; x < from + count; ++x)
            row[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
    return row;
}

std::string CodedPage(const std::vector<FaxRow>& rows, bool lsbFirst, int fillBits) {
    BitWriter bits(lsbFirst);
    for (const FaxRow& row : rows) {
        bits.Put(0, fillBits);
        bits.Put(kEolCode, kEolBits);
        EncodeRow(row, bits);
    }
    return bits.Bytes();
}

TEST(ModifiedHuffman, EdgeAndRandomRowsComeBackFromTheDecoderInBothBitOrders) {
    std::vector<FaxRow> rows = {
        Row({}),                // all white
        Row({{0, kFaxWidth}}),  // all black
        Row({{0, 63}}),         // runs of 63, 64 and the rest
        Row({{63, 64}}),
        Row({{1, 1}, {kFaxWidth - 1, 1}}),  // single dots at both edges
        Row({{64, kFaxWidth - 64}}),        // white make-up then black to the edge
    };
    FaxRow alternating(kFaxRowBytes, 0x55);
    rows.push_back(alternating);
    std::mt19937 random(7);
    for (int i = 0; i < 40; ++i) {
        FaxRow row(kFaxRowBytes);
        // Sparse and dense rows: runs of every length.
        const int density = i % 4;
        for (uint8_t& byte : row) {
            byte = static_cast<uint8_t>(random());
            if (density == 0) byte &= static_cast<uint8_t>(random());
            if (density == 1) byte |= static_cast<uint8_t>(random());
        }
        if (i % 5 == 0) row.assign(kFaxRowBytes, 0), row[random() % kFaxRowBytes] = 0x18;
        rows.push_back(row);
    }
    for (bool lsbFirst : {false, true}) {
        for (int fill : {0, 5}) {
            const std::string coded = CodedPage(rows, lsbFirst, fill);
            std::vector<FaxRow> decoded;
            ASSERT_TRUE(DecodePage(reinterpret_cast<const uint8_t*>(coded.data()), coded.size(),
                                   lsbFirst, decoded))
                << "lsb first " << lsbFirst << ", fill " << fill;
            ASSERT_EQ(decoded.size(), rows.size());
            for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(decoded[i], rows[i]) << "row " << i;
        }
    }
}

TEST(ModifiedHuffman, CodesAWhiteLineAsTheRecommendationDoesAndRefusesBadCodes) {
    BitWriter bits;
    EncodeRow(Row({}), bits);
    // White make-up 1728 (010011011), then white terminating 0 (00110101).
    EXPECT_EQ(bits.BitCount(), 17u);
    EXPECT_EQ(bits.Bytes(), std::string("\x4D\x9A\x80", 3));

    std::vector<FaxRow> decoded;
    const uint8_t noEol[] = {0xFF, 0xFF};
    EXPECT_FALSE(DecodePage(noEol, sizeof noEol, false, decoded));
    // EOL, then a line of 1726 dots cut short by the next EOL.
    BitWriter shortLine;
    shortLine.Put(kEolCode, kEolBits);
    shortLine.Put(0b00110101, 8);        // white 0
    shortLine.Put(0b0000001100100, 13);  // black 1664
    shortLine.Put(0b000001100110, 12);   // black 62
    shortLine.Put(kEolCode, kEolBits);
    EXPECT_FALSE(DecodePage(reinterpret_cast<const uint8_t*>(shortLine.Bytes().data()),
                            shortLine.Bytes().size(), false, decoded));
}

// T.4 4.2's modes, each on a line against the line before it (black runs
// as first dot and length).
TEST(ModifiedHuffman, CodesALineAgainstTheOneBeforeInEachModeOfTwoDimensionalCoding) {
    struct Case {
        const char* name;
        FaxRow row, reference;
        const char* bits;
    };
    const std::vector<Case> cases = {
        {"white under white: V0 at the end", Row({}), Row({}), "1"},
        {"the same runs: V0 at each change", Row({{100, 200}}), Row({{100, 200}}), "111"},
        {"changes one and two dots right: VR1, VR2", Row({{101, 201}}), Row({{100, 200}}),
         "011"
         "000011"
         "1"},
        {"changes three and two dots left: VL3, VL2", Row({{97, 201}}), Row({{100, 200}}),
         "0000010"
         "000010"
         "1"},
        {"the reference's black run passed over", Row({}), Row({{100, 10}}),
         "0001"
         "1"},
        {"a new black run: the two runs from a0", Row({{100, 200}}), Row({}),
         "001"
         "11011"
         "00010101"
         "000011001001"
         "000101"
         "1"},  // white 64+36, black 192+8
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BitWriter bits;
        EncodeRow2D(c.row, c.reference, bits);
        std::string text;
        BitReader reader(reinterpret_cast<const uint8_t*>(bits.Bytes().data()),
                         bits.Bytes().size());
        for (size_t i = 0; i < bits.BitCount(); ++i) text += reader.Next() ? '1' : '0';
        EXPECT_EQ(text, c.bits);
    }
}

TEST(FaxTiff, PagesComeBackAndDamagedFilesAreRefusedWithAReason) {
    const std::vector<FaxPage> pages = {{Row({}), Row({{10, 20}})}, {Row({{0, kFaxWidth}})}};
    const std::string file = WriteFaxTiff(pages);
    std::vector<FaxPage> back;
    std::string error;
    ASSERT_TRUE(ReadFaxTiff(file, back, error)) << error;
    EXPECT_EQ(back, pages);

    EXPECT_FALSE(ReadFaxTiff("GIF89a..", back, error));
    EXPECT_EQ(error, "not a TIFF file");
    EXPECT_FALSE(ReadFaxTiff(file.substr(0, file.size() - 20), back, error));
    EXPECT_EQ(error, "a page directory lies outside the file");
    std::string damaged = file;
    damaged[8] = '\0', damaged[9] = '\0', damaged[10] = '\0';  // the first line's EOL
    EXPECT_FALSE(ReadFaxTiff(damaged, back, error));
    EXPECT_EQ(error, "page 1: the image data is damaged");
    std::string narrow = file;
    const size_t width = narrow.find(std::string("\x00\x01\x04\x00\x01\x00\x00\x00", 8));
    ASSERT_NE(width, std::string::npos);
    narrow[width + 8] = 0;  // 1728 -> 1536
    EXPECT_FALSE(ReadFaxTiff(narrow, back, error));
    EXPECT_EQ(error, "page 1: not 1728 dots wide");
}

TEST(FaxConverter, DrawsSixtyLinesAPageWithTabsAndMarginsIntoTheImageFile) {
    FakePlatform fake;
    PatternTextRenderer renderer;
    TApdFaxConverter converter(fake.files, renderer);
    std::string text = "A\tB\r\n";
    for (int i = 2; i <= 61; ++i) text += "line " + std::to_string(i) + "\n";
    fake.files.AddFile("C:\\TEMP\\Register.Txt", text);
    converter.SetDocumentFile("C:\\TEMP\\Register.Txt");
    EXPECT_EQ(converter.OutFileName, "C:\\TEMP\\Register.APF");
    converter.OutFileName = "C:\\TEMP\\Register.Apf";
    converter.ConvertToFile();

    ASSERT_EQ(renderer.lines.size(), 61u);
    EXPECT_EQ(renderer.lines[0], "A   B");
    std::string image, error;
    ASSERT_TRUE(fake.files.ReadAll("C:\\TEMP\\Register.Apf", image));
    std::vector<FaxPage> pages;
    ASSERT_TRUE(ReadFaxTiff(image, pages, error)) << error;
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].size(), static_cast<size_t>(kFaxPageRows));
    // 'A' (0x41) sets columns 0 and 6 of its cell, starting at the margin.
    EXPECT_EQ(pages[0][2], Row({{50, 1}, {56, 1}, {91, 1}, {96, 1}}))
        << "B (0x42) ten dots a cell on";
    EXPECT_EQ(pages[0][60 * 16 - 1], Row({})) << "sixty lines of sixteen rows";
    EXPECT_NE(pages[1][2], Row({})) << "line 61 starts the second page";
    EXPECT_FALSE(fake.files.FileExists("C:\\TEMP\\Register.Apf.new"));

    converter.SetDocumentFile("C:\\TEMP\\Missing.Txt");
    try {
        converter.ConvertToFile();
        FAIL() << "a missing text file must raise";
    } catch (const FaxConversionError& e) {
        EXPECT_STREQ(e.what(), "Cannot read the text file to convert: C:\\TEMP\\Missing.Txt");
    }
}

TEST(FaxConverter, ASystemThatCannotDrawTheTextLeavesNoImage) {
    FakePlatform fake;
    PatternTextRenderer renderer;
    renderer.failure = "cannot create the font Courier New";
    TApdFaxConverter converter(fake.files, renderer);
    fake.files.AddFile("C:\\TEMP\\Register.Txt", "line 1\n");
    converter.SetDocumentFile("C:\\TEMP\\Register.Txt");
    try {
        converter.ConvertToFile();
        FAIL() << "a text that cannot be drawn must raise";
    } catch (const FaxConversionError& e) {
        EXPECT_STREQ(e.what(),
                     "Cannot draw the text of C:\\TEMP\\Register.Txt: cannot create the font "
                     "Courier New");
    }
    EXPECT_FALSE(fake.files.FileExists(converter.OutFileName));
    EXPECT_FALSE(fake.files.FileExists(converter.OutFileName + ".new"));
}

TEST(Hdlc, CheckSequenceAndEscapes) {
    EXPECT_EQ(HdlcFcs("123456789"), 0x906E);  // the standard check value
    const std::string frame = WithFcs(HdlcFrame{true, t30::kDcn | 1, ""}.Bytes());
    EXPECT_TRUE(FcsGood(frame));
    for (size_t bit = 0; bit < frame.size() * 8; ++bit) {
        std::string bad = frame;
        bad[bit / 8] = static_cast<char>(bad[bit / 8] ^ (1 << (bit % 8)));
        EXPECT_FALSE(FcsGood(bad)) << "bit " << bit;
    }
    EXPECT_EQ(DleEncode(std::string("a\x10"
                                    "b",
                                    3)),
              std::string("a\x10\x10"
                          "b\x10\x03",
                          6));
    HdlcFrame parsed;
    EXPECT_TRUE(HdlcFrame::Parse(std::string("\xFF\x03\x42"
                                             "id",
                                             5),
                                 parsed));
    EXPECT_FALSE(parsed.final);
    EXPECT_EQ(parsed.info, "id");
    EXPECT_FALSE(HdlcFrame::Parse(std::string("\xFE\x13\x42", 3), parsed));
    // Control fields as the recommendation writes them, first bit sent on
    // the left, X standing for the command bit.
    const std::pair<uint8_t, const char*> fields[] = {
        {t30::kDis, "00000001"}, {t30::kCsi, "00000010"}, {t30::kDcs, "X1000001"},
        {t30::kTsi, "X1000010"}, {t30::kCfr, "X0100001"}, {t30::kFtt, "X0100010"},
        {t30::kMps, "X1110010"}, {t30::kEop, "X1110100"}, {t30::kEom, "X1110001"},
        {t30::kMcf, "X0110001"}, {t30::kRtn, "X0110010"}, {t30::kRtp, "X0110011"},
        {t30::kPin, "X0110100"}, {t30::kPip, "X0110101"}, {t30::kDcn, "X1011111"},
        {t30::kCrp, "X1011000"}};
    for (auto [octet, written] : fields) {
        uint8_t fromText = 0;
        for (int bit = 0; bit < 8; ++bit)
            fromText |= static_cast<uint8_t>((written[bit] == '1') << bit);
        EXPECT_EQ(octet, fromText) << written;
    }
    EXPECT_EQ(t30::DecodeId(t30::EncodeId("+1 555 0100")), "+1 555 0100");
    EXPECT_EQ(t30::EncodeId("AB").substr(18), "BA") << "sent last character first";
}

// The sender with its port, the image file of two pages, and the events it reports.
struct SenderRig {
    FakePlatform fake;
    PatternTextRenderer renderer;
    QueuedPoster poster;
    ScriptedFaxModem modem{fake.clock};
    TApdComPort port{modem};
    TApdSendFax sender{port, fake.clock, poster, fake.files, renderer};
    std::vector<FaxPage> pages = {FaxPage(30, Row({{100, 300}})), FaxPage(20, Row({{0, 9}}))};
    std::vector<int> errors, finishes, progress;

    SenderRig() {
        fake.files.AddFile("C:\\TEMP\\Register.Apf", WriteFaxTiff(pages));
        port.ComNumber = 1;
        port.SetOpen(true);
        sender.FaxFile = "C:\\TEMP\\Register.Apf";
        sender.DialPrefix = "9,";
        sender.PhoneNumber = "0049-30-1234567";
        sender.StationID = "VexlorInstaller";
        sender.HeaderLine = "Vexlor Installer: Product Registration";
        sender.OnFaxStatus = [this](TApdSendFax& s, bool, bool) {
            progress.push_back(s.Figures().progress);
        };
        sender.OnFaxError = [this](TApdSendFax&, int code) { errors.push_back(code); };
        sender.OnFaxFinish = [this](TApdSendFax&, int code) { finishes.push_back(code); };
    }
    int Send() {
        sender.StartTransmit();
        sender.WaitForEnd();
        poster.RunAll();
        EXPECT_EQ(finishes.size(), 1u) << "one finish for each start";
        EXPECT_FALSE(sender.Sending());
        return finishes.empty() ? -1 : finishes.back();
    }
    std::vector<uint8_t> FrameKinds() const {
        std::vector<uint8_t> kinds;
        for (const HdlcFrame& frame : modem.framesSent) kinds.push_back(frame.fcf);
        return kinds;
    }
};

TEST(SendFax, SendsTwoPagesWithTheHeaderLineOverClassOne) {
    SenderRig rig;
    rig.sender.DialPrefix = std::string(45, '9');
    ASSERT_EQ(rig.Send(), ecOK) << ::testing::PrintToString(rig.modem.commands);
    EXPECT_TRUE(rig.errors.empty());
    const auto& commands = rig.modem.commands;
    EXPECT_NE(std::find(commands.begin(), commands.end(), "AT+FCLASS=1"), commands.end());
    EXPECT_NE(std::find(commands.begin(), commands.end(),
                        "ATDT" + std::string(40, '9') + "0049-30-1234567"),
              commands.end())
        << "only the first 40 characters of the prefix are dialled";
    EXPECT_EQ(commands.back(), "ATH0");
    // TSI, DCS; then MPS, EOP with the command bit; DCN.
    EXPECT_EQ(rig.FrameKinds(), (std::vector<uint8_t>{0x43, 0x83, 0x4F, 0x2F, 0xFB}));
    EXPECT_EQ(t30::DecodeId(rig.modem.framesSent[0].info), "VexlorInstaller");
    const std::string& dcs = rig.modem.framesSent[1].info;
    EXPECT_TRUE(t30::Bit(dcs, t30::kBitReceiver));
    EXPECT_EQ((std::vector<bool>{t30::Bit(dcs, 11), t30::Bit(dcs, 12), t30::Bit(dcs, 13),
                                 t30::Bit(dcs, 14)}),
              (std::vector<bool>{false, false, false, true}))
        << "V.17 at 14400 bit/s";
    EXPECT_TRUE(t30::Bit(dcs, 21) && t30::Bit(dcs, 22) && t30::Bit(dcs, 23)) << "0 ms a line";
    EXPECT_EQ(rig.modem.trainingModulations, std::vector<int>{145}) << "long training";
    EXPECT_EQ(rig.modem.pageModulations, (std::vector<int>{146, 146}))
        << "the pages after CFR and MCF with V.17's short training";
    // T.30's 75 ms before each transmission: every one follows a reception
    // or the sender's own previous transmission.
    for (size_t i = 1; i < commands.size(); ++i) {
        const bool transmits = commands[i] == "AT+FTH=3" ||
                               (commands[i].rfind("AT+FTM=", 0) == 0 && commands[i] != "AT+FTM=?");
        if (transmits) {
            EXPECT_EQ(commands[i - 1], "AT+FTS=8") << "before " << commands[i] << " " << i;
        }
    }

    // Each page arrives as sent: header rows, then the image's rows.
    const std::vector<FaxPage> expected = rig.sender.PagesToSend(rig.pages);
    ASSERT_EQ(rig.modem.pages.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        std::vector<FaxRow> rows;
        const std::string& data = rig.modem.pages[i];
        ASSERT_TRUE(
            DecodePage(reinterpret_cast<const uint8_t*>(data.data()), data.size(), true, rows));
        EXPECT_EQ(rows, expected[i]) << "page " << i + 1;
        EXPECT_EQ(rows.size(), 20 + rig.pages[i].size());
    }
    EXPECT_EQ(rig.renderer.lines[0], "Vexlor Installer: Product Registration   Page 1 of 2");

    const FaxFigures& figures = rig.sender.Figures();
    EXPECT_EQ(figures.remoteId, "+49 30 1234567");
    EXPECT_EQ(figures.bitsPerSecond, 14400);
    EXPECT_EQ(figures.page, 2);
    EXPECT_EQ(figures.attempt, 1);
    EXPECT_EQ(figures.bytesSent, figures.pageLength);
    EXPECT_EQ(figures.pageLength, rig.modem.pages[1].size());
    EXPECT_EQ(rig.progress.back(), fpFinished);
    EXPECT_EQ(FaxStatusText(fpFinished), "Fax sent");
    EXPECT_EQ(FaxStatusText(44), "");
}

TEST(SendFax, FallsBackThroughEveryV17SpeedBeforeV29AfterFailedTraining) {
    SenderRig lower;
    lower.modem.trainingReplies = {t30::kFtt};
    lower.modem.disScanCode = 0b000;  // 20 ms a line
    ASSERT_EQ(lower.Send(), ecOK);
    EXPECT_EQ(lower.modem.trainingModulations, (std::vector<int>{145, 121}));
    EXPECT_EQ(lower.modem.pageModulations, (std::vector<int>{122, 122}));
    EXPECT_EQ(lower.sender.Figures().bitsPerSecond, 12000);
    // At 12000 bit/s and 20 ms, no line takes fewer than 240 bits.
    EXPECT_GE(lower.modem.pages[0].size(), (20 + 30) * 240 / 8);

    SenderRig v17;
    v17.modem.trainingReplies = {t30::kFtt, t30::kFtt, t30::kFtt, t30::kFtt};
    ASSERT_EQ(v17.Send(), ecOK);
    EXPECT_EQ(v17.modem.trainingModulations, (std::vector<int>{145, 121, 97, 73, 96}))
        << "V.17 at 9600 and 7200 before V.29";
    EXPECT_EQ(v17.modem.pageModulations, (std::vector<int>{96, 96}));
    const std::string& dcs = v17.modem.framesSent[2 * 2 + 1].info;  // the third DCS
    EXPECT_EQ((std::vector<bool>{t30::Bit(dcs, 11), t30::Bit(dcs, 12), t30::Bit(dcs, 13),
                                 t30::Bit(dcs, 14)}),
              (std::vector<bool>{true, false, false, true}))
        << "V.17 at 9600 bit/s";
}

// A page the receiver did not get clearly goes again one speed lower, up
// to three times; PIN is its operator's form. PIP is a page received.
TEST(SendFax, ResendsARejectedPageOneSpeedLowerAndTakesPipAsReceived) {
    SenderRig retrain;
    retrain.modem.pageReplies = {t30::kRtn, t30::kPin, t30::kMcf, t30::kMcf};
    ASSERT_EQ(retrain.Send(), ecOK);
    EXPECT_EQ(retrain.modem.trainingModulations, (std::vector<int>{145, 121, 97}));
    EXPECT_EQ(retrain.modem.pageModulations, (std::vector<int>{146, 122, 98, 98}));
    ASSERT_EQ(retrain.modem.pages.size(), 4u);
    EXPECT_EQ(retrain.modem.pages[0], retrain.modem.pages[2]) << "the rejected page again";
    EXPECT_EQ(std::count(retrain.progress.begin(), retrain.progress.end(), fpRetrain), 2);

    SenderRig rejected;  // the fourth rejection ends the fax
    rejected.modem.pageReplies.assign(4, t30::kRtn);
    EXPECT_EQ(rejected.Send(), ecPageRejected);
    EXPECT_EQ(rejected.modem.trainingModulations, (std::vector<int>{145, 121, 97, 73}));
    EXPECT_EQ(rejected.modem.pages.size(), 4u);

    SenderRig lowest;             // at the lowest speed the page goes again at it
    lowest.modem.disRates = 0x0;  // V.27 ter at 2400 only
    lowest.modem.pageReplies = {t30::kRtn, t30::kMcf, t30::kMcf};
    ASSERT_EQ(lowest.Send(), ecOK);
    EXPECT_EQ(lowest.modem.trainingModulations, (std::vector<int>{24, 24}));

    for (const bool last : {false, true}) {
        SCOPED_TRACE(last ? "PIP on the last page" : "PIP on the first page");
        SenderRig pip;
        pip.modem.pageReplies = {last ? t30::kMcf : t30::kPip, last ? t30::kPip : t30::kMcf};
        EXPECT_EQ(pip.Send(), ecOK);
        EXPECT_TRUE(pip.errors.empty());
        EXPECT_EQ(pip.FrameKinds(), (std::vector<uint8_t>{0x43, 0x83, 0x4F, 0x2F, 0xFB}))
            << "the pages once, then DCN";
    }
}

// The frames of an error-correcting transmission, as the receiver finds them.
std::vector<std::string> FramesOf(const std::string& transmission) {
    int bad = 0, flags = 0;
    std::vector<std::string> frames = testing::HdlcStreamFrames(transmission, bad, flags);
    EXPECT_EQ(bad, 0);
    return frames;
}

// A receiver that offers error correction gets each page as numbered frames
// and asks again for those it did not get clean: only they go again. After
// four tries of a block the correction goes on one speed lower (CTC, and
// the long training); after four at the lowest speed the page has failed.
TEST(SendFax, InErrorCorrectionModeResendsOnlyTheFramesAskedForAndStepsDownAfterFourTries) {
    SenderRig rig;
    rig.modem.ecm = true;
    rig.modem.disScanCode = 0b000;  // 20 ms a line, which frames need not keep
    std::string frames0and2(32, '\0');
    frames0and2[0] = '\x05';
    rig.modem.pageReplies = {t30::kPpr, t30::kRnr, t30::kMcf, t30::kMcf};
    rig.modem.pprInfo = {frames0and2};
    ASSERT_EQ(rig.Send(), ecOK) << ::testing::PrintToString(rig.modem.commands);
    const std::string& dcs = rig.modem.framesSent[1].info;
    EXPECT_TRUE(t30::Bit(dcs, t30::kBitExtend) && t30::Bit(dcs, t30::kBitEcm) && !t30::Bit(dcs, 28))
        << "error correction in frames of 256 bytes";
    // TSI, DCS; PPS-MPS, again after the frames asked for, RR; PPS-EOP; DCN.
    EXPECT_EQ(rig.FrameKinds(), (std::vector<uint8_t>{0x43, 0x83, 0xBF, 0xBF, 0x6F, 0xBF, 0xFB}));
    EXPECT_EQ(rig.modem.framesSent[2].info.substr(0, 3), std::string("\x4F\x00\x00", 3))
        << "MPS, page 0, block 0";
    EXPECT_EQ(rig.modem.framesSent[3].info, rig.modem.framesSent[2].info);
    EXPECT_EQ(rig.modem.framesSent[5].info.substr(0, 3), std::string("\x2F\x01\x00", 3));
    EXPECT_EQ(rig.modem.pageModulations, (std::vector<int>{146, 146, 146}));

    SenderRig plain;  // the same receiver without error correction
    plain.modem.disScanCode = 0b000;
    ASSERT_EQ(plain.Send(), ecOK);
    const std::vector<FaxPage> expected = rig.sender.PagesToSend(rig.pages);
    ASSERT_EQ(rig.modem.pages.size(), 3u);
    for (const size_t transmission : {size_t{0}, size_t{2}}) {
        const std::vector<std::string> frames = FramesOf(rig.modem.pages[transmission]);
        ASSERT_GE(frames.size(), 4u);
        std::string data;
        for (size_t i = 0; i + 3 < frames.size(); ++i) {
            EXPECT_EQ(frames[i].substr(0, 4),
                      (std::string{'\xFF', '\x03', '\x06', static_cast<char>(i)}));
            data += frames[i].substr(4);
        }
        EXPECT_EQ(frames.back(), "\xFF\x03\x86");
        EXPECT_EQ(std::string(rig.modem.framesSent[transmission == 0 ? 2 : 5].info.substr(3)),
                  std::string(1, static_cast<char>(frames.size() - 4)))
            << "the frames in the block, less one";
        std::vector<FaxRow> rows;
        ASSERT_TRUE(
            DecodePage(reinterpret_cast<const uint8_t*>(data.data()), data.size(), true, rows));
        EXPECT_EQ(rows, expected[transmission == 0 ? 0 : 1]);
        EXPECT_LT(data.size(), plain.modem.pages[transmission / 2].size())
            << "no fill for the scan line time";
    }
    const std::vector<std::string> again = FramesOf(rig.modem.pages[1]);
    const std::vector<std::string> first = FramesOf(rig.modem.pages[0]);
    EXPECT_EQ(again, (std::vector<std::string>{first[0], first[2], "\xFF\x03\x86", "\xFF\x03\x86",
                                               "\xFF\x03\x86"}));

    SenderRig lower;  // four requests: CTC at 12000, the long training, then the frames
    lower.modem.ecm = true;
    lower.modem.pageReplies.assign(4, t30::kPpr);
    ASSERT_EQ(lower.Send(), ecOK);
    EXPECT_EQ(lower.FrameKinds(),
              (std::vector<uint8_t>{0x43, 0x83, 0xBF, 0xBF, 0xBF, 0xBF, 0x13, 0xBF, 0xBF, 0xFB}));
    const std::string& ctc = lower.modem.framesSent[6].info;
    EXPECT_EQ((std::vector<bool>{t30::Bit(ctc, 11), t30::Bit(ctc, 12), t30::Bit(ctc, 13),
                                 t30::Bit(ctc, 14)}),
              (std::vector<bool>{false, true, false, true}))
        << "V.17 at 12000 bit/s";
    EXPECT_EQ(lower.modem.pageModulations, (std::vector<int>{146, 146, 146, 146, 121, 122}));
    EXPECT_EQ(lower.modem.trainingModulations, std::vector<int>{145}) << "no training check";

    SenderRig lowest;  // at the lowest speed the fourth request ends the fax
    lowest.modem.ecm = true;
    lowest.modem.disRates = 0x0;
    lowest.modem.pageReplies.assign(4, t30::kPpr);
    EXPECT_EQ(lowest.Send(), ecPageRejected);
    EXPECT_EQ(lowest.modem.pages.size(), 4u);
}

// A receiver that reads two-dimensional coding gets it (DCS bit 16): each
// EOL carries its tag bit, and every second line is coded against the one
// before it (K = 2).
TEST(SendFax, CodesEverySecondLineAgainstTheOneBeforeForAReceiverThatReadsIt) {
    SenderRig plain, mr;
    mr.modem.twoDimensional = true;
    ASSERT_EQ(plain.Send(), ecOK);
    ASSERT_EQ(mr.Send(), ecOK);
    EXPECT_FALSE(t30::Bit(plain.modem.framesSent[1].info, t30::kBitTwoDimensional));
    EXPECT_TRUE(t30::Bit(mr.modem.framesSent[1].info, t30::kBitTwoDimensional));
    const std::string& page = mr.modem.pages[0];
    EXPECT_LT(page.size(), plain.modem.pages[0].size()) << "alike lines code short";
    std::string tags;  // the bit after each EOL
    BitReader bits(reinterpret_cast<const uint8_t*>(page.data()), page.size(), true);
    for (int zeros = 0, bit; (bit = bits.Next()) >= 0;) {
        if (bit == 0) {
            ++zeros;
            continue;
        }
        if (zeros >= 11) tags += bits.Next() ? '1' : '0';
        zeros = 0;
    }
    std::string expected;
    for (size_t row = 0; row < 20 + mr.pages[0].size(); ++row) expected += row % 2 ? '0' : '1';
    EXPECT_EQ(tags, expected + "111111") << "the lines, then the return to control";
}

// A frame the modem's check refuses is not the end of a response: the
// sender asks for the next frame, and before it transmits it waits for the
// line to fall silent.
TEST(SendFax, AfterAGarbledFrameAsksForTheNextAndWaitsForSilenceBeforeSending) {
    using M = ScriptedFaxModem;
    SenderRig rig;  // MCF after a garbled frame; then a garbled frame alone
    rig.modem.pageReplies = {M::kGarbled, t30::kMcf, M::kGarbled, 0};
    ASSERT_EQ(rig.Send(), ecOK) << ::testing::PrintToString(rig.modem.commands);
    EXPECT_EQ(rig.FrameKinds(), (std::vector<uint8_t>{0x43, 0x83, 0x4F, 0x2F, 0x2F, 0xFB}))
        << "MPS once; EOP again only after T4 in silence";
    std::vector<std::string> beforeEachSend;  // what came before each AT+FTH=3
    const auto& commands = rig.modem.commands;
    for (size_t i = 1; i < commands.size(); ++i)
        if (commands[i] == "AT+FTH=3") beforeEachSend.push_back(commands[i - 1]);
    EXPECT_EQ(beforeEachSend, (std::vector<std::string>{"AT+FTS=8", "AT+FTS=8", "AT+FTS=8",
                                                        "AT+FRS=8", "AT+FTS=8"}))
        << "TSI+DCS, MPS, EOP, EOP again, DCN";
    const auto page2 = std::find(commands.begin(), commands.end(), "AT+FTM=146") + 1;
    const auto page2Start = std::find(page2, commands.end(), "AT+FTM=146");
    ASSERT_NE(page2Start, commands.end());
    EXPECT_EQ(*(page2Start - 1), "AT+FRS=8") << "the page after the unclear MCF";
}

// T.30 Table 2, bits 21-23 of DIS written bit 21 first, with the scan line
// time at standard resolution and the DCS code that names it.
TEST(SendFax, EveryMinimumScanLineTimeOfDisIsNamedInDcsAndKeptInThePage) {
    struct Code {
        const char* dis;
        int ms;
        const char* dcs;
    };
    const Code codes[] = {{"000", 20, "000"}, {"001", 40, "001"}, {"010", 10, "010"},
                          {"100", 5, "100"},  {"011", 10, "010"}, {"110", 20, "000"},
                          {"101", 40, "001"}, {"111", 0, "111"}};
    const auto bits = [](const char* written) {
        int value = 0;
        for (int i = 0; i < 3; ++i) value |= (written[i] == '1') << i;
        return value;
    };
    std::map<int, size_t> pageBytes;  // of the second page, by scan line time
    for (const Code& code : codes) {
        SCOPED_TRACE(code.dis);
        SenderRig rig;
        rig.modem.disScanCode = bits(code.dis);
        ASSERT_EQ(rig.Send(), ecOK);
        const std::string& dcs = rig.modem.framesSent[1].info;
        int sent = 0;
        for (int i = 0; i < 3; ++i) sent |= t30::Bit(dcs, t30::kBitScanTimeFirst + i) << i;
        EXPECT_EQ(sent, bits(code.dcs));
        // Each of the second page's rows (header and image) takes the time.
        const size_t rows = 20 + rig.pages[1].size();
        EXPECT_GE(rig.modem.pages[1].size(), rows * (14400 * code.ms / 1000) / 8);
        const auto known = pageBytes.emplace(code.ms, rig.modem.pages[1].size());
        EXPECT_EQ(known.first->second, rig.modem.pages[1].size()) << "same time, same fill";
    }
    size_t shorter = 0;
    for (const auto& [ms, bytes] : pageBytes) {
        EXPECT_GT(bytes, shorter) << ms << " ms fills more than a shorter time";
        shorter = bytes;
    }
}

// What real modems and receivers do that the plain script does not.
TEST(SendFax, CopesWithTheWaysOfRealModemsAndReceivers) {
    SenderRig missed;  // the receiver missed the DCS twice: once its DIS again, once CRP
    missed.modem.trainingReplies = {t30::kDis, t30::kCrp};
    ASSERT_EQ(missed.Send(), ecOK);
    EXPECT_EQ(missed.FrameKinds(),
              (std::vector<uint8_t>{0x43, 0x83, 0x43, 0x83, 0x43, 0x83, 0x4F, 0x2F, 0xFB}));
    EXPECT_EQ(missed.modem.trainingModulations, (std::vector<int>{145, 145, 145}))
        << "each DCS with its training check";
    SenderRig deaf;  // three times: the call ends
    deaf.modem.trainingReplies = {t30::kDis, t30::kDis, t30::kDis};
    EXPECT_EQ(deaf.Send(), ecNoResponse);
    EXPECT_EQ(deaf.modem.trainingModulations.size(), 3u);

    SenderRig noFcs;  // frames without their check sequence, vouched for by OK
    noFcs.modem.passesFcs = false;
    ASSERT_EQ(noFcs.Send(), ecOK);
    EXPECT_EQ(noFcs.sender.Figures().remoteId, "+49 30 1234567");

    SenderRig cut;  // a response that starts and never ends is aborted
    cut.modem.trainingReplies = {ScriptedFaxModem::kCutShort};
    ASSERT_EQ(cut.Send(), ecOK) << ::testing::PrintToString(cut.modem.commands);
    EXPECT_EQ(cut.modem.trainingModulations.size(), 2u);

    // An unanswered MPS is aborted and sent again; the modem's OK to the
    // abort comes late, yet answers only the abort.
    SenderRig slowAbort;
    slowAbort.modem.pageReplies = {0};
    slowAbort.modem.abortReplyMs = 1500;
    ASSERT_EQ(slowAbort.Send(), ecOK) << ::testing::PrintToString(slowAbort.modem.commands);
    EXPECT_EQ(slowAbort.FrameKinds(), (std::vector<uint8_t>{0x43, 0x83, 0x4F, 0x4F, 0x2F, 0xFB}));

    SenderRig changed;  // settings changed while the call runs do not reach it
    changed.sender.StartTransmit();
    changed.sender.PhoneNumber = "999";
    changed.sender.DialPrefix.clear();
    changed.sender.WaitForEnd();
    changed.poster.RunAll();
    EXPECT_NE(std::find(changed.modem.commands.begin(), changed.modem.commands.end(),
                        "ATDT9,0049-30-1234567"),
              changed.modem.commands.end());
}

TEST(SendFax, EachFailureEndsWithItsOwnCodeAndMessage) {
    struct Case {
        const char* name;
        std::function<void(SenderRig&)> script;
        int error;
    };
    const std::vector<Case> cases = {
        {"modem silent", [](SenderRig& r) { r.modem.silent = true; }, ecNoModemResponse},
        {"no class 1", [](SenderRig& r) { r.modem.classes = "0,2,2.0"; }, ecNoClass1},
        {"no dial tone", [](SenderRig& r) { r.modem.dialResult = "NO DIALTONE"; }, ecNoDialTone},
        {"busy", [](SenderRig& r) { r.modem.dialResult = "BUSY"; }, ecBusy},
        {"no answer", [](SenderRig& r) { r.modem.dialResult = "NO ANSWER"; }, ecNoAnswer},
        {"no carrier", [](SenderRig& r) { r.modem.dialResult = "NO CARRIER"; }, ecNoCarrier},
        {"dialling delayed", [](SenderRig& r) { r.modem.dialResult = "DELAYED"; }, ecDialRefused},
        {"number blacklisted",
         [](SenderRig& r) {
             r.modem.dialProgress = {"RINGING"};
             r.modem.dialResult = "BLACKLISTED";
         },
         ecDialRefused},
        {"the port fails in the call",
         [](SenderRig& r) {
             r.modem.onCommand = [&r](const std::string& c) {
                 if (c == "AT+FRH=3" && r.modem.framesSent.size() == 2) r.modem.readFailures = 1;
             };
         },
         ecPortError},
        {"no DIS", [](SenderRig& r) { r.modem.sendDis = false; }, ecNoCapabilities},
        {"cannot receive", [](SenderRig& r) { r.modem.canReceive = false; }, ecCannotReceive},
        {"training fails at every speed",
         [](SenderRig& r) { r.modem.trainingReplies.assign(8, t30::kFtt); }, ecTrainingFailed},
        {"no response to DCS", [](SenderRig& r) { r.modem.trainingReplies.assign(3, 0); },
         ecNoResponse},
        {"no response to MPS", [](SenderRig& r) { r.modem.pageReplies.assign(3, 0); },
         ecNoResponse},
        {"page rejected four times", [](SenderRig& r) { r.modem.pageReplies.assign(4, t30::kRtn); },
         ecPageRejected},
        {"a page's answer to the settings",
         [](SenderRig& r) { r.modem.trainingReplies = {t30::kMcf}; }, ecInterrupted},
        {"receiver disconnects", [](SenderRig& r) { r.modem.pageReplies = {t30::kDcn}; },
         ecFarEndHungUp},
        {"hang-up in the page", [](SenderRig& r) { r.modem.hangUpInPage = 1; }, ecFarEndHungUp},
        {"damaged fax file",
         [](SenderRig& r) { r.fake.files.AddFile("C:\\TEMP\\Register.Apf", "II*\0garbage"); },
         ecFaxFileError},
        {"port closed", [](SenderRig& r) { r.port.SetOpen(false); }, ecPortNotOpen},
    };
    std::set<std::string> messages;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SenderRig rig;
        c.script(rig);
        const uint32_t start = rig.fake.clock.ticks;
        EXPECT_EQ(rig.Send(), c.error);
        EXPECT_EQ(rig.errors, std::vector<int>{c.error}) << "one error event before the finish";
        EXPECT_LT(rig.fake.clock.ticks - start, 200000u) << "no wait longer than the deadlines";
        EXPECT_TRUE(messages.insert(FaxErrorText(c.error)).second || c.error == ecNoResponse ||
                    c.error == ecFarEndHungUp || c.error == ecDialRefused);
        // Every ending after the modem answered puts it on hook.
        if (rig.modem.dialResult == "CONNECT" && c.error != ecNoModemResponse &&
            c.error != ecNoClass1 && c.error != ecFaxFileError && c.error != ecPortNotOpen) {
            EXPECT_EQ(rig.modem.commands.back(), "ATH0") << "the line is released";
        }
    }
}

TEST(SendFax, ACancelledFaxStillSaysGoodbyeAndHangsUp) {
    SenderRig rig;
    rig.modem.onCommand = [&](const std::string& command) {
        if (command == "AT+FTM=146" && rig.modem.pages.empty())
            rig.sender.CancelFax();  // while the first page goes out
    };
    EXPECT_EQ(rig.Send(), ecCancelled);
    EXPECT_EQ(rig.errors, std::vector<int>{ecCancelled});
    EXPECT_EQ(rig.FrameKinds().back(), t30::Command(t30::kDcn));
    EXPECT_EQ(rig.modem.commands.back(), "ATH0");
    EXPECT_EQ(FaxErrorText(ecCancelled), "The fax transmission was cancelled.");
}

// Whatever the modem or the port does while the sender says goodbye, the
// transmission ends within bounded time with its own code; and a fax the
// receiver confirmed stays delivered however the hang-up goes.
TEST(SendFax, EndsInBoundedTimeAndADeliveredFaxStaysDeliveredWhateverTheHangUpDoes) {
    // The DCN's frame command, right after the receiver confirmed the last page.
    const auto afterDelivery = [](SenderRig& r, const std::string& command) {
        return command == "AT+FTH=3" && !r.modem.framesSent.empty() &&
               t30::Kind(r.modem.framesSent.back().fcf) == t30::kEop;
    };
    struct Case {
        const char* name;
        std::function<void(SenderRig&)> script;
        int error;
        bool hangsUp;  // ATH0 is still tried
    };
    const std::vector<Case> cases = {
        {"delivered, then the goodbye refused",
         [&](SenderRig& r) { r.modem.refuses = [&](auto& c) { return afterDelivery(r, c); }; },
         ecOK, true},
        {"delivered, then the receiver gone",
         [&](SenderRig& r) {
             r.modem.onCommand = [&](auto& c) {
                 if (afterDelivery(r, c)) r.modem.silent = true;
             };
         },
         ecOK, true},
        {"delivered, then ATH0 never answered",
         [](SenderRig& r) { r.modem.ignores = [](auto& c) { return c == "ATH0"; }; }, ecOK, true},
        {"delivered, then the port's writes never complete",
         [&](SenderRig& r) {
             r.modem.onCommand = [&](auto& c) {
                 if (afterDelivery(r, c)) r.modem.writesStuck = true;
             };
         },
         ecOK, false},
        {"training failed, then ATH0 never answered",
         [](SenderRig& r) {
             r.modem.trainingReplies.assign(8, t30::kFtt);
             r.modem.ignores = [](auto& c) { return c == "ATH0"; };
         },
         ecTrainingFailed, true},
        {"training, and the port's writes never complete",
         [&](SenderRig& r) {
             r.modem.onCommand = [&](auto& c) {
                 if (c == "AT+FTM=145") r.modem.writesStuck = true;
             };
         },
         ecPortError, false},
        {"the modem goes silent in the goodbye of a failed fax",
         [](SenderRig& r) {
             r.modem.trainingReplies = {t30::kMcf};
             r.modem.ignores = [&r](auto& c) {  // from the DCN on
                 return c == "ATH0" || (c == "AT+FTH=3" && r.modem.framesSent.size() == 2);
             };
         },
         ecInterrupted, true},
    };
    SenderRig normal;
    ASSERT_EQ(normal.Send(), ecOK);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SenderRig rig;
        c.script(rig);
        EXPECT_EQ(rig.Send(), c.error);
        EXPECT_EQ(rig.errors, c.error == ecOK ? std::vector<int>{} : std::vector<int>{c.error});
        // At most one write's time (30 s) and a short goodbye more than a
        // fax that goes well.
        EXPECT_LE(rig.fake.clock.ticks, normal.fake.clock.ticks + 33000u);
        EXPECT_EQ(rig.modem.commands.back() == "ATH0", c.hangsUp);
        if (c.error == ecOK) {
            EXPECT_EQ(rig.progress.back(), fpFinished);
            EXPECT_EQ(rig.modem.pages.size(), 2u);
        }
    }
}

// A fault of the sender's own is named as such, not as a failed port; a fax
// the receiver has confirmed stays delivered.
TEST(SendFax, AnInternalErrorIsReportedAsOne) {
    const std::pair<const char*, int> cases[] = {{"AT+FTS=8", ecInternalError}, {"ATH0", ecOK}};
    for (auto [command, error] : cases) {
        SCOPED_TRACE(command);
        SenderRig rig;
        rig.modem.onCommand = [command = std::string(command)](const std::string& c) {
            if (c == command) throw std::logic_error("a fault of the sender");
        };
        EXPECT_EQ(rig.Send(), error);
        EXPECT_EQ(rig.errors, error == ecOK ? std::vector<int>{} : std::vector<int>{error});
    }
    const std::string text = FaxErrorText(ecInternalError);
    EXPECT_NE(text, FaxErrorText(ecPortError));
    EXPECT_NE(text, "Fax error 9020.") << "words of its own";
}

// The finish is what frees the dialog's Start button: a message queue that
// is full when the call ends delays it, never drops it.
TEST(SendFax, TheFinishWaitsOutAFullQueue) {
    SenderRig rig;
    std::atomic<bool> hungUp{false};
    rig.modem.onCommand = [&](const std::string& c) { hungUp = hungUp || c == "ATH0"; };
    rig.poster.full = true;
    rig.sender.StartTransmit();
    while (!hungUp) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the finish is refused
    rig.poster.full = false;
    for (int i = 0; i < 2000 && rig.finishes.empty(); ++i) {
        rig.poster.RunAll();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    rig.sender.WaitForEnd();
    EXPECT_EQ(rig.finishes, std::vector<int>{ecOK});
}

// Closing the program while the modem takes no data: the sender gives the
// call a moment to hang up, then interrupts the port instead of waiting
// out the write.
TEST(SendFax, GoingDuringAStuckWriteInterruptsThePort) {
    bool interrupted = false;
    {
        SenderRig rig;
        rig.modem.onCommand = [&](const std::string& c) {
            if (c == "AT+FTM=146") rig.modem.writesBlock = true;
        };
        rig.modem.onInterrupt = [&] { interrupted = true; };
        rig.sender.StartTransmit();
        while (!rig.modem.writesBlock) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(interrupted);

    bool interruptedAfterGoodbye = false;
    {
        SenderRig rig;  // a call that ends by itself is left to say goodbye
        rig.modem.onInterrupt = [&] { interruptedAfterGoodbye = true; };
        rig.sender.StartTransmit();
    }
    EXPECT_FALSE(interruptedAfterGoodbye);
}

TEST(TapiDevice, OffersPortsWithoutModemsAndOpensTheChosenDevice) {
    testing::FakeModemDirectory directory;
    directory.portOfLine["Sportster 28800-33600 External"] = "COM2";
    FakePlatform fake;
    ScriptedFaxModem modem(fake.clock);
    TApdComPort port(modem);
    TApdTapiDevice tapi(directory, port);
    tapi.ShowPorts = false;
    EXPECT_EQ(tapi.Devices(), (std::vector<std::string>{"COM1", "COM2"}))
        << "no modems installed: the ports are offered";
    directory.lines = {"Sportster 28800-33600 External"};
    EXPECT_EQ(tapi.Devices(), directory.lines);

    EXPECT_THROW(tapi.ConfigAndOpen(), PortOpenError) << "nothing selected";
    tapi.Choose("Sportster 28800-33600 External");
    EXPECT_EQ(port.TapiMode, TTapiMode::tmOn);
    tapi.ConfigAndOpen();
    EXPECT_EQ(modem.openedName, "COM2");
    tapi.CancelCall();
    EXPECT_FALSE(port.Open());

    tapi.Choose("COM1");
    EXPECT_EQ(port.TapiMode, TTapiMode::tmOff);
    modem.openError = PortError::kBusy;
    try {
        tapi.ConfigAndOpen();
        FAIL() << "a busy port must raise";
    } catch (const PortOpenError& e) {
        EXPECT_STREQ(
            e.what(),
            "The serial port COM1 is in use by another program. Close that program and try "
            "again.");
    }
    tapi.Choose("Unknown Modem");
    EXPECT_THROW(tapi.ConfigAndOpen(), PortOpenError);
}

}  // namespace
}  // namespace mivox
