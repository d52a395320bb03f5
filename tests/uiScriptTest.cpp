// Tests of the shipped "ui.lua" against the engine: the planet economy and the e-key window.
#include <gtest/gtest.h>

#include "loadGalaxy.h"
#include "shaderList.h"
#include "startLua.h"
#include "testSupport.h"
#include "uiDisplay.h"
#include "worldState.h"
#include "xmlValues.h"

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

    std::string pressE() {
        std::vector<float> numbers{1.0f, 6.4f, 9.4f, -94.0f};
        std::string out = captureOutput([&] { uiEvent(*universe, numbers, fonts, L); });
        EXPECT_EQ(0, lua_gettop(L));
        EXPECT_EQ(std::string::npos, out.find("Error")) << out;
        return out;
    }
    // The label of a text, box or button element; "<none>" when there is no such element.
    std::string text(uiDisplay& display, const std::string& name) {
        uiDisplayBase* element = find(display, name);
        if (auto* box = dynamic_cast<uiBox*>(element)) return box->text;
        if (auto* button = dynamic_cast<uiButton*>(element)) return button->text;
        return "<none>";
    }
    std::string player(const std::string& key) const {
        for (const luaStringPair& pair : universe->player->getExtraData())
            if (pair.key == key) return pair.value;
        return "<missing>";
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

TEST_F(ShippedScript, FlightWindowShowsTheShipAndTheControls) {
    universe->player->takeDamage(120.0f);
    pressE();
    ASSERT_EQ(1u, universe->displays.size());
    uiDisplay& window = universe->displays[0];
    EXPECT_EQ("flightWindow", window.getName());
    EXPECT_EQ("In flight in Alpha", text(window, "title"));
    std::string all;
    for (size_t i = 0; i < window.size(); ++i)
        if (auto* box = dynamic_cast<uiBox*>(window.element(i))) all += box->text + "\n";
    for (const char* shown : {"500\n", "0 / 10, empty", "Light Hull, 380 / 500 hp", "Basic Engine",
                              "Basic Grav Tool, charge 400 / 400", "1* Pellet, 2 Beam, 3 Cluster", "Controls",
                              "Shift+F1..F5\n", "Land slowly on a planet"})
        EXPECT_NE(all.find(shown), std::string::npos) << shown << " in\n" << all;
    EXPECT_FALSE(universe->player->getKeysOn());
    // The panel goes first: drawn under everything else.
    EXPECT_EQ("frame", window.element(0)->name);

    // A second press while open makes no second window, and no error: the script answers a
    // single nil.
    pressE();
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
    EXPECT_EQ("Terra", text(window, "title"));
    // The owner by faction name, deposits, stock, drills, factories, defence and health.
    EXPECT_EQ("Owner: Pirates", text(window, "owner"));
    EXPECT_EQ("Credits 500    Hold 0 / 10", text(window, "wallet"));
    EXPECT_EQ("5", text(window, "deposit1"));
    EXPECT_EQ("10", text(window, "stockText1"));
    auto* stock = dynamic_cast<uiBar*>(find(window, "stock1"));
    auto* drill = dynamic_cast<uiSlider*>(find(window, "drill1"));
    ASSERT_TRUE(stock && drill);
    EXPECT_FLOAT_EQ(10, stock->curVal);
    EXPECT_FLOAT_EQ(1, drill->curVal);
    EXPECT_EQ("Starbase 2, defence 0", text(window, "status3"));
    EXPECT_EQ("Health 50, quality 0.0 / 0.0", text(window, "status4"));
    // Goods with their prices (Iron stock 10 makes Ore dear), and the shipyard.
    EXPECT_EQ("Ore", text(window, "good1"));
    EXPECT_EQ("22 / 19", text(window, "price1"));
    EXPECT_EQ("Water", text(window, "good2"));
    EXPECT_EQ("Basic Engine", text(window, "item1"));
    EXPECT_EQ("100", text(window, "itemPrice1"));
    // Everything lies inside the frame, and every element has a colour of its own.
    uiDisplayBase* frame = find(window, "frame");
    for (size_t i = 0; i < window.size(); ++i) {
        uiDisplayBase* e = window.element(i);
        EXPECT_GE(e->minCorner.x, frame->minCorner.x) << e->name;
        EXPECT_GE(e->minCorner.y, frame->minCorner.y) << e->name;
        EXPECT_LE(e->maxCorner.x, frame->maxCorner.x) << e->name;
        EXPECT_LE(e->maxCorner.y, frame->maxCorner.y) << e->name;
        EXPECT_TRUE(e->hasColour) << e->name;
    }
    EXPECT_FALSE(universe->player->getKeysOn());

    clickAndUpdate("close");
    EXPECT_TRUE(universe->displays.empty());
    EXPECT_TRUE(universe->player->getKeysOn());
}

TEST_F(ShippedScript, TradingMovesCreditsCargoAndStock) {
    universe->player->setLanded(0);
    pressE();
    uiDisplay& window = universe->displays[0];
    // Ore is made from Iron: stock 10 of it, so one unit costs 12 x 200 / 110 = 22.
    clickAndUpdate("buy1");
    EXPECT_EQ("Bought 1 Ore for 22 cr", text(window, "statusLine"));
    EXPECT_EQ("478", player("credits"));
    EXPECT_EQ("1", player("cargo_Ore"));
    EXPECT_EQ(9, universe->getPlanetData(0).elementStockpile1);
    EXPECT_EQ("9", text(window, "stockText1"));
    EXPECT_EQ("1", text(window, "held1"));
    EXPECT_EQ("Credits 478    Hold 1 / 10", text(window, "wallet"));
    // The button springs back up.
    EXPECT_EQ(0, dynamic_cast<uiButton*>(find(window, "buy1"))->buttonState);
    EXPECT_FALSE(find(window, "buy1")->modified);

    // Selling here pays less than buying cost: the stock is one higher and the planet keeps a share.
    clickAndUpdate("sell1");
    EXPECT_EQ("Sold 1 Ore for 19 cr (profit -3)", text(window, "statusLine"));
    EXPECT_EQ("497", player("credits"));
    EXPECT_EQ("<missing>", player("cargo_Ore"));
    clickAndUpdate("sell1");
    EXPECT_EQ("No Ore in the hold", text(window, "statusLine"));

    // Water is made from Ice, of which Terra has none.
    clickAndUpdate("buy2");
    EXPECT_EQ("Water is out of stock here", text(window, "statusLine"));

    // Ten at a time, up to the hold's ten units.
    clickAndUpdate("amount");
    clickAndUpdate("amount");
    EXPECT_EQ("Amount 10", text(window, "amount"));
    captureOutput([&] {
        planetData data = universe->getPlanetData(0);
        data.elementStockpile1 = 500;
        universe->getPlanet(0)->setPlanetData(data);
    });
    clickAndUpdate("buy1");
    EXPECT_EQ("10", player("cargo_Ore"));
    clickAndUpdate("buy1");
    EXPECT_EQ("Hold full (10 units)", text(window, "statusLine"));
    EXPECT_EQ("10", player("cargo_Ore"));
    EXPECT_EQ("Credits " + player("credits") + "    Hold 10 / 10", text(window, "wallet"));

    // Credits run out before the stock does.
    captureOutput([&] { universe->player->setExtraData({{"credits", "3"}}); });
    clickAndUpdate("buy1");
    EXPECT_EQ("Not enough credits: Ore costs 4", text(window, "statusLine"));
    EXPECT_EQ("3", player("credits"));
}

TEST_F(ShippedScript, EquipmentIsBoughtAndFittedAtOnce) {
    // Terra's shipyard also sells a better engine, a heavier hull with a smaller hold, and a gun.
    XmlNode* terra = universe->universeDoc.root()->first_node("world")->first_node("star")->first_node("planet");
    for (auto item : {std::make_pair("Fast Engine", 200.0f), std::make_pair("Heavy Hull", 300.0f),
                      std::make_pair("Shard", 50.0f)}) {
        XmlNode* node = appendElement(universe->universeDoc.doc(), terra, "equipment");
        addAttribValue(universe->universeDoc.doc(), node, "name", std::string(item.first));
        addAttribValue(universe->universeDoc.doc(), node, "price", item.second);
    }
    universe->player->setLanded(0);
    universe->player->takeDamage(100.0f);
    pressE();
    uiDisplay& window = universe->displays[0];
    EXPECT_EQ("Repair 50", text(window, "repair"));

    clickAndUpdate("fit1");
    EXPECT_EQ("Basic Engine is already fitted", text(window, "statusLine"));
    EXPECT_EQ("500", player("credits"));

    // The window says what changed; the ship really changed.
    clickAndUpdate("fit2");
    EXPECT_EQ("Fitted Fast Engine: thrust 5 -> 10", text(window, "statusLine"));
    EXPECT_EQ("Fast Engine", universe->player->getEngineName());
    EXPECT_EQ("300", player("credits"));

    // A hull whose hold is too small for the cargo is refused until the cargo is sold.
    captureOutput([&] { universe->player->setExtraData({{"credits", "1000"}}); });
    clickAndUpdate("buy1");
    clickAndUpdate("amount");
    clickAndUpdate("buy1");
    EXPECT_EQ("6", player("cargo_Ore"));
    clickAndUpdate("fit3");
    EXPECT_EQ("Sell cargo first: the Heavy Hull holds 4", text(window, "statusLine"));
    EXPECT_EQ("Light Hull", universe->player->getHullName());
    clickAndUpdate("sell1");
    captureOutput([&] { universe->player->setExtraData({{"credits", "1000"}, {"cargo_Ore", "1"}}); });
    clickAndUpdate("fit3");
    EXPECT_EQ("Fitted Heavy Hull: 900 hp, hold 4", text(window, "statusLine"));
    EXPECT_EQ("Heavy Hull", universe->player->getHullName());
    EXPECT_FLOAT_EQ(900.0f, universe->player->getHealth());
    EXPECT_EQ("700", player("credits"));
    EXPECT_EQ("Hull intact", text(window, "repair"));
    EXPECT_EQ("Credits 700    Hold 1 / 4", text(window, "wallet"));

    captureOutput([&] { universe->player->setExtraData({{"credits", "10"}}); });
    clickAndUpdate("fit4");
    EXPECT_EQ("Not enough credits: Shard costs 50", text(window, "statusLine"));
    EXPECT_EQ("10", player("credits"));
    captureOutput([&] { universe->player->setExtraData({{"credits", "1000"}}); });
    clickAndUpdate("fit4");
    EXPECT_EQ("Fitted Shard in weapon slot 4 (key 4)", text(window, "statusLine"));
    EXPECT_EQ(4u, universe->player->getArmament().size());
    EXPECT_EQ("950", player("credits"));

    // Repairs cost half a credit a hit point, counted from zero when the hull is below it.
    universe->player->takeDamage(250.0f);
    clickAndUpdate("amount");  // any click brings the window up to date
    EXPECT_EQ("Repair 125", text(window, "repair"));
    clickAndUpdate("repair");
    EXPECT_EQ("Hull repaired for 125 cr", text(window, "statusLine"));
    EXPECT_FLOAT_EQ(900.0f, universe->player->getHealth());
    EXPECT_EQ("825", player("credits"));
    universe->player->takeDamage(5000.0f);
    clickAndUpdate("amount");
    EXPECT_EQ("Repair 450", text(window, "repair"));
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
    EXPECT_EQ("Ice drills set to 2", text(window, "statusLine"));
    // Dragging along the track snaps to a whole level.
    drill = dynamic_cast<uiSlider*>(find(window, "drill3"));
    point onTrack{drill->minCorner.x + drill->arrowWidth + 0.8f * (drill->maxCorner.x - drill->minCorner.x - 2 * drill->arrowWidth),
                  arrow.y};
    int dt = 16;
    runFrame([&] { window.mouseDrag(onTrack, dt, *universe, L); });
    EXPECT_EQ(4, universe->getPlanetData(0).drillLevel3);
    EXPECT_FLOAT_EQ(4, dynamic_cast<uiSlider*>(find(window, "drill3"))->curVal);
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
