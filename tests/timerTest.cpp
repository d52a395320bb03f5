// Tests of timed events: list order, when events run and are deleted, explosions and shockwaves.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "camera.h"
#include "defaultVals.h"
#include "glHeaders.h"
#include "testSupport.h"
#include "textures.h"
#include "timerClasses.h"
#include "worldState.h"

namespace {

// Records every frame it is run in; reports its destruction.
class ProbeEvent : public TimerBase {
public:
    ProbeEvent(int start, int end, std::vector<int>* runs, int* deaths) : runs(runs), deaths(deaths) {
        startTime = start;
        endTime = end;
    }
    ~ProbeEvent() override {
        if (deaths) ++*deaths;
    }
    void execute(int now, WorldState&) override { runs->push_back(now); }

    std::vector<int>* runs;
    int* deaths;
};

// A real explosion that also counts the frames it drew in.
class CountedExplosion : public TExplosion {
public:
    CountedExplosion(int created, point where, int* draws) : TExplosion(created, 1000, where), draws(draws) {
        endTime = created + 1000;
    }
    void execute(int now, WorldState& world) override {
        ++*draws;
        TExplosion::execute(now, world);
    }
    bool gather(int now, WorldState& world, SpriteBatch& batch) override {
        ++*draws;
        return TExplosion::gather(now, world, batch);
    }
    int* draws;
};

std::vector<int> startTimes(const WorldState& world) {
    std::vector<int> result;
    for (const auto& event : world.timers) result.push_back(event->startTime);
    return result;
}

}  // namespace

TEST(TimerList, addTimerKeepsStartOrder) {
    WorldState world("test", 1000);
    std::vector<int> runs;
    for (int start : {300, 100, 200, 0, 200, 400})
        addTimer(std::make_unique<ProbeEvent>(start, 0, &runs, nullptr), world);
    EXPECT_EQ(startTimes(world), (std::vector<int>{0, 100, 200, 200, 300, 400}));

    // Equal start times: the newer one goes in front of the older ones.
    auto* later = new ProbeEvent(200, 7, &runs, nullptr);
    addTimer(std::unique_ptr<TimerBase>(later), world);
    auto it = world.timers.begin();
    std::advance(it, 2);
    EXPECT_EQ(it->get(), later);
}

TEST(TimerList, waitingEventHoldsBackTheRest) {
    WorldState world("test", 1000);
    std::vector<int> runs;
    addTimer(std::make_unique<ProbeEvent>(500, 0, &runs, nullptr), world);
    addTimer(std::make_unique<ProbeEvent>(100, 0, &runs, nullptr), world);
    runTimer(100, world);  // starts at 100: not yet
    EXPECT_TRUE(runs.empty());
    runTimer(101, world);
    EXPECT_EQ(runs, (std::vector<int>{101}));
    runs.clear();
    runTimer(501, world);
    EXPECT_EQ(runs, (std::vector<int>{501, 501}));
}

TEST(TimerList, twoEventsEndingTogetherAreBothDeletedAndTheNextRuns) {
    WorldState world("test", 1000);
    std::vector<int> endingRuns, lastingRuns;
    int deaths = 0;
    world.timers.push_back(std::make_unique<ProbeEvent>(0, 1000, &endingRuns, &deaths));
    world.timers.push_back(std::make_unique<ProbeEvent>(0, 1000, &endingRuns, &deaths));
    world.timers.push_back(std::make_unique<ProbeEvent>(0, 5000, &lastingRuns, nullptr));

    runTimer(1000, world);
    EXPECT_EQ(endingRuns.size(), 2u);
    EXPECT_EQ(world.timers.size(), 3u);

    runTimer(1001, world);
    EXPECT_EQ(deaths, 2);
    EXPECT_EQ(endingRuns.size(), 2u);
    ASSERT_EQ(world.timers.size(), 1u);
    EXPECT_EQ(lastingRuns, (std::vector<int>{1000, 1001}));
}

TEST(TimerList, eventWithoutEndIsNeverDeleted) {
    WorldState world("test", 1000);
    std::vector<int> runs;
    world.timers.push_back(std::make_unique<ProbeEvent>(0, 0, &runs, nullptr));
    runTimer(1000000, world);
    EXPECT_EQ(world.timers.size(), 1u);
    EXPECT_EQ(runs.size(), 1u);
}

