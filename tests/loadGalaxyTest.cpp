// Tests of content loading: factions, projectile and ship types, worlds, saved entities in the
// universe document, the player's start, and the shipped game data.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <sstream>

#include "loadGalaxy.h"
#include "shaderList.h"
#include "testSupport.h"
#include "worldState.h"

namespace {
using Files = std::map<std::string, std::string>;

// A universe built from the small content with `overrides`; the loader's output in `out`.
struct Built {
    TempDir dir;
    std::unique_ptr<Universe> universe;
    std::string out;
    bool starsBuilt = false;
    explicit Built(const std::map<std::string, std::string>& overrides = {}) {
        ensureGlContext();
        writeContent(dir, overrides);
        out = captureOutput([&] {
            universe = std::make_unique<Universe>(dir.path());
            if (!universe->loaded()) return;
            initializeShaders(*universe);
            starsBuilt = initializeStars(*universe, nullptr);
        });
    }
    bool printed(const std::string& line) const { return out.find(line + "\n") != std::string::npos; }
};

size_t countOf(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++count;
    return count;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}
}  // namespace

TEST(ProjectileTypes, MissingAttributesTakeTheDefaults) {
    Built b(Files{{"projectiles.xml", "<projectiles><projectile/></projectiles>"},
             {"shipData.xml", R"(<ships><ship name="Drone"/></ships>)"}});
    ASSERT_TRUE(b.starsBuilt) << b.out;
    ASSERT_EQ(WEAPONDATA.size(), 1u);
    const projectileData& p = WEAPONDATA[0];
    EXPECT_EQ(p.name, "Unnamed");
    EXPECT_EQ(p.cooldown, 1000);
    EXPECT_FLOAT_EQ(p.speed, 100.0f);
    EXPECT_EQ(p.lifetime, 1000);
    EXPECT_FLOAT_EQ(p.damage, 10.0f);
    EXPECT_FLOAT_EQ(p.homingRange, 0.0f);
    EXPECT_FLOAT_EQ(p.turnSpeed, 0.0001f);
    EXPECT_FLOAT_EQ(p.size, 10.0f);
    EXPECT_EQ(p.trailEffect, -1);
    EXPECT_EQ(p.onDeathEffect, 0);
    EXPECT_EQ(p.onHitEffect, 0);
    EXPECT_FLOAT_EQ(p.minAngle, -1.0f);
    EXPECT_FLOAT_EQ(p.maxAngle, -1.0f);
    EXPECT_TRUE(p.grav);
    EXPECT_EQ(p.numProjectiles, 1);
    EXPECT_FLOAT_EQ(p.spread, 0.0f);
    EXPECT_TRUE(p.uniformSpread);
    EXPECT_EQ(p.onHitFragment, -1);
    EXPECT_EQ(p.onDeathFragment, -1);
    ASSERT_EQ(b.universe->dynamicTextures.size(), 1u);
    EXPECT_EQ(b.universe->dynamicTextures[0].name, "bulletDot.png");
    EXPECT_TRUE(b.printed(std::to_string(p.texture) + " TEXT"));
}

TEST(ProjectileTypes, AnglesAndSpreadAreConverted) {
    Built b(Files{{"projectiles.xml", R"(<projectiles>
  <projectile name="Arc" minAngle="-90" maxAngle="45" spread="20" grav="0" uniformSpread="0" cooldown="250.7"/>
</projectiles>)"},
             {"shipData.xml", R"(<ships><ship name="Drone"/></ships>)"}});
    ASSERT_TRUE(b.starsBuilt) << b.out;
    EXPECT_NEAR(WEAPONDATA[0].minAngle, 4.70988f, 1e-5);
    EXPECT_NEAR(WEAPONDATA[0].maxAngle, 45 * 0.017444f, 1e-6);
    EXPECT_NEAR(WEAPONDATA[0].spread, 20 * 0.017444f, 1e-6);
    EXPECT_FALSE(WEAPONDATA[0].grav);
    EXPECT_FALSE(WEAPONDATA[0].uniformSpread);
    EXPECT_EQ(WEAPONDATA[0].cooldown, 250);
}

