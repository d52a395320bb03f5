// The shipped script's job board and first-trip hints on the shipped universe, driven through
// the windows and the engine's calls into the script (no drawing): offers, accepting, paying on
// landing, bounties counted from kills, abandoning, records a hand-edited save broke, and the
// hints following the pilot's steps, across a load and with the hints turned off.
#include <gtest/gtest.h>

#include <regex>

#include "loadGalaxy.h"
#include "shaderList.h"
#include "startLua.h"
#include "testSupport.h"
#include "uiDisplay.h"
#include "worldState.h"

namespace {

class ShippedJobs : public testing::Test {
protected:
    void SetUp() override {
        ensureGlContext();
        universe = std::make_unique<Universe>(shippedDataDirectory());
        ASSERT_TRUE(universe->loaded());
        startOutput = captureOutput([&] {
            initializeShaders(*universe);
            ASSERT_TRUE(initializeStars(*universe, L));
            universe->player = initializePlayer(*universe);
            ASSERT_TRUE(loadScript(L, shippedDataDirectory() + "ui.lua"));
            initLua(*universe, L);
        });
        ASSERT_TRUE(universe->player);
    }

    int planetNamed(const std::string& name) const {
        for (unsigned id = 0; id < universe->planetIndex.size(); ++id)
            if (universe->getPlanetData(id).name == name) return static_cast<int>(id);
        return -1;
    }
    std::string player(const std::string& key) const {
        for (const luaStringPair& pair : universe->player->getExtraData())
            if (pair.key == key) return pair.value;
        return "<missing>";
    }
    void setPlayer(const std::string& key, const std::string& value) {
        std::vector<luaStringPair> data = universe->player->getExtraData();
        bool found = false;
        for (luaStringPair& pair : data)
            if (pair.key == key) pair.value = value, found = true;
        if (!found) data.push_back({key, value});
        captureOutput([&] { universe->player->setExtraData(data); });
    }
    void land(int id) { universe->player->setLanded(id); }
    void takeOff() { *universe->player->getLandedPointer() = false; }

    std::string pressE() {
        std::vector<float> numbers{1.0f, 6.4f, 9.4f, -94.0f};
        std::string out = captureOutput([&] { uiEvent(*universe, numbers, fonts, L); });
        EXPECT_EQ(1u, universe->displays.size()) << out;
        return out;
    }
    const uiDisplayBase* find(const std::string& name) {
        if (universe->displays.empty()) return nullptr;
        uiDisplay& display = universe->displays.back();
        for (size_t i = 0; i < display.size(); ++i)
            if (display.element(i)->name == name) return display.element(i);
        return nullptr;
    }
    std::string text(const std::string& name) {
        const uiDisplayBase* element = find(name);
        if (auto* box = dynamic_cast<const uiBox*>(element)) return box->text;
        if (auto* button = dynamic_cast<const uiButton*>(element)) return button->text;
        return "<none>";
    }
    // Clicks an element of the open window and lets the window answer; the output of it.
    std::string click(const std::string& name) {
        const uiDisplayBase* element = find(name);
        EXPECT_TRUE(element) << name;
        if (!element) return "";
        point centre{(element->minCorner.x + element->maxCorner.x) / 2, (element->minCorner.y + element->maxCorner.y) / 2};
        std::string out = captureOutput([&] {
            uiDisplay& display = universe->displays.back();
            display.mouseClick(centre, *universe, L);
            if (!display.update(*universe, fonts, L)) universe->displays.pop_back();
        });
        EXPECT_EQ(std::string::npos, out.find("error")) << out;
        EXPECT_EQ(0, lua_gettop(L));
        return out;
    }
    std::string tick(int times = 1) {
        std::string out = captureOutput([&] {
            for (int i = 0; i < times; ++i)
                for (int id = 0; id < 5; ++id) callPlanetTick(L, id);  // the planets of the first world
        });
        EXPECT_EQ(std::string::npos, out.find("error")) << out;
        return out;
    }
    std::string shipDestroyed(int faction, int byPlayer) {
        std::string out = captureOutput([&] {
            lua_getglobal(L, "shipDestroyed");
            lua_pushnumber(L, faction);
            lua_pushstring(L, "Raider");
            lua_pushnumber(L, byPlayer);
            EXPECT_EQ(0, lua_pcall(L, 3, 0, 0));
        });
        EXPECT_EQ(0, lua_gettop(L));
        return out;
    }
    long credits() const { return std::stol(player("credits")); }
    int navTarget() {
        lua_getglobal(L, "getNavTarget");
        EXPECT_EQ(0, lua_pcall(L, 0, 1, 0));
        int target = static_cast<int>(lua_tonumber(L, -1));
        lua_pop(L, 1);
        return target;
    }

