// Windows drawn by the real frame loop land where their elements say, in the 0-100 screen space,
// whatever the HUD marks drawn before them (the course marker draws in pixels) left behind.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "screenshot.h"
#include "startedGame.h"
#include "uiDisplay.h"
#include "worldState.h"

namespace {

const int HAVEN = 1;
const int CINDER = 0;

const uiDisplayBase* elementNamed(const uiDisplay& window, const std::string& name) {
    for (size_t i = 0; i < window.size(); ++i)
        if (window.element(i)->name == name) return window.element(i);
    return nullptr;
}

// Pixels of the screen inside `element`'s box within a few levels of its colour.
int pixelsOfItsColour(const uiDisplayBase& element, const Screenshot& shot) {
    const int r = static_cast<int>(element.colour[0] * 255), g = static_cast<int>(element.colour[1] * 255),
              b = static_cast<int>(element.colour[2] * 255);
    auto near = [&](int pr, int pg, int pb) {
        return std::abs(pr - r) <= 8 && std::abs(pg - g) <= 8 && std::abs(pb - b) <= 8;
    };
    // The picture fills the screen here; its rows count from the top.
    return shot.count(static_cast<int>(element.minCorner.x * shot.width / 100),
                      static_cast<int>((100 - element.maxCorner.y) * shot.height / 100),
                      static_cast<int>(element.maxCorner.x * shot.width / 100),
                      static_cast<int>((100 - element.minCorner.y) * shot.height / 100), near);
}

}  // namespace

TEST(GameWindows, ThePlanetWindowIsDrawnInItsPlaceWithAndWithoutACourse) {
    inChild([] {
        StartedGame game;
        ASSERT_TRUE(game.started) << game.startOutput;
        game.script("landPlayerOn(" + std::to_string(HAVEN) + ")");
        game.script("setNavTarget(-1)");
        game.frames(2);
        game.press(SDLK_e);
        game.frames(3);
        Universe& universe = game.universe();
        ASSERT_EQ(1u, universe.displays.size()) << "the planet window did not open";
        const uiDisplayBase* title = elementNamed(universe.displays[0], "title");
        ASSERT_TRUE(title && title->hasColour);
        const int withoutCourse = pixelsOfItsColour(*title, takeScreenshot("window-without-course", game.directory.string()));
        EXPECT_GT(withoutCourse, 30) << "the planet's name is not drawn in its title box";

        // The course marker draws in pixels just before the windows.
        EXPECT_EQ("true\n", game.script("print(setNavTarget(" + std::to_string(CINDER) + "))"));
        game.frames(3);
        ASSERT_EQ(1u, universe.displays.size());
        title = elementNamed(universe.displays[0], "title");
        ASSERT_TRUE(title);
        EXPECT_GT(pixelsOfItsColour(*title, takeScreenshot("window-with-course", game.directory.string())),
                  withoutCourse / 2)
            << "with a course set the window is drawn elsewhere";
    });
}
