// End-to-end: the real game binary in a real window under the test's X server.
#include <gtest/gtest.h>

#include "gameProcess.h"
#include "testSupport.h"

namespace {
const double STARTUP_SECONDS = 30.0;

bool isGraphBlue(int r, int g, int b) { return b > 200 && r < 130 && g < 130; }

class EndToEndStartup : public ::testing::Test {
protected:
    TempDir work;
    GameProcess game{work.path()};

    void startAndWait() {
        ASSERT_TRUE(game.start());
        ASSERT_TRUE(game.waitForOutput("Done with that, now starting main loop", STARTUP_SECONDS))
            << game.output() << game.errorOutput();
    }
};
}  // namespace

TEST_F(EndToEndStartup, PrintsStartupLinesInOrderAndQuitsWithQ) {
    startAndWait();
    std::string out = game.output();
    size_t starting = out.find("Starting this thing");
    size_t sdl = out.find("SDL initialized");
    size_t done = out.find("Done with that, now starting main loop");
    ASSERT_NE(starting, std::string::npos);
    ASSERT_NE(sdl, std::string::npos);
    EXPECT_LT(starting, sdl);
    EXPECT_LT(sdl, done);
    EXPECT_EQ(out.find("\nError"), std::string::npos) << out;

    game.pause(1.5);
    Screenshot shot = game.screenshot("startup");
    ASSERT_TRUE(shot.valid());
    // The frame-time graph runs along the bottom of the screen in blue.
    EXPECT_GT(shot.count(0, shot.height - 200, shot.width, shot.height, isGraphBlue), 200);

    game.key("q");
    EXPECT_EQ(game.waitForExit(10.0), 0);
}

TEST_F(EndToEndStartup, ClosingTheWindowQuits) {
    startAndWait();
    game.pause(0.5);
    ASSERT_TRUE(game.closeWindow());
    EXPECT_EQ(game.waitForExit(10.0), 0);
}

TEST_F(EndToEndStartup, WithoutDisplayReportsSdlErrorAndExitsWithOne) {
    ASSERT_TRUE(game.start(true));
    EXPECT_EQ(game.waitForExit(10.0), 1);
    EXPECT_NE(game.errorOutput().find("SDL init failed: "), std::string::npos) << game.errorOutput();
}