    std::unique_ptr<Universe> universe;
    LuaState lua;
    lua_State* L = lua.get();
    std::vector<Font*> fonts;
    std::string startOutput;
};

// The hints printed in `out`, in order.
std::vector<std::string> hints(const std::string& out) {
    std::vector<std::string> list;
    std::regex line("Hint: ([^\n]*)");
    for (std::sregex_iterator it(out.begin(), out.end(), line), end; it != end; ++it) list.push_back((*it)[1]);
    return list;
}

}  // namespace

TEST_F(ShippedJobs, EveryTradingPlanetOffersDeliveriesNearAndFarAndABounty) {
    for (unsigned id = 0; id < universe->planetIndex.size(); ++id) {
        const std::string where = universe->getPlanetData(id).name;
        land(static_cast<int>(id));
        pressE();
        click("jobsButton");
        int offers = 0, near = 0, far = 0, bounties = 0;
        long nearPay = 0, farPay = 0;
        for (int k = 1; find("accept" + std::to_string(k)); ++k) {
            ++offers;
            const std::string first = text("offer" + std::to_string(k)), second = text("offerWhere" + std::to_string(k));
            const long pay = std::stol(text("offerPay" + std::to_string(k)));
            EXPECT_GT(pay, 0) << where;
            if (first.rfind("Deliver ", 0) == 0) {
                const bool through = second.find("via a wormhole") != std::string::npos;
                (through ? far : near)++;
                (through ? farPay : nearPay) = std::max(through ? farPay : nearPay, pay);
            } else {
                EXPECT_EQ(0u, first.rfind("Destroy ", 0)) << where << ": " << first;
                ++bounties;
            }
        }
        EXPECT_GE(offers, 3) << where;
        EXPECT_EQ(2, near) << where;
        EXPECT_EQ(1, far) << where;
        EXPECT_GT(farPay, nearPay) << where << ": the wormhole's delivery pays more";
        // Every owned planet has enemies in the shipped relations; unclaimed ones have none.
        EXPECT_EQ(universe->getPlanetData(id).factionOwner >= 0 ? 1 : 0, bounties) << where;
        click("close");
        universe->displays.clear();
    }
}

TEST_F(ShippedJobs, ADeliveryTakesHoldSpaceAndIsPaidOnLandingAtItsPlanet) {
    const int haven = planetNamed("Haven");
    land(haven);
    pressE();
    click("jobsButton");
    std::smatch what;
    const std::string offer = text("offer1");
    ASSERT_TRUE(std::regex_match(offer, what, std::regex("Deliver (\\d+) (.+) to (.+)"))) << offer;
    const int units = std::stoi(what[1]);
    const std::string good = what[2], destination = what[3];
    const long pay = std::stol(text("offerPay1"));
    const long before = credits();
    const std::string out = click("accept1");
    EXPECT_NE(std::string::npos, text("statusLine").find("Accepted: Deliver " + offer.substr(8))) << text("statusLine");
    EXPECT_NE(std::string::npos, text("wallet").find("Hold " + std::to_string(units) + " / 20")) << text("wallet");
    EXPECT_EQ(0u, player("job_1").rfind("delivery;", 0)) << player("job_1");
    EXPECT_EQ(planetNamed(destination), navTarget()) << "accepting sets the course";
    // The offer is taken: the board shows the next one in its place, and says what is carried.
    EXPECT_NE(offer, text("offer1"));
    EXPECT_EQ("Jobs: 1 of 3 taken", text("marketHeader"));
    click("close");

    // In flight the job is listed, with its room in the hold.
    takeOff();
    pressE();
    EXPECT_EQ("Deliver " + offer.substr(8) + " (Cradle): " + std::to_string(pay) + " cr", text("job1"));
    EXPECT_NE(std::string::npos, text("value2").find("job cargo " + std::to_string(units))) << text("value2");
    click("close");

    // Landing elsewhere pays nothing; landing at the destination pays at once, with a message.
    land(haven);
    tick();
    EXPECT_EQ(before, credits());
    land(planetNamed(destination));
    const std::string paid = tick();
    EXPECT_EQ(before + pay, credits());
    EXPECT_NE(std::string::npos, paid.find("Hint: Delivered " + std::to_string(units) + " " + good + " to " +
                                           destination + ": paid " + std::to_string(pay) + " cr"))
        << paid;
    EXPECT_EQ("<missing>", player("job_1"));
    EXPECT_EQ(-1, navTarget()) << "the course ends with the last job";
    EXPECT_EQ(before + pay, (tick(), credits())) << "paid once";
}

