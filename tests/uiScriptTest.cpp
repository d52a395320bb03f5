// Tests of the shipped "ui.lua" against the engine: the planet economy and the e-key window.
#include <gtest/gtest.h>

#include "loadGalaxy.h"
#include "shaderList.h"
#include "startLua.h"
#include "testSupport.h"
#include "uiDisplay.h"
#include "worldState.h"

namespace {

class ShippedScript : public testing::Test {
protected:
    void SetUp() override {
        writeContent(dir);
        universe = buildUniverse(dir);
        ASSERT_TRUE(universe);
        std::string out = captureOutput([&] {
            ASSERT_TRUE(loadScript(L, shippedDataDirectory() + "ui.lua"));
            initLua(*universe, L);
        });
        EXPECT_EQ(std::string::npos, out.find("Error")) << out;
        EXPECT_EQ(std::string::npos, out.find("Lua event error")) << out;
        ASSERT_EQ(0, lua_gettop(L));
    }

    std::string pressE(bool quiet = true) {
        std::vector<float> numbers{1.0f, 6.4f, 9.4f, -94.0f};
        std::string out = captureOutput([&] { uiEvent(*universe, numbers, fonts, L); });
        EXPECT_EQ(0, lua_gettop(L));
        if (quiet) {
            EXPECT_EQ(std::string::npos, out.find("Error")) << out;
        }
        return out;
    }
    uiDisplayBase* find(uiDisplay& display, const std::string& name) {
        for (size_t i = 0; i < display.size(); ++i)
            if (display.element(i)->name == name) return display.element(i);
        return nullptr;
    }
    // Clicks the centre of an element of the newest display, then runs the frame's updates.
    void clickAndUpdate(const std::string& name) {
        ASSERT_FALSE(universe->displays.empty());
        uiDisplayBase* element = find(universe->displays.back(), name);
        ASSERT_TRUE(element) << name;
        point centre{(element->minCorner.x + element->maxCorner.x) / 2, (element->minCorner.y + element->maxCorner.y) / 2};
        runFrame([&] {
            for (uiDisplay& display : universe->displays) display.mouseClick(centre, *universe, L);
        });
    }
    // Input for one frame, then draw-and-update of every display as the frame loop does it.
    void runFrame(const std::function<void()>& input) {
        std::string out = captureOutput([&] {
            input();
            for (size_t i = 0; i < universe->displays.size();) {
                if (!universe->displays[i].update(*universe, fonts, L))
                    universe->displays.erase(universe->displays.begin() + static_cast<long>(i));
                else
                    ++i;
            }
        });
        EXPECT_EQ(std::string::npos, out.find("LUA encountered an error")) << out;
        EXPECT_EQ(0, lua_gettop(L));
    }
    void tick(int times) {
        std::string out = captureOutput([&] {
            for (int i = 0; i < times; ++i)
                for (unsigned id = 0; id < universe->planetIndex.size(); ++id) callPlanetTick(L, static_cast<int>(id));
        });
        EXPECT_EQ(std::string::npos, out.find("Lua event error")) << out;
        EXPECT_EQ(0, lua_gettop(L));
    }
    std::string extraValue(unsigned planet, const std::string& key) {
        for (const luaStringPair& pair : universe->getExtraPlanetData(planet))
            if (pair.key == key) return pair.value;
        return "<missing>";
    }

