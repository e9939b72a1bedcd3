#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "platform/Threads.h"
#include "win32/Win32Fax.h"

namespace mivox::win32 {
namespace {

int BlackDots(const std::vector<uint8_t>& row, int from, int to) {
    int count = 0;
    for (int x = from; x < to; ++x) count += (row[x >> 3] >> (7 - (x & 7))) & 1;
    return count;
}

TEST(Win32TextRenderer, DrawsCourierBlackOnWhiteFromTheLeftMargin) {
    Win32TextRenderer renderer;
    const FontSpec font;  // Courier, 16 pixels, bold
    const auto blank = renderer.RenderLine(font, "", 50);
    ASSERT_EQ(blank.size(), 16u);
    for (const auto& row : blank) {
        ASSERT_EQ(row.size(), 216u);
        EXPECT_EQ(BlackDots(row, 0, 1728), 0) << "nothing drawn is white";
    }
    const auto text = renderer.RenderLine(font, "HHHH", 50);
    int inside = 0, outside = 0;
    for (const auto& row : text) {
        inside += BlackDots(row, 50, 50 + 4 * 24);
        outside += BlackDots(row, 0, 50) + BlackDots(row, 50 + 4 * 24, 1728);
    }
    EXPECT_GT(inside, 4 * 16) << "four bold letters leave ink";
    EXPECT_LT(inside, 4 * 16 * 16 / 2) << "and are not a black block";
    EXPECT_EQ(outside, 0);
}

// Dots are 1/204 inch wide and rows 1/98 inch high: a character 16 rows
// high is about 20 dots wide (ten to the inch), as on paper.
TEST(Win32TextRenderer, DrawsForTheFaxResolution) {
    Win32TextRenderer renderer;
    const FontSpec font;
    const auto rows = renderer.RenderLine(font, "HHHHHHHHHH", 50);  // ten characters
    int first = 1728, last = -1;
    for (const auto& row : rows)
        for (int x = 0; x < 1728; ++x)
            if ((row[x >> 3] >> (7 - (x & 7))) & 1)
                first = std::min(first, x), last = std::max(last, x);
    ASSERT_GE(last, first);
    // From the first H's left stroke to the tenth's right one: nine cells and
    // an H, about an inch (204 dots).
    EXPECT_GE(last - first, 170);
    EXPECT_LE(last - first, 215);
}

TEST(Win32SerialPort, AMissingPortSaysSo) {
    Win32SerialPort port;
    PortError error = PortError::kNone;
    std::string detail;
    EXPECT_FALSE(port.Open("COM31", SerialSettings{}, error, detail));
    EXPECT_EQ(error, PortError::kMissing);
    EXPECT_FALSE(detail.empty());
    EXPECT_FALSE(port.IsOpen());
}

TEST(Win32UiThreadPoster, RunsWorkFromAnotherThreadOnTheLoopInOrder) {
    Win32UiThreadPoster poster;
    std::vector<int> order;
    const DWORD uiThread = GetCurrentThreadId();
    std::vector<DWORD> threads;
    Thread worker([&] {
        for (int i = 0; i < 3; ++i)
            poster.Post([&, i] {
                order.push_back(i);
                threads.push_back(GetCurrentThreadId());
            });
    });
    worker.Join();
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(threads, (std::vector<DWORD>(3, uiThread)));
    std::string reported;
    poster.SetExceptionHandler([&](const std::exception& e) { reported = e.what(); });
    poster.Post([] { throw std::runtime_error("handler failed"); });
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    EXPECT_EQ(reported, "handler failed") << "reported, not unwound through the window procedure";
    poster.Post([&] { order.push_back(99); });  // dropped with the poster, not leaked
}

}  // namespace
}  // namespace mivox::win32
