// End-to-end play session: the real game flown, fought, landed, traded, saved, loaded and
// warped with xdotool, checked through what it prints, the saves it writes and the screen.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <regex>

#include "basics.h"
#include "gameProcess.h"
#include "testSupport.h"
#include "xmlValues.h"

namespace {
const double STARTUP_SECONDS = 30.0;
// Where the shipped script puts the buttons, in percent of the screen.
const point FLIGHT_CLOSE{50.0f, 23.0f};
const point PLANET_CLOSE{85.0f, 21.7f};
const point FIRST_GOOD_BUY{73.0f, 61.7f};
// What the game prints for each element when a window tells the script of a change.
const char* const ELEMENT_REPORT = ", type";

using Attributes = std::map<std::string, std::string>;

Attributes attributesOf(XmlNode* node) {
    Attributes values;
    for (XmlAttr* a = node ? node->first_attribute() : nullptr; a; a = a->next_attribute())
        values[std::string(a->name(), a->name_size())] = std::string(a->value(), a->value_size());
    return values;
}

float number(const Attributes& values, const std::string& key) {
    auto it = values.find(key);
    return it == values.end() ? NAN : std::stof(it->second);
}

int countOf(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// Replaces the value of attribute `name` in the first element that has it.
std::string withAttribute(std::string xml, const std::string& name, const std::string& value) {
    std::regex attribute("([ \\t\\n])" + name + "=\"[^\"]*\"");
    return std::regex_replace(xml, attribute, "$1" + name + "=\"" + value + "\"",
                              std::regex_constants::format_first_only);
}

bool redBar(int r, int g, int b) { return r > 150 && g < 110 && b < 110; }
bool lit(int r, int g, int b) { return r + g + b > 120; }

class EndToEndPlay : public ::testing::Test {
protected:
    TempDir work;
    GameProcess game{work.path()};

    std::string savePath(int slot, const std::string& file) const {
        return "saves/" + std::to_string(slot) + "/" + file;
    }

    // Shift+F<slot>; returns the saved player's attributes.
    Attributes save(int slot) {
        size_t before = game.outputSize();
        game.keyDown("shift");
        game.pause(0.15);
        game.key("F" + std::to_string(slot));
        game.pause(0.15);
        game.keyUp("shift");
        game.pause(0.4);
        EXPECT_EQ(game.output().find("Loading game", before), std::string::npos) << "Shift+F" << slot << " loaded";
        return playerOf(slot);
    }

    Attributes playerOf(int slot) {
        XmlFile file;
        std::string error;
        if (!file.load(game.directory() + savePath(slot, "PlayerDataSAV.xml"), "player", error)) {
            ADD_FAILURE() << error;
            return {};
        }
        return attributesOf(file.root());
    }

    void load(int slot) {
        size_t before = game.outputSize();
        game.key("F" + std::to_string(slot));
        EXPECT_TRUE(game.waitForOutput("Loaded.", 10.0, before)) << game.output().substr(before);
        game.pause(0.3);
    }

    // Writes slot `to` from slot `from` with the player at rest at `where` in `world` and the
    // clock at `time`.
    void craftSave(int from, int to, int world, point where, const std::string& time) {
        std::string player = work.read(savePath(from, "PlayerDataSAV.xml"));
        player = withAttribute(player, "x", std::to_string(where.x));
        player = withAttribute(player, "y", std::to_string(where.y));
        player = withAttribute(player, "xSpd", "0");
        player = withAttribute(player, "ySpd", "0");
        player = withAttribute(player, "activeWorld", std::to_string(world));
        std::string universe = withAttribute(work.read(savePath(from, "universeSAV.xml")), "time", time);
        work.write(savePath(to, "PlayerDataSAV.xml"), player);
        work.write(savePath(to, "universeSAV.xml"), universe);
    }

    // Attributes of the first element named `element` whose `name` is `value` in a content file.
    Attributes contentElement(const std::string& file, const std::string& root, const std::string& element,
                              const std::string& value, Attributes* parent = nullptr) {
        XmlFile content;
        std::string error;
        EXPECT_TRUE(content.load(game.directory() + file, root, error)) << error;
        for (XmlNode* world = content.root()->first_node(); world; world = world->next_sibling())
            for (XmlNode* star = world->first_node(); star; star = star->next_sibling()) {
                if (element == std::string(star->name()) && getVal(star, "name") == value)
                    return attributesOf(star);
                for (XmlNode* child = star->first_node(); child; child = child->next_sibling())
                    if (element == std::string(child->name()) && getVal(child, "name") == value) {
                        if (parent) *parent = attributesOf(star);
                        return attributesOf(child);
                    }
            }
        return {};
    }
};
}  // namespace

TEST_F(EndToEndPlay, FlyFightLandTradeSaveLoadAndWarp) {
    ASSERT_TRUE(game.start());
    ASSERT_TRUE(game.waitForOutput("Done with that, now starting main loop", STARTUP_SECONDS)) << game.output();
    game.pause(1.5);

    // The HUD: radar panel top left, map panel top right, the red charge bar bottom right.
    Screenshot start = game.screenshot("play-01-start");
    ASSERT_TRUE(start.valid());
    EXPECT_GT(start.count(10, 10, 190, 190, lit), 3000) << "radar panel";
    EXPECT_GT(start.count(start.width - 190, 10, start.width - 10, 190, lit), 3000) << "map panel";
    EXPECT_GT(start.count(1226, 840, 1256, 1000, redBar), 500) << "charge bar";

    Attributes first = save(1);
    ASSERT_TRUE(work.exists(savePath(1, "universeSAV.xml")));
    ASSERT_FALSE(first.empty());

    // Fly: thrust, turn both ways, reverse. The ship ends up elsewhere.
    game.holdKey("s", 0.3);
    game.holdKey("w", 1.2);
    game.holdKey("a", 0.3);
    game.holdKey("d", 0.3);
    game.holdKey("w", 0.5);
    game.holdKey("s", 0.2);
    Attributes flown = save(2);
    float moved = std::hypot(number(flown, "x") - number(first, "x"), number(flown, "y") - number(first, "y"));
    EXPECT_GT(moved, 50.0f);
    EXPECT_NE(number(flown, "theta"), number(first, "theta"));

    // Zoom and depth.
    game.click(4);
    game.click(4);
    game.click(5);
    game.key("n");
    game.key("m");
    game.screenshot("play-02-flight");

    // Every weapon slot, fired with the space bar; shots are in flight right after.
    for (int slot = 1; slot <= 7; ++slot) {
        game.key(std::to_string(slot));
        game.holdKey("space", 0.35);
    }
    game.key("1");
    game.holdKey("space", 0.4);
    save(3);
    EXPECT_GT(countOf(work.read(savePath(3, "universeSAV.xml")), "<projectileData"), 0);
    game.screenshot("play-03-firing");

    // Gravity walls with both buttons.
    size_t beforeWalls = game.outputSize();
    game.moveCursorTo(70.0f, 70.0f);
    game.mouseDown(1);
    game.pause(0.5);
    game.mouseUp(1);
    game.mouseDown(3);
    game.pause(0.5);
    game.mouseUp(3);
    game.pause(0.2);
    std::string wallOutput = game.output().substr(beforeWalls);
    EXPECT_GE(countOf(wallOutput, "Wall created"), 2) << wallOutput;
    EXPECT_NE(wallOutput.find("ML"), std::string::npos);
    EXPECT_NE(wallOutput.find("MR"), std::string::npos);
    game.screenshot("play-04-walls");

    // A window opens with e and closes with its button: the flight window, or the planet
    // window when the ship has come down on a planet again by now.
    size_t beforeWindow = game.outputSize();
    game.key("e");
    ASSERT_TRUE(game.waitForOutput("Set name: ", 5.0, beforeWindow)) << game.output().substr(beforeWindow);
    game.pause(0.3);
    game.screenshot("play-05-first-window");
    bool planetWindowShown = game.output().find("Set name: planetWindow", beforeWindow) != std::string::npos;
    point close = planetWindowShown ? PLANET_CLOSE : FLIGHT_CLOSE;
    EXPECT_TRUE(game.clickUntil(close.x, close.y, ELEMENT_REPORT)) << "the window did not answer its Close button";
    Attributes afterFlightWindow = save(4);
    EXPECT_EQ(afterFlightWindow["keysOn"], "1");

    // Land: a save with the ship at rest on the edge of Haven, the clock at 0 so the planet
    // stands at its start angle.
    Attributes star;
    Attributes haven = contentElement("universe.xml", "universe", "planet", "Haven", &star);
    ASSERT_FALSE(haven.empty());
    float angle = number(haven, "initLoc") * 3.14f / 180.0f;
    point havenAt{number(star, "xcoord") + std::cos(angle) * number(haven, "orbitRadius"),
                  number(star, "ycoord") + std::sin(angle) * number(haven, "orbitRadius")};
    float reach = number(haven, "radius") + 40.0f - 5.0f;
    craftSave(1, 5, 0, {havenAt.x, havenAt.y - reach}, "0");
    load(5);
    game.pause(0.5);
    Attributes landed = save(4);
    EXPECT_EQ(landed["landed"], "1");
    EXPECT_NE(landed["planetId"], "-1");

    // The planet window: trade, then close.
    beforeWindow = game.outputSize();
    game.key("e");
    ASSERT_TRUE(game.waitForOutput("Set name: planetWindow", 5.0, beforeWindow)) << game.output().substr(beforeWindow);
    game.pause(0.3);
    game.screenshot("play-06-planet-window");
    EXPECT_TRUE(game.clickUntil(FIRST_GOOD_BUY.x, FIRST_GOOD_BUY.y, "Lua debug:Bought 1 ")) << "the buy button answered";
    game.screenshot("play-07-traded");
    EXPECT_TRUE(game.clickUntil(PLANET_CLOSE.x, PLANET_CLOSE.y, ELEMENT_REPORT));
    game.pause(0.3);
    game.screenshot("play-08-window-closed");
    Attributes closed = save(4);
    EXPECT_EQ(closed["keysOn"], "1");

    // Charged launch: hold s while landed, then w.
    game.holdKey("s", 0.6);
    game.holdKey("w", 0.15);
    game.pause(0.2);
    Attributes launched = save(4);
    EXPECT_EQ(launched["landed"], "0");
    EXPECT_GT(std::hypot(number(launched, "xSpd"), number(launched, "ySpd")), 0.1f);

    // Loading slot 2 brings the ship back to where it was saved.
    // The ship keeps its saved velocity, so allow for the time until the next save.
    load(2);
    Attributes back = save(4);
    float speed = std::hypot(number(flown, "xSpd"), number(flown, "ySpd"));
    EXPECT_LT(std::hypot(number(back, "x") - number(flown, "x"), number(back, "y") - number(flown, "y")),
              400.0f + speed * 2500.0f)
        << "speed " << speed;
    EXPECT_EQ(back["activeWorld"], flown["activeWorld"]);

    // Warp: a save with the ship inside the first wormhole of the first world.
    XmlFile universe;
    std::string error;
    ASSERT_TRUE(universe.load(game.directory() + "universe.xml", "universe", error)) << error;
    XmlNode* wormhole = universe.root()->first_node("world")->first_node("wormhole");
    ASSERT_NE(wormhole, nullptr);
    craftSave(1, 5, 0, {getValF(wormhole, "xcoord"), getValF(wormhole, "ycoord")}, "0");
    load(5);
    game.pause(0.5);
    Attributes warped = save(4);
    EXPECT_EQ(number(warped, "activeWorld"), getValF(wormhole, "targetWorld"));
    game.screenshot("play-09-warped");

    // c empties the system; the next frames refill it.
    size_t beforeClear = game.outputSize();
    game.key("c");
    game.pause(0.3);
    EXPECT_NE(game.output().find("Ival: 1", beforeClear), std::string::npos);

    std::string all = game.output();
    EXPECT_EQ(all.find("\nError"), std::string::npos) << "an error line was printed";
    game.key("q");
    EXPECT_EQ(game.waitForExit(10.0), 0);
}
