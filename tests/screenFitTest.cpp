// The window on screens of several sizes: the size it takes, where the picture lands in it, and
// the real game on a laptop screen and a full HD screen (planet window clicks, F11).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "autopilot.h"
#include "gameProcess.h"
#include "screenFit.h"
#include "sizedScreen.h"
#include "testSupport.h"

namespace {
const PixelSize PICTURE{1280, 1024};

struct FitCase {
    PixelSize desktop;
    PixelSize window;
};

class FitWindow : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitWindow, TakesTheLargestFiveByFourThatFits) {
    const FitCase& c = GetParam();
    const PixelSize got = fitWindow(c.desktop, PICTURE);
    EXPECT_EQ(c.window.width, got.width) << c.desktop.width << "x" << c.desktop.height;
    EXPECT_EQ(c.window.height, got.height) << c.desktop.width << "x" << c.desktop.height;
    EXPECT_EQ(got.width * 4, got.height * 5);
}

INSTANTIATE_TEST_SUITE_P(Desktops, FitWindow,
                         ::testing::Values(FitCase{{0, 0}, {1280, 1024}},        // unknown desktop
                                           FitCase{{1280, 1024}, {1280, 1024}},  // exactly the picture
                                           FitCase{{1920, 1200}, {1280, 1024}},  // room to spare
                                           FitCase{{2560, 1440}, {1280, 1024}},
                                           FitCase{{1920, 1080}, {1250, 1000}},  // title bar and panel
                                           FitCase{{1366, 768}, {860, 688}},
                                           FitCase{{1024, 768}, {860, 688}},
                                           FitCase{{800, 600}, {650, 520}},
                                           FitCase{{1280, 1200}, {1260, 1008}}));  // narrow: width decides

TEST(WindowSize, ParsesWidthByHeightAndRejectsTheRest) {
    struct Case {
        const char* text;
        bool ok;
        PixelSize size;
    };
    const Case cases[] = {{"1366x768", true, {1366, 768}}, {"640x512", true, {640, 512}},
                          {"1366X768", false, {}},         {"1366x", false, {}},
                          {"x768", false, {}},             {"1366x768x24", false, {}},
                          {"10x10", false, {}},            {"99999x99999", false, {}},
                          {"", false, {}},                 {"big", false, {}}};
    for (const Case& c : cases) {
        PixelSize size{1, 1};
        EXPECT_EQ(c.ok, parseWindowSize(c.text, size)) << c.text;
        if (c.ok) {
            EXPECT_TRUE(size == c.size) << c.text;
        }
    }
}

TEST(PictureRect, CentresTheLargestPictureWithBarsBesideIt) {
    struct Case {
        PixelSize window;
        PictureRect rect;
    };
    const Case cases[] = {{{1280, 1024}, {0, 0, 1280, 1024}}, {{860, 688}, {0, 0, 860, 688}},
                          {{1920, 1080}, {285, 0, 1350, 1080}}, {{1366, 768}, {203, 0, 960, 768}},
                          {{1000, 1000}, {0, 100, 1000, 800}},  {{0, 0}, {0, 0, 1280, 1024}}};
    for (const Case& c : cases) {
        const PictureRect r = pictureRect(c.window, PICTURE);
        EXPECT_EQ(c.rect.x, r.x) << c.window.width << "x" << c.window.height;
        EXPECT_EQ(c.rect.y, r.y) << c.window.width << "x" << c.window.height;
        EXPECT_EQ(c.rect.width, r.width) << c.window.width << "x" << c.window.height;
        EXPECT_EQ(c.rect.height, r.height) << c.window.width << "x" << c.window.height;
    }
}

// The real game on a screen of another size.
const double STARTUP_SECONDS = 30.0;
const int STATE_SLOT = 2;
const point AMOUNT_BUTTON{84.0f, 69.5f};
const float BUY_X = 73.0f;

bool isGraphBlue(int r, int g, int b) { return b > 200 && r < 130 && g < 130; }
bool isLit(int r, int g, int b) { return r + g + b > 30; }

// The game window's size as xdotool reports it ("860x688"), or "" when there is none.
std::string windowGeometry() {
    const std::string text =
        runCommand("xdotool search --name '^Quorble$' getwindowgeometry 2>/dev/null | grep Geometry");
    const size_t colon = text.find(": ");
    if (colon == std::string::npos) return "";
    std::string size = text.substr(colon + 2);
    while (!size.empty() && (size.back() == '\n' || size.back() == ' ')) size.pop_back();
    return size;
}

class EndToEndScreen : public ::testing::Test {
protected:
    TempDir work;
    std::unique_ptr<GameProcess> game;

    void startOn(const SizedScreen& screen) {
        ASSERT_TRUE(screen.ready()) << "Xvfb did not start";
        game = std::make_unique<GameProcess>(work.path());
        ASSERT_TRUE(game->start());
        ASSERT_TRUE(game->waitForOutput("Done with that, now starting main loop", STARTUP_SECONDS))
            << game->output() << game->errorOutput();
        game->pause(1.5);
    }
    void TearDown() override {
        if (game && game->running()) {
            game->key("q");
            game->waitForExit(10.0);
        }
        game.reset();
    }
};
}  // namespace