TEST(ProjectileTypes, FragmentsAreFoundByName) {
    Built b(Files{{"projectiles.xml", R"(<projectiles>
  <projectile name="Shell">
    <fragment trigger="onDeath" fragType="Spark"/>
    <fragment trigger="onHit" fragType="Shell"/>
    <fragment fragType="Spark"/>
  </projectile>
  <projectile name="Odd">
    <fragment trigger="onSpin" fragType="Spark"/>
    <fragment trigger="onHit" fragType="Nothing"/>
  </projectile>
  <projectile name="Spark"/>
</projectiles>)"},
             {"shipData.xml", R"(<ships><ship name="Drone"/></ships>)"}});
    ASSERT_TRUE(b.starsBuilt) << b.out;
    EXPECT_EQ(WEAPONDATA[0].onDeathFragment, 2);
    EXPECT_EQ(WEAPONDATA[0].onHitFragment, 0);
    EXPECT_EQ(WEAPONDATA[1].onHitFragment, -1);
    EXPECT_EQ(WEAPONDATA[1].onDeathFragment, -1);
    EXPECT_TRUE(b.printed("Error, bad event type for projectile fragment, projectile Odd"));
    EXPECT_TRUE(b.printed("Error, bad projectile name Nothing for fragment in projectile Odd"));
    size_t first = b.out.find("Error, bad projectile name");
    EXPECT_EQ(b.out.find("Error, bad projectile name", first + 1), std::string::npos);
}