    TempDir dir;
    std::unique_ptr<Universe> universe;
    LuaState lua;
    lua_State* L = lua.get();
    std::vector<Font*> fonts;  // no font: the labels are not drawn
};

TEST_F(ShippedScript, AMinuteOfTicksGrowsTheEconomy) {
    planetData before = universe->getPlanetData(0);
    tick(120);
    planetData after = universe->getPlanetData(0);
    EXPECT_GT(after.elementStockpile1, before.elementStockpile1);
    EXPECT_LT(after.element1, before.element1);
    EXPECT_GT(after.defenceLevel, before.defenceLevel);
    EXPECT_GT(after.engineFactory + after.hullFactory + after.weaponFactory + after.gravToolFactory, 0);
    EXPECT_FLOAT_EQ(100.0f, after.health);
    EXPECT_EQ("Terra", after.name);
    EXPECT_EQ("120", extraValue(0, "ticks"));
    EXPECT_EQ("home", extraValue(0, "note"));
    // Unowned Luna builds nothing, but its elements regrow.
    planetData luna = universe->getPlanetData(1);
    EXPECT_EQ(0, luna.defenceLevel);
    EXPECT_EQ(2, luna.element1);
    // The planet stays where its orbit puts it.
    EXPECT_EQ("<missing>", extraValue(0, "x"));
}

TEST_F(ShippedScript, InFlightWindowOpensAndCloses) {
    std::string out = pressE();
    ASSERT_EQ(1u, universe->displays.size());
    uiDisplay& window = universe->displays[0];
    EXPECT_EQ("flightWindow", window.getName());
    auto* where = dynamic_cast<uiBox*>(find(window, "where"));
    auto* how = dynamic_cast<uiBox*>(find(window, "howToLand"));
    ASSERT_TRUE(where && how);
    EXPECT_EQ("In flight, world 0", where->text);
    EXPECT_EQ("Fly slowly onto a planet to land", how->text);
    EXPECT_FALSE(universe->player->getKeysOn());
    // The frame goes last: drawn first.
    EXPECT_EQ("frame", window.element(0)->name);

    // A second press while open makes no second window. The script answers nothing at all
    // then, which the engine reports as an answer without a display name.
    pressE(false);
    EXPECT_EQ(1u, universe->displays.size());

    clickAndUpdate("close");
    EXPECT_TRUE(universe->displays.empty());
    EXPECT_TRUE(universe->player->getKeysOn());
    pressE();
    EXPECT_EQ(1u, universe->displays.size());
}

TEST_F(ShippedScript, LandedWindowShowsThePlanet) {
    universe->player->setLanded(0);
    pressE();
    ASSERT_EQ(1u, universe->displays.size());
    uiDisplay& window = universe->displays[0];
    EXPECT_EQ("planetWindow", window.getName());
    EXPECT_EQ("Terra", dynamic_cast<uiBox*>(find(window, "title"))->text);
    EXPECT_EQ("Owner: faction 1", dynamic_cast<uiBox*>(find(window, "owner"))->text);
    auto* stock = dynamic_cast<uiBar*>(find(window, "stock1"));
    auto* drill = dynamic_cast<uiSlider*>(find(window, "drill1"));
    ASSERT_TRUE(stock && drill);
    EXPECT_FLOAT_EQ(10, stock->curVal);
    EXPECT_FLOAT_EQ(1, drill->curVal);
    EXPECT_EQ("Buy Ore (12)", dynamic_cast<uiButton*>(find(window, "buy1"))->text);
    EXPECT_EQ("Sell Water", dynamic_cast<uiButton*>(find(window, "sell2"))->text);
    EXPECT_EQ("Build Basic Engine (100)", dynamic_cast<uiButton*>(find(window, "equip1"))->text);
    // Everything lies on the screen, inside the frame.
    uiDisplayBase* frame = find(window, "frame");
    for (size_t i = 0; i < window.size(); ++i) {
        uiDisplayBase* e = window.element(i);
        EXPECT_GE(e->minCorner.x, frame->minCorner.x) << e->name;
        EXPECT_GE(e->minCorner.y, frame->minCorner.y) << e->name;
        EXPECT_LE(e->maxCorner.x, frame->maxCorner.x) << e->name;
        EXPECT_LE(e->maxCorner.y, frame->maxCorner.y) << e->name;
    }
    EXPECT_FALSE(universe->player->getKeysOn());

    clickAndUpdate("close");
    EXPECT_TRUE(universe->displays.empty());
    EXPECT_TRUE(universe->player->getKeysOn());
}

TEST_F(ShippedScript, BuyingAndSellingMoveTheStockpile) {
    universe->player->setLanded(0);
    pressE();
    clickAndUpdate("buy1");
    EXPECT_EQ(9, universe->getPlanetData(0).elementStockpile1);
    uiDisplay& window = universe->displays[0];
    EXPECT_FLOAT_EQ(9, dynamic_cast<uiBar*>(find(window, "stock1"))->curVal);
    EXPECT_EQ("9", dynamic_cast<uiBox*>(find(window, "stockText1"))->text);
    EXPECT_EQ("Ore in hold: 1", dynamic_cast<uiBox*>(find(window, "status"))->text);
    EXPECT_EQ(0, dynamic_cast<uiButton*>(find(window, "buy1"))->buttonState);
    clickAndUpdate("sell1");
    clickAndUpdate("sell1");
    EXPECT_EQ(10, universe->getPlanetData(0).elementStockpile1);
    EXPECT_EQ("No Ore in the hold", dynamic_cast<uiBox*>(find(window, "status"))->text);
    clickAndUpdate("buy2");  // Water draws on the second stockpile, which is empty
    EXPECT_EQ("Water is out of stock", dynamic_cast<uiBox*>(find(window, "status"))->text);
    clickAndUpdate("equip1");
    EXPECT_EQ(0, universe->getPlanetData(0).elementStockpile1);
    EXPECT_EQ("Built Basic Engine", dynamic_cast<uiBox*>(find(window, "status"))->text);
    EXPECT_EQ("home", extraValue(0, "note"));
}

TEST_F(ShippedScript, DrillSlidersWriteBack) {
    universe->player->setLanded(0);
    pressE();
    uiDisplay& window = universe->displays[0];
    auto* drill = dynamic_cast<uiSlider*>(find(window, "drill3"));
    ASSERT_TRUE(drill);
    // Click the high arrow twice.
    point arrow{drill->maxCorner.x - 0.5f, (drill->minCorner.y + drill->maxCorner.y) / 2};
    runFrame([&] { window.mouseClick(arrow, *universe, L); });
    runFrame([&] { window.mouseClick(arrow, *universe, L); });
    EXPECT_EQ(2, universe->getPlanetData(0).drillLevel3);
    EXPECT_EQ("2", dynamic_cast<uiBox*>(find(window, "drillText3"))->text);
    // Dragging along the track snaps to a whole level.
    point onTrack{drill->minCorner.x + drill->arrowWidth + 0.8f * (drill->maxCorner.x - drill->minCorner.x - 2 * drill->arrowWidth),
                  arrow.y};
    int dt = 16;
    runFrame([&] { window.mouseDrag(onTrack, dt, *universe, L); });
    EXPECT_EQ(4, universe->getPlanetData(0).drillLevel3);
    EXPECT_FLOAT_EQ(4, drill->curVal);
    tick(1);
    EXPECT_EQ(4, universe->getPlanetData(0).drillLevel3);
}

TEST_F(ShippedScript, OtherEventsOpenNothing) {
    std::vector<float> numbers{2.0f};
    captureOutput([&] { uiEvent(*universe, numbers, fonts, L); });
    EXPECT_TRUE(universe->displays.empty());
    EXPECT_TRUE(universe->player->getKeysOn());
    EXPECT_EQ(0, lua_gettop(L));
}

// The shipped script on the shipped universe: a minute of play grows the stockpiles, and the
// window of every planet keeps its elements inside its frame.
TEST(ShippedGame, EconomyAndWindowsOnTheShippedUniverse) {
    ensureGlContext();
    Universe universe(shippedDataDirectory());
    ASSERT_TRUE(universe.loaded());
    LuaState lua;
    lua_State* L = lua.get();
    std::string out = captureOutput([&] {
        initializeShaders(universe);
        ASSERT_TRUE(initializeStars(universe, L));
        universe.player = initializePlayer(universe);
        ASSERT_TRUE(loadScript(L, shippedDataDirectory() + "ui.lua"));
        initLua(universe, L);
    });
    ASSERT_TRUE(universe.player);
    auto totalStock = [&](unsigned id) {
        planetData d = universe.getPlanetData(id);
        return d.elementStockpile1 + d.elementStockpile2 + d.elementStockpile3 + d.elementStockpile4 +
               d.elementStockpile5;
    };
    int before = totalStock(0);
    out = captureOutput([&] {
        for (int i = 0; i < 120; ++i) callPlanetTick(L, 0);
    });
    EXPECT_EQ(std::string::npos, out.find("error")) << out;
    EXPECT_GT(totalStock(0), before);

    std::vector<Font*> fonts;
    for (unsigned id = 0; id < universe.planetIndex.size(); ++id) {
        universe.player->setLanded(static_cast<int>(id));
        std::vector<float> numbers{1.0f, 6.4f, 9.4f, -94.0f};
        out = captureOutput([&] { uiEvent(universe, numbers, fonts, L); });
        ASSERT_EQ(1u, universe.displays.size()) << out;
        uiDisplay& window = universe.displays[0];
        const uiDisplayBase* frame = window.element(0);
        EXPECT_EQ("frame", frame->name);
        for (size_t i = 1; i < window.size(); ++i) {
            const uiDisplayBase* e = window.element(i);
            EXPECT_TRUE(e->minCorner.x >= frame->minCorner.x && e->maxCorner.x <= frame->maxCorner.x &&
                        e->minCorner.y >= frame->minCorner.y && e->maxCorner.y <= frame->maxCorner.y)
                << "planet " << id << " " << e->name;
        }
        // Close it again through the button.
        const uiDisplayBase* close = window.element(window.size() - 1);
        ASSERT_EQ("close", close->name);
        point centre{(close->minCorner.x + close->maxCorner.x) / 2, (close->minCorner.y + close->maxCorner.y) / 2};
        captureOutput([&] {
            window.mouseClick(centre, universe, L);
            EXPECT_FALSE(window.update(universe, fonts, L));
        });
        universe.displays.clear();
        EXPECT_EQ(0, lua_gettop(L));
    }
}

}  // namespace
