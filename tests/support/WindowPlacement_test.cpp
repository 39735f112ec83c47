// The window's remembered size and place: what the file may hold, how a damaged one is
// refused, how the result is brought onto the displays there are, and the whole-or-nothing
// write.
#include "WindowPlacement.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

TEST(WindowPlacementTest, ReadsTheFourNumbersAndRefusesADamagedFile) {
    struct Case {
        const char* text;
        std::optional<WindowPlacement> placement;
    };
    const Case cases[] = {
        {"x=10\ny=20\nwidth=1200\nheight=700\nmaximized=0\n", WindowPlacement{10, 20, 1200, 700}},
        {"x=-5\r\ny=0\r\nwidth=800\r\nheight=500\r\nmaximized=1\r\n",
         WindowPlacement{-5, 0, 800, 500, true}},
        // Unknown keys and lines without "=" are passed over; the first line of a key wins.
        {"[window]\ncolour=red\nwidth=900\nx=1\ny=2\nheight=600\nwidth=10",
         WindowPlacement{1, 2, 900, 600}},
        {"x=1\ny=2\nwidth=900\nheight=600\nmaximized=yes", WindowPlacement{1, 2, 900, 600}},
        {"x=1\ny=2\nwidth=900\nheight=600", WindowPlacement{1, 2, 900, 600}},  // no final LF
        {"x=1\ny=2\nwidth=900\n", std::nullopt},                               // cut short
        {"x=1\ny=2\nwidth=9oo\nheight=600\n", std::nullopt},                   // not a number
        {"x=1\ny=2\nwidth= 900\nheight=600\n", std::nullopt},      // blanks are not digits
        {"x=1\ny=2\nwidth=\nheight=600\n", std::nullopt},          // empty
        {"x=1\ny=2\nwidth=-\nheight=600\n", std::nullopt},         // a sign alone
        {"x=1\ny=2\nwidth=99999999\nheight=600\n", std::nullopt},  // eight digits
        {"x=1\ny=2\nwidth=4294967296\nheight=600\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseWindowPlacement(c.text), c.placement) << c.text;
    }
    const WindowPlacement p{-1280, 33, 1919, 1079, true};
    EXPECT_EQ(ParseWindowPlacement(FormatWindowPlacement(p)), p);
}

TEST(WindowPlacementTest, ClampsTheSizeAndBringsTheWindowOntoADisplay) {
    // A primary 1280 x 1024 display (its work area below a 24-pixel panel) and a
    // 1920 x 1080 one to its right.
    const std::vector<ScreenArea> two = {{0, 24, 1280, 1000}, {1280, 0, 1920, 1080}};
    struct Case {
        WindowPlacement in;
        std::vector<ScreenArea> screens;
        WindowPlacement out;
    };
    const Case cases[] = {
        {{50, 100, 1200, 700}, two, {50, 100, 1200, 700}},           // fits: unchanged
        {{100, 100, 10, 0, true}, two, {100, 100, 770, 452, true}},  // below the minimum
        {{-300, -50, 800, 500}, two, {0, 24, 800, 500}},             // partly off the primary
        {{5000, 5000, 800, 500}, two, {480, 524, 800, 500}},         // off every display
        {{-9000, 300, 800, 500}, two, {0, 300, 800, 500}},
        {{2900, 900, 800, 500}, two, {2400, 580, 800, 500}},       // mostly on the second
        {{1200, 10, 1000, 600}, two, {1280, 10, 1000, 600}},       // more on the second
        {{1500, 0, 5000, 3000}, two, {1280, 0, 1920, 1080}},       // larger than the display
        {{0, 0, 800, 500}, {{0, 0, 640, 400}}, {0, 0, 770, 452}},  // display below the minimum
        {{5000, 5000, 1, 1}, {}, {5000, 5000, 770, 452}},          // no display known
        {{5000, 5000, 800, 500}, {{0, 0, 0, 0}, {10, 10, 1000, 800}}, {210, 310, 800, 500}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClampWindowPlacement(c.in, c.screens, 770, 452), c.out)
            << c.in.x << "," << c.in.y << " " << c.in.width << "x" << c.in.height;
    }
}

TEST(WindowPlacementTest, WritesWholeOrNotAtAllAndReadsBack) {
    const fs::path dir = fs::temp_directory_path() / ("placement-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string file = (dir / "pemdaro.ini").string();

    EXPECT_EQ(ReadWindowPlacement(file), std::nullopt);  // none yet
    const WindowPlacement first{40, 50, 1200, 700, false};
    ASSERT_TRUE(WriteWindowPlacement(file, first));
    EXPECT_EQ(ReadWindowPlacement(file), first);
    const WindowPlacement second{0, 0, 800, 480, true};
    ASSERT_TRUE(WriteWindowPlacement(file, second));
    EXPECT_EQ(ReadWindowPlacement(file), second);
    // Only the file itself is left behind: the temporary one was renamed over it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    // A folder that is not there: nothing written, the call says so.
    EXPECT_FALSE(WriteWindowPlacement((dir / "missing" / "pemdaro.ini").string(), first));
    // A folder standing where the file would be: the rename fails, the temporary file goes.
    fs::create_directories(dir / "taken");
    EXPECT_FALSE(WriteWindowPlacement((dir / "taken").string(), first));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);

    // Far more than a placement: not ours, even with the numbers at its start.
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        << FormatWindowPlacement(first) << std::string(5000, '#');
    EXPECT_EQ(ReadWindowPlacement(file), std::nullopt);
    fs::remove_all(dir);
}

}  // namespace