TEST_F(EndToEndScreen, LaptopScreenShowsTheWholePictureAndThePlanetWindowTakesClicks) {
    SizedScreen screen(1366, 768);
    startOn(screen);
    EXPECT_EQ("860x688", windowGeometry());
    EXPECT_NE(game->output().find("Window 860 x 688 on a desktop of 1366 x 768"), std::string::npos);
    Screenshot shot = game->screenshot("screen-1366x768-flight");
    ASSERT_TRUE(shot.valid());
    ASSERT_EQ(1366, shot.width);
    // The window is centred: its bottom rows, the frame-time graph, are on the screen.
    const int left = (1366 - 860) / 2, top = (768 - 688) / 2;
    EXPECT_GT(shot.count(left, top + 688 - 40, left + 860, top + 688, isGraphBlue), 200);
    // The map in the top right corner is drawn, inside the window.
    EXPECT_GT(shot.count(left + 860 - 150, top, left + 860, top + 150, isLit), 500);

    // Land on Haven, open the planet window and trade: every click lands on its button.
    Autopilot pilot(*game, STATE_SLOT);
    ShipState state;
    for (int poll = 0; poll < 80 && !(state.landed && state.planet >= 0); ++poll) {
        game->pause(0.5);
        ASSERT_TRUE(pilot.read(state));
    }
    ASSERT_TRUE(state.landed) << "never landed";
    size_t before = game->outputSize();
    game->key("e");
    ASSERT_TRUE(game->waitForOutput("Set name: planetWindow", 5.0, before));
    game->pause(0.4);
    EXPECT_TRUE(game->clickUntil(AMOUNT_BUTTON.x, AMOUNT_BUTTON.y, "trade 5 at a time"));
    const PlanetOrbit* home = pilot.planet(state.planet);
    ASSERT_TRUE(home);
    int row = 0;
    for (size_t i = 0; i < home->goods.size(); ++i)
        if (home->goods[i] == "Crystals") row = static_cast<int>(i) + 2;
    ASSERT_GT(row, 0);
    EXPECT_TRUE(game->clickUntil(BUY_X, 65.7f - 4.0f * static_cast<float>(row - 1), "Lua debug:Bought 5 Crystals"));
    Screenshot window = game->screenshot("screen-1366x768-planet-window");
    // The window's bottom row (Close and Repair) sits on the screen, above the graph.
    EXPECT_GT(window.count(left, top + 688 - 200, left + 860, top + 688 - 40, isLit), 2000);
    // The buy set a course; the window is still drawn in its place, scaled: the planet's name
    // in its title colour where the script put the title (5-30 % across, 76-80 % up).
    auto isTitleColour = [](int r, int g, int b) { return r > 240 && std::abs(g - 214) < 12 && std::abs(b - 89) < 16; };
    EXPECT_GT(window.count(left + 43, top + 137, left + 258, top + 166, isTitleColour), 40);
}

TEST_F(EndToEndScreen, FullHdScreenFitsAndF11TogglesFullScreenWithBars) {
    SizedScreen screen(1920, 1080);
    startOn(screen);
    EXPECT_EQ("1250x1000", windowGeometry());
    Screenshot windowed = game->screenshot("screen-1920x1080-window");
    ASSERT_TRUE(windowed.valid());
    const int top = (1080 - 1000) / 2;
    EXPECT_GT(windowed.count(335, top + 960, 335 + 1250, top + 1000, isGraphBlue), 200);

    game->key("F11");
    game->pause(1.5);
    EXPECT_EQ("1920x1080", windowGeometry());
    Screenshot full = game->screenshot("screen-1920x1080-full-screen");
    ASSERT_TRUE(full.valid());
    // A 1350 x 1080 picture in the middle, black bars of 285 columns either side.
    EXPECT_GT(full.count(285, 1040, 1635, 1080, isGraphBlue), 300);
    EXPECT_EQ(0, full.count(0, 0, 280, 1080, isLit));
    EXPECT_EQ(0, full.count(1640, 0, 1920, 1080, isLit));
    EXPECT_GT(full.count(1635 - 200, 0, 1635, 200, isLit), 500);  // the map reaches the bar

    game->key("F11");
    game->pause(1.5);
    EXPECT_EQ("1250x1000", windowGeometry());
    EXPECT_TRUE(game->running());
    EXPECT_EQ(game->output().find("\nError"), std::string::npos) << game->output();
}

TEST_F(EndToEndScreen, QuorbleWindowForcesTheSize) {
    SizedScreen screen(1920, 1080);
    setenv("QUORBLE_WINDOW", "800x640", 1);
    startOn(screen);
    unsetenv("QUORBLE_WINDOW");
    EXPECT_EQ("800x640", windowGeometry());
}