TEST(Explosion, shrinksAndTurnsOverItsSecond) {
    TExplosion explosion(5000, 1000, {10.0f, 20.0f});
    EXPECT_FLOAT_EQ(explosion.halfWidthAt(5000), 50.0f);
    EXPECT_FLOAT_EQ(explosion.halfWidthAt(5500), 25.0f);
    EXPECT_FLOAT_EQ(explosion.halfWidthAt(6000), 0.0f);
    EXPECT_EQ(explosion.firstRotationAt(5500), 180);
    EXPECT_EQ(explosion.secondRotationAt(5500), -90);
    // Whole-number arithmetic truncates toward zero.
    EXPECT_EQ(explosion.firstRotationAt(5001), 0);
    EXPECT_EQ(explosion.secondRotationAt(5007), -1);
}

TEST(Explosion, zeroDurationHasNoSize) {
    TExplosion explosion(100, 0, {0.0f, 0.0f});
    EXPECT_FLOAT_EQ(explosion.halfWidthAt(100), 0.0f);
}

TEST(Explosion, drawsUntilItsEndAndIsDeletedAfter) {
    ensureGlContext();
    WorldState world("test", 1000);
    int draws = 0;
    world.timers.push_back(std::make_unique<CountedExplosion>(5000, point{0.0f, 0.0f}, &draws));
    std::vector<int> drawsAfter;
    std::vector<size_t> sizesAfter;
    std::string out = captureOutput([&] {
        for (int now : {5000, 5500, 6000, 6001, 6002}) {
            runTimer(now, world);
            drawsAfter.push_back(draws);
            sizesAfter.push_back(world.timers.size());
        }
    });
    // Drawn in its own frame, at 5500, and exactly at its end; gone in the first frame after.
    EXPECT_EQ(drawsAfter, (std::vector<int>{1, 2, 3, 3, 3}));
    EXPECT_EQ(sizesAfter, (std::vector<size_t>{1, 1, 1, 0, 0}));
    EXPECT_EQ(out, "");
}

TEST(Explosion, standardExplosionAppendsAOneSecondEvent) {
    WorldState world("test", 1000);
    std::vector<int> runs;
    world.timers.push_back(std::make_unique<ProbeEvent>(0, 0, &runs, nullptr));
    standardExplosion({3.0f, 4.0f}, world, 7000);
    ASSERT_EQ(world.timers.size(), 2u);
    auto* explosion = dynamic_cast<TExplosion*>(world.timers.back().get());
    ASSERT_NE(explosion, nullptr);
    EXPECT_EQ(explosion->startTime, 0);
    EXPECT_EQ(explosion->endTime, 8000);
    EXPECT_EQ(explosion->created, 7000);
    EXPECT_EQ(explosion->duration, 1000);
    EXPECT_FLOAT_EQ(explosion->position.x, 3.0f);
    EXPECT_FLOAT_EQ(explosion->size, 50.0f);
}

class Shockwave : public ::testing::Test {
protected:
    void SetUp() override {
        writeContent(dir);
        universe = buildUniverse(dir);
        ASSERT_NE(universe, nullptr);
        savedWeapons = WEAPONDATA;
    }
    void TearDown() override { WEAPONDATA = savedWeapons; }

    Ship& addShip(point where) {
        world.ships.emplace_back(where, universe->shipTypes[0].name, 1, *universe);
        return world.ships.back();
    }

    TempDir dir;
    std::unique_ptr<Universe> universe;
    std::vector<projectileData> savedWeapons;
    WorldState world{"test", 1000};
};

TEST_F(Shockwave, growsAt0156UnitsPerMs) {
    TShockwave wave(200, 1000, 2000, {0.0f, 0.0f});
    EXPECT_FLOAT_EQ(wave.radiusAt(2000), 156.0f);
    EXPECT_FLOAT_EQ(wave.radiusAt(3000), 312.0f);
    EXPECT_FLOAT_EQ(wave.radiusAt(1000), 0.0f);
    EXPECT_GE(wave.rotation, 0);
    EXPECT_LT(wave.rotation, 360);
    EXPECT_EQ(wave.lastTime, 1000);
}

