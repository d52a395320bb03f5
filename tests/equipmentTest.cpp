// Tests of the equipment catalogue look-ups and their fallback records.
#include <gtest/gtest.h>

#include "testSupport.h"
#include "worldState.h"

namespace {
const char* CATALOGUE = R"(<equipment>
  <engines>
    <engine name="Partial" thrust="0.5"/>
    <engine name="Twin" thrust="1" revThrust="2" turnSpeed="3"/>
    <engine name="Twin" thrust="9"/>
  </engines>
  <hulls>
    <hull name="Odd" hitpoints="250.9" mass="2" size="33"/>
    <hull/>
    <widget/>
    <hull name="Late" hitpoints="5"/>
  </hulls>
  <gravTools>
    <gravTool name="Lefty" charge="99">
      <left name="L" spacing="20" mass="300" cost="0.5" lifetime="2000"/>
    </gravTool>
    <gravTool name="Layered">
      <right name="first" mass="-1"/>
      <right mass="-2"/>
    </gravTool>
  </gravTools>
</equipment>
)";

class EquipmentTest : public testing::Test {
protected:
    void SetUp() override {
        writeContent(dir, {{"EquipmentData.xml", CATALOGUE}});
        captureOutput([&] { universe = std::make_unique<Universe>(dir.path()); });
        ASSERT_TRUE(universe->loaded()) << universe->getLoadError();
    }
    TempDir dir;
    std::unique_ptr<Universe> universe;
};
}  // namespace

TEST_F(EquipmentTest, UnknownEngineGivesTheFallback) {
    engineData engine;
    std::string out = captureOutput([&] { engine = universe->getEngineData("Zed"); });
    EXPECT_EQ(out, "No match with Zed\n");
    EXPECT_EQ(engine.name, "Default Engine");
    EXPECT_FLOAT_EQ(engine.thrust, 0.001f);
    EXPECT_FLOAT_EQ(engine.revThrust, 0.0f);
    EXPECT_FLOAT_EQ(engine.turnSpeed, 0.005f);
}

TEST_F(EquipmentTest, PartialEntryKeepsFallbackValues) {
    engineData engine = universe->getEngineData("Partial");
    EXPECT_EQ(engine.name, "Partial");
    EXPECT_FLOAT_EQ(engine.thrust, 0.5f);
    EXPECT_FLOAT_EQ(engine.turnSpeed, 0.005f);
}

TEST_F(EquipmentTest, FirstMatchWins) {
    engineData engine = universe->getEngineData("Twin");
    EXPECT_FLOAT_EQ(engine.thrust, 1.0f);
    EXPECT_FLOAT_EQ(engine.revThrust, 2.0f);
    EXPECT_FLOAT_EQ(engine.turnSpeed, 3.0f);
}

TEST_F(EquipmentTest, HullHitpointsAreTruncated) {
    hullData hull = universe->getHullData("Odd");
    EXPECT_EQ(hull.hitpoints, 250);
    EXPECT_FLOAT_EQ(hull.mass, 2.0f);
    EXPECT_FLOAT_EQ(hull.size, 33.0f);
}

TEST_F(EquipmentTest, EmptyNameMatchesANamelessEntry) {
    hullData hull;
    std::string out = captureOutput([&] { hull = universe->getHullData(""); });
    EXPECT_EQ(out, "");  // found before the foreign element is reached
    EXPECT_EQ(hull.name, "Default Hull");
    EXPECT_EQ(hull.hitpoints, 1000);
}

TEST_F(EquipmentTest, ForeignElementsInASectionAreReported) {
    hullData hull;
    std::string out = captureOutput([&] { hull = universe->getHullData("Late"); });
    EXPECT_EQ(out,
              "Not an hull (this is actually an error, there should be no non-hulls in the hull section of "
              "equipment.xml)\n");
    EXPECT_EQ(hull.hitpoints, 5);
}

TEST_F(EquipmentTest, EmptyNameWithoutNamelessEntryGivesTheFallback) {
    gravTool tool;
    std::string out = captureOutput([&] { tool = universe->getGravToolData(""); });
    EXPECT_EQ(out, "No match with \n");
    EXPECT_EQ(tool.name, "Default Grav Tool");
    EXPECT_FLOAT_EQ(tool.charge, 400.0f);
    EXPECT_EQ(tool.rechargeDelay, 1);
    EXPECT_FLOAT_EQ(tool.rechargeSpeed, 1.0f);
}

TEST_F(EquipmentTest, GravToolWithOnlyALeftPart) {
    gravTool tool = universe->getGravToolData("Lefty");
    EXPECT_EQ(tool.name, "Lefty");
    EXPECT_FLOAT_EQ(tool.charge, 99.0f);
    EXPECT_EQ(tool.left.name, "L");
    EXPECT_EQ(tool.left.spacing, 20);
    EXPECT_FLOAT_EQ(tool.left.mass, 300.0f);
    EXPECT_FLOAT_EQ(tool.left.cost, 0.5f);
    EXPECT_EQ(tool.left.lifetime, 2000);
    EXPECT_EQ(tool.right.spacing, 50);
    EXPECT_FLOAT_EQ(tool.right.mass, 0.1f);
    EXPECT_FLOAT_EQ(tool.right.cost, 10.0f);
}

TEST_F(EquipmentTest, LaterPartOfTheSameSideOverrides) {
    gravTool tool = universe->getGravToolData("Layered");
    EXPECT_EQ(tool.right.name, "first");  // the later part has no name
    EXPECT_FLOAT_EQ(tool.right.mass, -2.0f);
    EXPECT_FLOAT_EQ(tool.left.mass, -0.1f);
}

TEST(EquipmentDefaults, DefaultEntriesSetTheFallbacks) {
    TempDir dir;
    writeContent(dir, {{"EquipmentData.xml", R"(<equipment>
  <engines><engine name="default" thrust="0.25"/><gear/></engines>
  <hulls><hull name="default" size="44" hitpoints="12.7"/><gear/></hulls>
  <gravTools><gravTool name="default" charge="1"/></gravTools>
</equipment>)"}});
    std::unique_ptr<Universe> universe;
    std::string out = captureOutput([&] { universe = std::make_unique<Universe>(dir.path()); });
    EXPECT_NE(out.find("Not an engine (this is actually an error, there should be no non-engines in the engine "
                       "section of equipment.xml)\n"),
              std::string::npos);
    EXPECT_NE(out.find("Not a hull (this is actually an error, there should be no non-hulls in the hull section of "
                       "equipment.xml)\n"),
              std::string::npos);
    EXPECT_EQ(universe->defaultEngine.name, "default");
    EXPECT_FLOAT_EQ(universe->defaultEngine.thrust, 0.25f);
    EXPECT_FLOAT_EQ(universe->defaultEngine.turnSpeed, 0.005f);
    EXPECT_EQ(universe->defaultHull.name, "default");
    EXPECT_FLOAT_EQ(universe->defaultHull.size, 44.0f);
    EXPECT_EQ(universe->defaultHull.hitpoints, 12);
    // The gravity tool has no such override.
    EXPECT_EQ(universe->defaultGravTool.name, "Default Grav Tool");
    EXPECT_FLOAT_EQ(universe->defaultGravTool.charge, 400.0f);

    engineData engine;
    out = captureOutput([&] { engine = universe->getEngineData("nothing"); });
    EXPECT_EQ(engine.name, "default");
    EXPECT_FLOAT_EQ(engine.thrust, 0.25f);
}