TEST_F(ShippedJobs, JobsAreRefusedWhenTheHoldOrTheListIsFull) {
    land(planetNamed("Haven"));
    setPlayer("cargo_Ore", "19");
    pressE();
    click("jobsButton");
    click("accept1");
    EXPECT_EQ(0u, text("statusLine").rfind("Not enough room: the job needs", 0)) << text("statusLine");
    EXPECT_EQ("<missing>", player("job_1"));
    click("close");

    setPlayer("cargo_Ore", "0");
    for (int slot = 1; slot <= 3; ++slot) setPlayer("job_" + std::to_string(slot), "bounty;x:0:9;1;100;1;5;0;0");
    pressE();
    click("jobsButton");
    click("accept1");
    EXPECT_EQ("You carry 3 jobs already: finish or abandon one", text("statusLine"));
}

TEST_F(ShippedJobs, BountiesCountOnlyThePlayersKillsOfTheFactionInItsWorld) {
    land(planetNamed("Haven"));
    pressE();
    click("jobsButton");
    int k = 1;
    while (find("offer" + std::to_string(k)) && text("offer" + std::to_string(k)).rfind("Destroy ", 0) != 0) ++k;
    std::smatch what;
    const std::string offer = text("offer" + std::to_string(k));
    ASSERT_TRUE(std::regex_match(offer, what, std::regex("Destroy (\\d+) (.+)"))) << offer;
    const int count = std::stoi(what[1]);
    const long pay = std::stol(text("offerPay" + std::to_string(k)));
    // Haven belongs to the Free Pilots, whose enemies are the Reaver Clans and the Black Sun.
    const std::string enemy = what[2];
    EXPECT_TRUE(enemy == "Reaver Clans" || enemy == "Black Sun Syndicate") << enemy;
    const int faction = enemy == "Reaver Clans" ? 1 : 5;
    click("accept" + std::to_string(k));
    click("close");
    const long before = credits();

    shipDestroyed(faction, 0);             // someone else's kill
    shipDestroyed(faction == 1 ? 5 : 1, 1);  // the other enemy
    EXPECT_EQ(0u, player("job_1").rfind("bounty;", 0));
    EXPECT_EQ("0", player("job_1").substr(player("job_1").rfind(';') + 1));
    for (int kill = 1; kill < count; ++kill)
        EXPECT_NE(std::string::npos, shipDestroyed(faction, 1).find("Bounty: " + std::to_string(kill) + " of"));
    EXPECT_EQ(before, credits());
    EXPECT_NE(std::string::npos, shipDestroyed(faction, 1).find("Bounty done"));
    EXPECT_EQ(before + pay, credits());
    EXPECT_EQ("<missing>", player("job_1"));
}

TEST_F(ShippedJobs, AnAbandonedJobFreesItsRoomAndIsNotPaid) {
    const int haven = planetNamed("Haven");
    land(haven);
    pressE();
    click("jobsButton");
    std::smatch what;
    const std::string offer = text("offer1");
    ASSERT_TRUE(std::regex_match(offer, what, std::regex("Deliver (\\d+) (.+) to (.+)"))) << offer;
    click("accept1");
    click("close");
    takeOff();
    pressE();
    ASSERT_TRUE(find("abandon1"));
    const std::string out = click("abandon1");
    EXPECT_NE(std::string::npos, out.find("Lua debug:Abandoned: " + offer)) << out;
    EXPECT_EQ("None: land and press Jobs in the planet window", text("noJobs"));
    EXPECT_EQ("<missing>", player("job_1"));
    EXPECT_EQ(-1, navTarget()) << "the abandoned job's course is cleared";
    EXPECT_NE(std::string::npos, text("value2").find("0 / 20, empty")) << text("value2");
    click("close");
    const long before = credits();
    land(planetNamed(what[3]));
    tick();
    EXPECT_EQ(before, credits());
    // Nor is it offered again.
    land(haven);
    pressE();
    click("jobsButton");
    EXPECT_NE(offer, text("offer1"));
    // The tip's button sets the course to the tip's planet.
    click("course");
    EXPECT_EQ("Course set to Cinder: follow the arrow in flight", text("statusLine"));
    EXPECT_EQ(planetNamed("Cinder"), navTarget());
}

TEST_F(ShippedJobs, BrokenJobRecordsAreIgnoredAndOffersChangeOverTime) {
    for (const char* broken : {"", "delivery", "delivery;a;b;c;Ore;0;1", "bounty;1;2;3", "nonsense;1;2;3;4;5;6;7",
                               "delivery;x;1;99;Ore;-4;2"})
        setPlayer("job_1", broken), setPlayer("job_2", broken);
    land(planetNamed("Haven"));
    pressE();
    EXPECT_NE(std::string::npos, text("wallet").find("Hold 0 / 20")) << text("wallet");
    click("jobsButton");
    EXPECT_EQ("Jobs: 0 of 3 taken", text("marketHeader"));
    std::string first;
    for (int k = 1; find("offer" + std::to_string(k)); ++k) first += text("offer" + std::to_string(k)) + "\n";
    click("close");
    // Two minutes of the economy later the planet offers other work.
    tick(240);
    pressE();
    click("jobsButton");
    std::string later;
    for (int k = 1; find("offer" + std::to_string(k)); ++k) later += text("offer" + std::to_string(k)) + "\n";
    EXPECT_NE(first, later);
}