TEST(Relations, MatrixFollowsTheRelationElements) {
    Built b(Files{{"relations.xml", R"(<relations>
  <faction name="A"><relation name="B" attitude="hostile"/></faction>
  <faction name="B"/>
</relations>)"}});
    ASSERT_TRUE(b.starsBuilt) << b.out;
    EXPECT_EQ(b.universe->factionNames, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(b.universe->relations, (std::vector<std::vector<int16_t>>{{0, -100}, {0, 0}}));
}

TEST(Relations, UnknownWordsAndNamesContributeNothing) {
    Built b(Files{{"relations.xml", R"(<relations>
  <faction name="A">
    <relation name="B" attitude="Hostile"/>
    <relation name="A" attitude="friendly"/>
    <relation name="Nobody" attitude="hostile"/>
  </faction>
  <faction name="B"><relation name="A" attitude="neutral"/></faction>
  <stranger name="C"><relation name="A" attitude="hostile"/></stranger>
</relations>)"}});
    ASSERT_TRUE(b.starsBuilt) << b.out;
    EXPECT_TRUE(b.printed("Relationship decode error: Hostile"));
    EXPECT_EQ(b.universe->relations, (std::vector<std::vector<int16_t>>{{100, 0}, {0, 0}}));
}

class DecodeRelationship : public testing::TestWithParam<std::pair<const char*, int>> {};

TEST_P(DecodeRelationship, MapsTheThreeWords) {
    int value = 1;
    std::string out = captureOutput([&] { value = decodeRelationship(GetParam().first); });
    EXPECT_EQ(value, GetParam().second);
    bool known = value != 0 || std::string(GetParam().first) == "neutral";
    EXPECT_EQ(out, known ? "" : std::string("Relationship decode error: ") + GetParam().first + "\n");
}

INSTANTIATE_TEST_SUITE_P(Words, DecodeRelationship,
                         testing::Values(std::make_pair("friendly", 100), std::make_pair("hostile", -100),
                                         std::make_pair("neutral", 0), std::make_pair("Friendly", 0),
                                         std::make_pair("", 0)));

TEST(ShipTypes, FieldsWeaponsAndTrails) {
    Built b(Files{{"shipData.xml", R"(<ships>
  <ship name="Plain"/>
  <ship name="Armed" aiType="2" thrust="0.5" hitpoints="70" size="25" texture="ship.png">
    <weapon name="Blast"/>
    <weapon name="Missing"/>
    <weapon name="Pellet"/>
    <trail name="smoke" red="0.1"/>
    <trail name="glowTrail" green="0.5" length="420.9"/>
  </ship>
</ships>)"}});
    ASSERT_TRUE(b.starsBuilt) << b.out;
    ASSERT_EQ(b.universe->shipTypes.size(), 2u);
    const shipDataStruct& plain = b.universe->shipTypes[0];
    EXPECT_EQ(plain.aiType, 4);
    EXPECT_EQ(plain.texture, 0u);
    EXPECT_FLOAT_EQ(plain.thrust, 20.0f);
    EXPECT_FLOAT_EQ(plain.hitpoints, 100.0f);
    EXPECT_FLOAT_EQ(plain.size, 40.0f);
    EXPECT_TRUE(plain.weapons.empty());
    EXPECT_EQ(plain.trailName, "");
    const shipDataStruct& armed = b.universe->shipTypes[1];
    EXPECT_EQ(armed.aiType, 2);
    EXPECT_FLOAT_EQ(armed.thrust, 0.5f);
    EXPECT_FLOAT_EQ(armed.hitpoints, 70.0f);
    EXPECT_FLOAT_EQ(armed.size, 25.0f);
    EXPECT_EQ(armed.weapons, (std::vector<unsigned>{2, 0}));
    EXPECT_EQ(armed.trailName, "glowTrail");  // the last trail wins
    EXPECT_FLOAT_EQ(armed.red, 1.0f);
    EXPECT_FLOAT_EQ(armed.green, 0.5f);
    EXPECT_EQ(armed.length, 420);
    EXPECT_TRUE(b.printed("Dynamically loading ship.png"));
}

TEST(Worlds, PlanetIdsRunAcrossStarsAndWorlds) {
    Built b(Files{{"universe.xml", R"(<universe>
  <world name="One" size="5000.7">
    <star name="S1" radius="100"><planet name="a"/><planet name="b"/></star>
    <star name="S2" radius="100"><planet name="c"/></star>
  </world>
  <note/>
  <world name="Two" size="100">
    <star name="S3" radius="100"><planet/></star>
  </world>
</universe>)"}});
    ASSERT_TRUE(b.starsBuilt) << b.out;
    Universe& u = *b.universe;
    ASSERT_EQ(u.worlds.size(), 2u);
    EXPECT_EQ(u.worlds[0].size, 5000);
    EXPECT_EQ(u.planetIndex.size(), 4u);
    EXPECT_EQ(u.worlds[0].stars[1].getPlanets()[0].getID(), 2);
    const Planet& nameless = u.worlds[1].stars[0].getPlanets()[0];
    EXPECT_EQ(nameless.getID(), 3);
    EXPECT_EQ(nameless.getName(), "");
    EXPECT_EQ(nameless.getPlanetData().name, "Default");
    EXPECT_EQ(nameless.getPlanetData().factionOwner, -1);
    EXPECT_FLOAT_EQ(nameless.getPlanetData().health, 0.0f);
    EXPECT_TRUE(b.printed("NAME: Default"));
    EXPECT_TRUE(b.printed("Done slotting XML into real world data"));
}

TEST(Worlds, PlanetRecordAndExtraDataAreRead) {
    Built b;
    ASSERT_TRUE(b.starsBuilt) << b.out;
    planetData terra = b.universe->worlds[0].stars[0].getPlanets()[0].getPlanetData();
    EXPECT_EQ(terra.name, "Terra");
    EXPECT_EQ(terra.element1, 5);
    EXPECT_EQ(terra.elementStockpile1, 10);
    EXPECT_EQ(terra.drillLevel1, 1);
    EXPECT_EQ(terra.factionOwner, 1);
    EXPECT_EQ(terra.starbase, 2);
    EXPECT_FLOAT_EQ(terra.health, 50.0f);
    EXPECT_TRUE(b.printed("NAME: Terra"));
    ASSERT_EQ(b.universe->worlds[0].wormholes.size(), 1u);
    EXPECT_EQ(b.universe->worlds[0].wormholes[0].getTargetWorld(), 1);
    EXPECT_EQ(b.universe->worlds[1].wormholes[0].getWorld(), 1);
}

TEST(Worlds, WormholeToAMissingWorldIsRefused) {
    Built b(Files{{"universe.xml", R"(<universe>
  <world name="Solo" size="100000">
    <wormhole xcoord="0" ycoord="0" radius="300" targetWorld="1" targetXcoord="0" targetYcoord="0"/>
    <wormhole xcoord="0" ycoord="0" radius="300" targetWorld="-1" targetXcoord="0" targetYcoord="0"/>
    <wormhole radius="50" targetWorld="-1e30"/>
    <wormhole xcoord="9" ycoord="0" radius="300" targetWorld="0" targetXcoord="0" targetYcoord="0"/>
  </world>
</universe>)"}});
    ASSERT_TRUE(b.starsBuilt) << b.out;
    EXPECT_TRUE(b.printed("Error, wormhole in world Solo targets world 1, which does not exist"));
    EXPECT_TRUE(b.printed("Error, wormhole in world Solo targets world -1, which does not exist"));
    EXPECT_TRUE(b.printed("Error, wormhole in world Solo targets world -2147483648, which does not exist"));
    ASSERT_EQ(b.universe->worlds[0].wormholes.size(), 1u);
    EXPECT_FLOAT_EQ(b.universe->worlds[0].wormholes[0].getLoc().x, 9.0f);
}

// What a content file holds that the game cannot use is named with its file and line; the rest loads.
TEST(ContentMessages, UnknownElementsAreNamedAndLeftOut) {
    Built b(Files{{"universe.xml", R"(<universe>
  <world name="One" size="100000">
    <star name="S1" radius="100">
      <moon name="m"/>
      <planet name="a"><extraData note="x"/><tradeGood name="Ore" price="1"/><ring/></planet>
    </star>
    <planit name="b"/>
  </world>
  <galaxy/>
</universe>)"},
                  {"projectiles.xml", "<projectiles>\n<projektile/>\n<projectile name=\"P\"><shrapnel/></projectile>\n"
                                      "</projectiles>"},
                  {"shipData.xml", "<ships>\n<ship name=\"Drone\">\n<engine/>\n</ship>\n<boat/>\n</ships>"},
                  {"PlayerData.xml", "<player>\n<position x=\"5\" y=\"6\"/>\n<shield/>\n</player>"}});
    ASSERT_TRUE(b.starsBuilt) << b.out;
    std::string playerOut = captureOutput([&] { b.universe->player = initializePlayer(*b.universe); });
    for (const char* line : {"Error, universe.xml line 4: unknown element <moon> left out",
                             "Error, universe.xml line 5: unknown element <ring> left out",
                             "Error, universe.xml line 7: unknown element <planit> left out",
                             "Error, universe.xml line 9: unknown element <galaxy> left out",
                             "Error, projectiles.xml line 2: unknown element <projektile> left out",
                             "Error, projectiles.xml line 3: unknown element <shrapnel> left out",
                             "Error, shipData.xml line 3: unknown element <engine> left out",
                             "Error, shipData.xml line 5: unknown element <boat> left out"})
        EXPECT_EQ(countOf(b.out, std::string(line) + "\n"), 1u) << line << "\n" << b.out;
    EXPECT_EQ(countOf(b.out, "unknown element"), 8u) << b.out;
    EXPECT_NE(playerOut.find("Error, PlayerData.xml line 3: unknown element <shield> left out\n"), std::string::npos)
        << playerOut;
    // Everything around the unknown elements is built as before.
    ASSERT_EQ(b.universe->worlds.size(), 1u);
    ASSERT_EQ(b.universe->worlds[0].stars.size(), 1u);
    EXPECT_EQ(b.universe->worlds[0].stars[0].getPlanets().size(), 1u);
    EXPECT_EQ(b.universe->worlds[0].stars[0].getPlanets()[0].getExtraData().size(), 1u);
    EXPECT_EQ(WEAPONDATA.size(), 1u);
    EXPECT_EQ(b.universe->shipTypes.size(), 1u);
    ASSERT_NE(b.universe->player, nullptr);
    EXPECT_FLOAT_EQ(b.universe->player->getPosition().x, 5.0f);
    EXPECT_TRUE(b.printed("Done slotting XML into real world data"));
}

TEST(ContentMessages, TextThatIsNoNumberIsReportedOnceAndReadAsZero) {
    Built b(Files{{"universe.xml", R"(<universe>
  <world name="One" size="100000">
    <star name="S1" radius="abc" density="1">
      <planet name="a" radius="12abc" orbitRadius="" factionOwner="none" health="7"/>
    </star>
  </world>
</universe>)"},
                  {"projectiles.xml", "<projectiles>\n<projectile name=\"P\" cooldown=\"fast\" speed=\"2\"/>\n"
                                      "</projectiles>"}});
    ASSERT_TRUE(b.starsBuilt) << b.out;
    for (const char* line : {"Error, universe.xml line 3: radius=\"abc\" is not a number, 0 used",
                             "Error, universe.xml line 4: orbitRadius=\"\" is not a number, 0 used",
                             "Error, universe.xml line 4: factionOwner=\"none\" is not a number, 0 used",
                             "Error, projectiles.xml line 2: cooldown=\"fast\" is not a number, 0 used"})
        EXPECT_EQ(countOf(b.out, std::string(line) + "\n"), 1u) << line << "\n" << b.out;
    // Text that starts with a number reads as that number, as it always did, without a word.
    EXPECT_EQ(countOf(b.out, "is not a number"), 4u) << b.out;
    const Star& star = b.universe->worlds[0].stars[0];
    EXPECT_FLOAT_EQ(star.getRadius(), 0.0f);
    const Planet& planet = star.getPlanets()[0];
    EXPECT_FLOAT_EQ(planet.getRadius(), 12.0f);
    EXPECT_EQ(planet.getPlanetData().factionOwner, 0);
    EXPECT_FLOAT_EQ(planet.getPlanetData().health, 7.0f);
    EXPECT_EQ(WEAPONDATA[0].cooldown, 0);
    EXPECT_FLOAT_EQ(WEAPONDATA[0].speed, 2.0f);
    EXPECT_TRUE(b.printed("NAME: a"));
}

TEST(Worlds, NoWorldOrNoShipTypeStopsTheBuild) {
    Built noWorld(Files{{"universe.xml", "<universe><galaxy/></universe>"}});
    EXPECT_FALSE(noWorld.starsBuilt);
    EXPECT_TRUE(noWorld.printed("Error, universe.xml holds no world"));
    Built noShip(Files{{"shipData.xml", "<ships/>"}});
    EXPECT_FALSE(noShip.starsBuilt);
    EXPECT_TRUE(noShip.printed("Error, shipData.xml holds no ship type"));
    Built onlyBoats(Files{{"shipData.xml", "<ships><boat name=\"x\"/></ships>"}});
    EXPECT_FALSE(onlyBoats.starsBuilt);
    EXPECT_TRUE(onlyBoats.printed("Error, shipData.xml holds no ship type"));
}

TEST(Worlds, BuildingTwiceDoesNotDoubleTheTables) {
    Built b;
    ASSERT_TRUE(b.starsBuilt);
    captureOutput([&] { EXPECT_TRUE(initializeStars(*b.universe, nullptr)); });
    EXPECT_EQ(WEAPONDATA.size(), 5u);
    EXPECT_EQ(b.universe->shipTypes.size(), 3u);
    EXPECT_EQ(b.universe->factionNames.size(), 3u);
    EXPECT_EQ(b.universe->worlds.size(), 2u);
    EXPECT_EQ(b.universe->planetIndex.size(), 3u);
}

TEST(Worlds, SavedEntitiesAreBuiltAndTakenOutOfTheDocument) {
    Built b(Files{{"universe.xml", R"(<universe>
  <world name="Alpha" size="100000">
    <shipData x="100" y="200" xSpd="0" ySpd="0" theta="0" aiType="0" faction="1" hitpoints="40" shiptype="Raider"/>
    <shipData x="1" y="2" xSpd="0" ySpd="0" theta="0" aiType="0" faction="1" hitpoints="40" shiptype="Ghost"/>
    <projectileData x="5" y="6" xSpd="1" ySpd="0" lifetimeRemaining="300" theta="0" shotType="0" faction="0"
                    targetedShipID="0"/>
    <projectileData x="5" y="6" xSpd="1" ySpd="0" lifetimeRemaining="300" theta="0" shotType="9" faction="0"
                    targetedShipID="0"/>
    <gravWallData activeIndex="0" gravToolName="Pull" gravToolSpacing="50" gravToolMass="10" gravToolCost="1"
                  gravToolLifetime="100" ID="3"><wallNodes size="1"><wallNode0 x="0" y="0" timeLeft="50" strength="10"/></wallNodes></gravWallData>
    <star name="S" xcoord="9000" ycoord="0" radius="100"/>
  </world>
</universe>)"}});
    ASSERT_TRUE(b.starsBuilt) << b.out;
    WorldState& world = b.universe->worlds[0];
    ASSERT_EQ(world.ships.size(), 1u);
    EXPECT_EQ(world.ships.front().getShipType(), "Raider");
    EXPECT_EQ(world.projectiles.size(), 1u);
    EXPECT_EQ(world.gravityWalls.size(), 1u);
    EXPECT_TRUE(b.printed("Error, bad ship name passed to ship constructor: Ghost"));
    EXPECT_TRUE(b.printed("Error, saved projectile in world Alpha has shot type 9, which does not exist"));
    XmlNode* worldNode = b.universe->universeDoc.root()->first_node("world");
    EXPECT_EQ(worldNode->first_node("shipData"), nullptr);
    EXPECT_EQ(worldNode->first_node("projectileData"), nullptr);
    EXPECT_EQ(worldNode->first_node("gravWallData"), nullptr);
    EXPECT_NE(worldNode->first_node("star"), nullptr);
}

TEST(Worlds, SavedEntityWithoutItsTypeIsReported) {
    Built b(Files{{"universe.xml", R"(<universe>
  <world name="Alpha" size="100000">
    <shipData x="1" y="2" xSpd="0" ySpd="0" theta="0" aiType="0" faction="1" hitpoints="40"/>
    <projectileData x="5" y="6" xSpd="1" ySpd="0" lifetimeRemaining="300" theta="0" faction="0" targetedShipID="0"/>
  </world>
</universe>)"}});
    ASSERT_TRUE(b.starsBuilt) << b.out;
    WorldState& world = b.universe->worlds[0];
    // A ship needs its type: it is dropped, but the missing name is reported first.
    EXPECT_TRUE(world.ships.empty());
    EXPECT_NE(b.out.find("Error, XML value shiptype not present, and is required\n"
                         "Error, bad ship name passed to ship constructor: \n"),
              std::string::npos)
        << b.out;
    // A shot without its type flies on as type 0.
    ASSERT_EQ(world.projectiles.size(), 1u);
    EXPECT_EQ(world.projectiles.front().getShotType(), 0);
    EXPECT_FLOAT_EQ(world.projectiles.front().getPosition().x, 5.0f);
    EXPECT_TRUE(b.printed("Error, XML value shotType not present, and is required")) << b.out;
    EXPECT_EQ(b.out.find("which does not exist"), std::string::npos) << b.out;
}

TEST(PlayerStart, EquipmentWeaponsAndPosition) {
    Built b(Files{{"PlayerData.xml", R"(<player>
  <position x="1" y="2"/>
  <position x="10" y="-20"/>
  <engine name="Basic Engine"/>
  <hull name="Light Hull"/>
  <weapon name="Blast"/>
  <weapon name="Laser"/>
  <weapon name="Pellet"/>
</player>)"}});
    ASSERT_TRUE(b.starsBuilt) << b.out;
    std::unique_ptr<Player> player;
    std::string out = captureOutput([&] { player = initializePlayer(*b.universe); });
    ASSERT_NE(player, nullptr);
    std::vector<std::string> printed = lines(out);
    ASSERT_GE(printed.size(), 3u);
    EXPECT_EQ(printed[0], "No match with ");
    EXPECT_EQ(printed[1], "No match with ");
    EXPECT_EQ(printed[2], "No match with ");
    EXPECT_NE(out.find("Loading weapon Blast into player\nError loading weapon Laser onto player\n"
                       "Loading weapon Pellet into player\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(player->getArmament(), (std::vector<unsigned>{2, 0}));
    EXPECT_FLOAT_EQ(player->getPosition().x, 10.0f);
    EXPECT_FLOAT_EQ(player->getPosition().y, -20.0f);
    EXPECT_EQ(player->getEngineName(), "Basic Engine");
    EXPECT_EQ(player->getHullName(), "Light Hull");
    EXPECT_FLOAT_EQ(player->getHealth(), 500.0f);
    EXPECT_FLOAT_EQ(player->getSize(), 40.0f);
    EXPECT_EQ(player->getTool().name, "Default Grav Tool");
    EXPECT_EQ(player->getWorld(), 0);
}

TEST(Outline, TestXmlPrintsTheUniverseShape) {
    TempDir dir;
    dir.write("universe.xml", R"(<universe>
  <world name="W"><star name="S"><planet name="P"/></star><wormhole/></world>
</universe>)");
    std::string out = captureOutput([&] { testXML(dir.path() + "universe.xml"); });
    EXPECT_EQ(out, " x universe type 1\nworld\n\tstar\n\t\tplanet\n\t\tP\n\tNot star\n");
    out = captureOutput([&] { testXML(dir.path() + "missing.xml"); });
    EXPECT_EQ(out.rfind("Error", 0), 0u);
}

// The game's own data must load without a single error line, and be a universe worth flying in.
class ShippedData : public testing::Test {
protected:
    void SetUp() override {
        ensureGlContext();
        out = captureOutput([&] {
            universe = std::make_unique<Universe>(shippedDataDirectory());
            if (!universe->loaded()) return;
            initializeShaders(*universe);
            if (!initializeStars(*universe, nullptr)) return;
            universe->player = initializePlayer(*universe);
        });
        ASSERT_TRUE(universe->loaded()) << universe->getLoadError();
        ASSERT_NE(universe->player, nullptr) << out;
    }
    std::unique_ptr<Universe> universe;
    std::string out;
};

TEST_F(ShippedData, LoadsWithoutErrors) {
    for (const std::string& line : lines(out)) EXPECT_NE(line.rfind("Error", 0), 0u) << line;
}

TEST_F(ShippedData, WorldsAreJoinedBothWaysAwayFromStars) {
    Universe& u = *universe;
    ASSERT_GE(u.worlds.size(), 3u);
    std::set<std::pair<int, int>> links;
    for (size_t w = 0; w < u.worlds.size(); ++w) {
        EXPECT_FALSE(u.worlds[w].wormholes.empty()) << u.worlds[w].name;
        EXPECT_GE(u.worlds[w].stars.size(), 1u);
        for (const Wormhole& hole : u.worlds[w].wormholes) {
            links.insert({static_cast<int>(w), hole.getTargetWorld()});
            for (const Star& star : u.worlds[hole.getTargetWorld()].stars)
                EXPECT_GT(pointDistance(star.getLoc(), hole.getTargetLoc()), star.body().reach() + 1000.0f);
            for (const Star& star : u.worlds[w].stars)
                EXPECT_GT(pointDistance(star.getLoc(), hole.getLoc()), star.body().reach() + 1000.0f);
        }
    }
    for (const auto& link : links) EXPECT_TRUE(links.count({link.second, link.first})) << link.first;
}

TEST_F(ShippedData, BodiesHaveSensibleSizesAndOrbits) {
    size_t stars = 0;
    for (WorldState& world : universe->worlds) {
        for (Star& star : world.stars) {
            ++stars;
            EXPECT_GE(star.getRadius(), 600.0f);
            EXPECT_LE(star.getRadius(), 1500.0f);
            EXPECT_LE(star.body().reach(), 6000.0f);
            // Ships are scattered within 2000 units of the origin; no star may eat them there.
            EXPECT_GT(pointDistance(star.getLoc(), {0.0f, 0.0f}), star.getRadius() + 2900.0f);
            std::set<float> orbits;
            for (Planet& planet : star.getPlanets()) {
                EXPECT_GE(planet.getRadius(), 150.0f);
                EXPECT_LE(planet.getRadius(), 600.0f);
                planet.skipTime(0, star.getLoc());
                float orbit = pointDistance(planet.getLoc(), star.getLoc());
                EXPECT_GT(orbit, star.getRadius() + planet.getRadius());
                orbits.insert(std::round(orbit));
            }
            EXPECT_EQ(orbits.size(), star.getPlanets().size());
        }
    }
    EXPECT_GE(stars, 4u);
}

TEST_F(ShippedData, EverythingTheShipyardsSellCanBeFitted) {
    int items = 0;
    for (XmlNode* world = universe->universeDoc.root()->first_node("world"); world; world = world->next_sibling("world"))
        for (XmlNode* star = world->first_node("star"); star; star = star->next_sibling("star"))
            for (XmlNode* planet = star->first_node("planet"); planet; planet = planet->next_sibling("planet"))
                for (XmlNode* item = planet->first_node("equipment"); item; item = item->next_sibling("equipment")) {
                    std::string name = getVal(item, "name");
                    EXPECT_TRUE(!universe->equipmentKind(name).empty() || projectileTypeNamed(name) >= 0) << name;
                    EXPECT_GT(getValF(item, "price"), 0.0f) << name;
                    ++items;
                }
    EXPECT_GT(items, 20);
    for (const char* hull : {"Light Hull", "Standard Hull", "Armoured Hull"})
        EXPECT_GT(universe->getHullData(hull).cargo, 0) << hull;
}

TEST_F(ShippedData, PlayerStartsNearButOutsideAPlanet) {
    Player& player = *universe->player;
    EXPECT_EQ(player.getWorld(), 0);
    // Three guns to start with; the shipyards sell the rest.
    EXPECT_EQ(player.getArmament().size(), 3u);
    ASSERT_EQ(player.getExtraData().size(), 1u);
    EXPECT_EQ(player.getExtraData()[0].key, "credits");
    EXPECT_FLOAT_EQ(player.getSize(), 40.0f);
    EXPECT_FLOAT_EQ(player.getHealth(), 1000.0f);
    float nearest = 1e9f;
    for (Star& star : universe->worlds[0].stars) {
        EXPECT_GT(pointDistance(star.getLoc(), player.getPosition()), star.body().reach());
        for (Planet& planet : star.getPlanets()) {
            planet.skipTime(0, star.getLoc());
            float gap = pointDistance(planet.getLoc(), player.getPosition()) - planet.getRadius() - player.getSize();
            nearest = std::min(nearest, gap);
        }
    }
    EXPECT_GT(nearest, 100.0f);
    EXPECT_LT(nearest, 2000.0f);
}

TEST_F(ShippedData, TablesHaveTheRolesTheGameExpects) {
    Universe& u = *universe;
    ASSERT_GE(WEAPONDATA.size(), 7u);
    EXPECT_EQ(WEAPONDATA[1].name, "Beam");
    EXPECT_EQ(WEAPONDATA[2].onDeathEffect, 1);
    EXPECT_GT(WEAPONDATA[2].damage, 0.0f);
    EXPECT_LT(WEAPONDATA[2].damage, 1.0f);
    std::set<int> aiTypes;
    for (const shipDataStruct& type : u.shipTypes) aiTypes.insert(type.aiType);
    EXPECT_EQ(aiTypes, (std::set<int>{0, 1, 2, 3, 4}));
    EXPECT_GE(u.factionNames.size(), u.shipTypes.size());
    EXPECT_EQ(u.factionNames[0], "Free Pilots");
    std::set<int16_t> attitudes;
    for (const auto& row : u.relations)
        for (int16_t a : row) attitudes.insert(a);
    EXPECT_EQ(attitudes, (std::set<int16_t>{-100, 0, 100}));
    bool fragments = false, homing = false, spread = false;
    for (const projectileData& p : WEAPONDATA) {
        fragments = fragments || p.onDeathFragment >= 0;
        homing = homing || p.homingRange > 0;
        spread = spread || (p.numProjectiles == 5 && p.spread > 0);
        if (p.name != "Beam") {
            EXPECT_GE(p.speed, 1.0f) << p.name;
            EXPECT_LE(p.speed, 3.0f) << p.name;
        }
    }
    EXPECT_TRUE(fragments && homing && spread);
    for (Star& star : u.worlds[0].stars)
        for (Planet& planet : star.getPlanets()) EXPECT_FALSE(u.getExtraPlanetData(planet.getID()).empty());
}