TEST_F(Shockwave, hurtsShipsInsideTheRingOnly) {
    WEAPONDATA.resize(3);
    WEAPONDATA[2].damage = 0.01f;
    Ship& inside = addShip({155.5f, 0.0f});
    Ship& outside = addShip({0.0f, -156.2f});
    float insideStart = inside.getHitpoints();
    float outsideStart = outside.getHitpoints();

    TShockwave wave(200, 1000, 2000, {0.0f, 0.0f});
    wave.lastTime = 1980;
    std::string out = captureOutput([&] { wave.execute(2000, world); });
    EXPECT_EQ(out, "");
    EXPECT_NEAR(inside.getHitpoints(), insideStart - 0.2f, 1e-4);
    EXPECT_FLOAT_EQ(outside.getHitpoints(), outsideStart);
    EXPECT_EQ(wave.lastTime, 2000);

    // The next 20 ms frame costs another 0.2; the ring has grown past the second ship too.
    wave.execute(2020, world);
    EXPECT_NEAR(inside.getHitpoints(), insideStart - 0.4f, 1e-4);
    EXPECT_NEAR(outside.getHitpoints(), outsideStart - 0.2f, 1e-4);
}

TEST_F(Shockwave, withoutAThirdProjectileTypeHurtsNobody) {
    WEAPONDATA.resize(2);
    Ship& ship = addShip({1.0f, 0.0f});
    float start = ship.getHitpoints();
    TShockwave wave(200, 0, 2000, {0.0f, 0.0f});
    wave.execute(1000, world);
    EXPECT_FLOAT_EQ(ship.getHitpoints(), start);
}

// runTimer gathers the explosions and draws them together (the pass is additive); the picture
// must be that of every event drawing in its turn, a shockwave (with its own colour) among them.
TEST(Explosion, gatheredExplosionsDrawAsEachInItsTurn) {
    ensureGlContext();
    constexpr int WIDTH = 320, HEIGHT = 256;
    std::vector<unsigned> saved;
    saved.swap(textures);
    textures.assign(24, 0);
    textures[3] = loadSingleTexture(shippedDataDirectory() + "explosion.png", 1);
    textures[7] = loadSingleTexture(shippedDataDirectory() + "blast.png", 1);
    WorldState world("test", 1000);
    for (int i = 0; i < 120; ++i) {
        const point where{static_cast<float>((i * 53) % 1600) - 800.0f, static_cast<float>((i * 29) % 1200) - 600.0f};
        standardExplosion(where, world, 10000 + i * 7);
        if (i == 60) world.timers.push_back(std::make_unique<TShockwave>(200, 10000, 2000, point{100.0f, 50.0f}));
    }
    auto frameStart = [&] {
        // The texture environment is each case's own, set after this.
        const float grey[4] = {0.1f, 0.1f, 0.1f, 1.0f};
        startPicture(WIDTH, HEIGHT, grey, GL_ONE);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        CameraView::forGame({0.0f, 0.0f}, 1500.0f, 1.0f, 1.0f, static_cast<float>(WIDTH) / HEIGHT, WIDTH, HEIGHT)
            .apply();
    };
    // The texture environment decides whether a shockwave's colour reaches later explosions.
    for (GLint mode : {GL_REPLACE, GL_MODULATE}) {
        SCOPED_TRACE(mode == GL_REPLACE ? "replace" : "modulate");
        frameStart();
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, mode);
        for (auto& event : world.timers) event->execute(10500, world);
        const std::vector<unsigned char> eachInTurn = readScreen(WIDTH, HEIGHT);
        frameStart();
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, mode);
        runTimer(10500, world);
        const PictureDifference d = comparePictures(eachInTurn, readScreen(WIDTH, HEIGHT));
        EXPECT_LE(d.largest, 3);
        EXPECT_LT(d.farOffShare, 0.0005);
        EXPECT_GT(d.lit, 1000) << "the explosions should show";
    }
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    for (unsigned texture : textures)
        if (texture) glDeleteTextures(1, &texture);
    textures.swap(saved);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