TEST_F(ShippedJobs, HintsFollowTheFirstTripStepByStep) {
    EXPECT_EQ(std::vector<std::string>{"Press E when landed to open the planet's market"}, hints(startOutput));
    const int haven = planetNamed("Haven"), cinder = planetNamed("Cinder");
    // Ticks alone send nothing new: a hint is sent when the step changes.
    EXPECT_TRUE(hints(tick(4)).empty());
    land(haven);
    tick();
    std::string out = pressE();
    EXPECT_EQ(std::vector<std::string>{"Buy Crystals here: Cinder pays more (see the Tip line)"}, hints(out));
    // Crystals are the second good of Haven.
    EXPECT_EQ("Crystals", text("good2"));
    out = click("buy2");
    EXPECT_EQ(cinder, navTarget()) << "the course leads to where the good sells best";
    EXPECT_EQ(std::vector<std::string>{"Close the window, hold S, then press W to launch"}, hints(out));
    click("close");
    takeOff();
    out = tick();
    ASSERT_EQ(1u, hints(out).size()) << out;
    EXPECT_EQ(0u, hints(out)[0].rfind("F", 0)) << hints(out)[0];  // follow the arrow or fly to the planet
    land(cinder);
    out = tick();
    EXPECT_EQ(std::vector<std::string>{"Press E and Sell your cargo on its market row"}, hints(out));
    pressE();
    out = click("sell" + std::to_string(4));  // Crystals are Cinder's fourth good
    EXPECT_NE(std::string::npos, out.find("Sold 1 Crystals")) << out;
    EXPECT_EQ(std::vector<std::string>{"Press Jobs in the planet window, Accept a delivery"}, hints(out));

    EXPECT_EQ("Press Jobs in the planet window, Accept a delivery", universe->hint.text());

    // A loaded game goes on where its pilot was: here one with a job taken.
    universe->displays.clear();
    setPlayer("guideDone", "buy,follow,job,land,launch,market,sell");
    out = captureOutput([&] { callGameLoaded(L); });
    ASSERT_EQ(1u, hints(out).size()) << out;
    EXPECT_EQ(0u, hints(out)[0].rfind("Deliver it", 0)) << hints(out)[0];

    // Turned off, the hints go and stay away, also after a load; turned on, they come back.
    takeOff();
    pressE();
    click("hints");
    EXPECT_EQ("", universe->hint.text());
    EXPECT_EQ("1", player("hintsOff"));
    EXPECT_EQ("Hints on", text("hints"));
    click("close");
    land(haven);
    EXPECT_TRUE(hints(tick() + pressE()).empty());
    universe->displays.clear();
    captureOutput([&] { callGameLoaded(L); });
    EXPECT_EQ("", universe->hint.text());
    takeOff();
    pressE();
    click("hints");
    EXPECT_EQ(0u, universe->hint.text().rfind("Deliver it", 0)) << universe->hint.text();
}

TEST_F(ShippedJobs, AStepDoneEarlyIsSkipped) {
    // A pilot who takes a job before trading is never told to take one.
    land(planetNamed("Haven"));
    tick();
    pressE();
    click("jobsButton");
    // One that is not delivered on the way, at Cinder.
    int k = 1;
    while (text("offer" + std::to_string(k)).find("Cinder") != std::string::npos) ++k;
    click("accept" + std::to_string(k));
    EXPECT_NE(std::string::npos, player("guideDone").find("job"));
    click("close");
    pressE();
    click("buy2");
    click("close");
    takeOff();
    tick();
    land(planetNamed("Cinder"));
    tick();
    pressE();
    const std::string out = click("sell4");
    ASSERT_EQ(1u, hints(out).size()) << out;
    EXPECT_EQ(0u, hints(out)[0].rfind("Deliver it", 0)) << hints(out)[0];
}

TEST_F(ShippedJobs, TheLastStepNamesAnUpgradeThePilotCanAfford) {
    setPlayer("guideDone", "buy,deliver,follow,job,land,launch,market,sell");
    setPlayer("credits", "3673");
    land(planetNamed("Quarry"));
    std::string out = captureOutput([&] { callGameLoaded(L); });
    EXPECT_EQ(std::vector<std::string>{"Buy an upgrade: Seeker Missile (1500 cr), in the Shipyard"}, hints(out)) << out;
}
