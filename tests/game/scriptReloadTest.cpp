// F9 reloads the script into the running game: the new behaviour shows at once; a broken script
// leaves the previous one working, even when it failed half-way through redefining things.
#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <boost/filesystem.hpp>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

#include "contentCopy.h"
#include "displayWait.h"
#include "gameMain.h"
#include "startedGame.h"
#include "input.h"
#include "luaTables.h"
#include "player.h"
#include "testSupport.h"
#include "worldState.h"

namespace fs = boost::filesystem;

namespace {

// Wraps the shipped script's addUI and gameLoaded so that each says it ran.
const char* const MARKED_SCRIPT_TAIL = R"(
local shippedAddUI, shippedGameLoaded = addUI, gameLoaded
function addUI(...) print("new script's addUI") return shippedAddUI(...) end
function gameLoaded() print("new script heard the reload") shippedGameLoaded() end
)";
// Redefines addUI, then fails: the half-run script must not stay.
const char* const BROKEN_SCRIPT = R"(
function addUI(...) print("broken script's addUI") return nil end
brokenScriptGlobal = true
error("broken on purpose")
)";

std::string readAll(const fs::path& path) {
    std::ifstream in(path.string());
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeAll(const fs::path& path, const std::string& text) { std::ofstream(path.string()) << text; }

void reloadAndPlay() {
    const fs::path directory = fs::temp_directory_path() / fs::unique_path("quorble-reload-%%%%-%%%%");
    ASSERT_TRUE(copyContent(shippedDataDirectory(), directory));
    waitForDisplay();
    GameOptions options;
    options.dataDirectory = directory.string();
    options.sdlInput = false;
    options.sound = false;
    Game game(options);
    int status = 1;
    const std::string startOutput = captureOutput([&] { status = game.startUp(0, nullptr); });
    ASSERT_EQ(0, status) << startOutput;
    uint32_t now = SDL_GetTicks();
    auto frames = [&](int count) {
        std::string out;
        for (int i = 0; i < count; ++i) {
            now += 16;
            out += captureOutput([&] { game.frame(now); });
        }
        return out;
    };
    auto press = [&](int key) {
        game.universe().input.pushEvent({InputEvent::KeyDown, key});
        return frames(1);
    };
    frames(2);
    const point before = game.universe().player->getPosition();

    // A window open, the script changed on disk, F9: the window closes, the new script runs.
    press(SDLK_e);
    ASSERT_EQ(1u, game.universe().displays.size());
    const std::string shipped = readAll(directory / "ui.lua");
    writeAll(directory / "ui.lua", shipped + MARKED_SCRIPT_TAIL);
    std::string out = press(SDLK_F9);
    EXPECT_TRUE(game.universe().displays.empty());
    EXPECT_NE(out.find("Reloaded ui.lua"), std::string::npos) << out;
    EXPECT_NE(out.find("new script heard the reload"), std::string::npos) << out;
    EXPECT_EQ("Reloaded ui.lua", game.scriptLine());
    out = press(SDLK_e);
    EXPECT_NE(out.find("new script's addUI"), std::string::npos) << out;
    EXPECT_EQ(1u, game.universe().displays.size()) << "the reloaded script opens its window";
    // The game in flight goes on: same ship, moved on by the frames, not restarted.
    EXPECT_NE(before.x, game.universe().player->getPosition().x);

    // Broken after redefining addUI: the error is shown, the previous script keeps working.
    writeAll(directory / "ui.lua", BROKEN_SCRIPT);
    out = press(SDLK_F9);
    EXPECT_NE(out.find("Error, not reloaded (old script kept): "), std::string::npos) << out;
    EXPECT_NE(out.find("broken on purpose"), std::string::npos) << out;
    EXPECT_NE(game.scriptLine().find("broken on purpose"), std::string::npos) << game.scriptLine();
    EXPECT_TRUE(game.universe().displays.empty());
    out = press(SDLK_e);
    EXPECT_NE(out.find("new script's addUI"), std::string::npos) << out;
    EXPECT_EQ(out.find("broken script's addUI"), std::string::npos) << out;
    EXPECT_EQ(1u, game.universe().displays.size());
    lua_getglobal(game.lua(), "brokenScriptGlobal");
    EXPECT_TRUE(lua_isnil(game.lua(), -1)) << "a global of the failed script stayed";
    lua_pop(game.lua(), 1);

    // A script that does not even parse: the same.
    writeAll(directory / "ui.lua", "function addUI(");
    out = press(SDLK_F9);
    EXPECT_NE(out.find("Error, not reloaded (old script kept): ui.lua:1:"), std::string::npos) << out;
    out = press(SDLK_e);
    EXPECT_NE(out.find("new script's addUI"), std::string::npos) << out;
    frames(20);  // planetTick and the windows go on without errors
    EXPECT_EQ(1u, game.universe().displays.size());

    boost::system::error_code ignored;
    fs::remove_all(directory, ignored);
}

}  // namespace

TEST(ScriptReload, F9RunsTheNewScriptAndABrokenOneLeavesTheOldInPlace) { inChild(reloadAndPlay); }
