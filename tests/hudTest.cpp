// Tests of the HUD's decisions: radar and map ranges, what the cursor is over, the labels and
// the ship health bar, and that the HUD drawing runs cleanly.
#include <gtest/gtest.h>

#include "glHeaders.h"
#include "hud.h"
#include "pixelProbe.h"
#include "testSupport.h"
#include "textures.h"
#include "worldState.h"

namespace {

// The pixel on a screen `pixels` wide that shows coordinate v of a projection from low to high.
int screenPixel(float v, float low, float high, int pixels) {
    return static_cast<int>((v - low) / (high - low) * static_cast<float>(pixels));
}

// The last line of printed output, without its line end.
std::string lastLine(const std::string& out) {
    if (out.empty()) return "";
    size_t end = out.back() == '\n' ? out.size() - 1 : out.size();
    size_t start = out.rfind('\n', end == 0 ? 0 : end - 1);
    start = start == std::string::npos ? 0 : start + 1;
    return out.substr(start, end - start);
}

TEST(HudRangeTest, RangesAreStrict) {
    EXPECT_FALSE(onRadar(10000.0f));
    EXPECT_TRUE(onRadar(9999.99f));
    EXPECT_TRUE(onRadar(0.0f));
    EXPECT_FALSE(onMap(100000.0f));
    EXPECT_TRUE(onMap(99999.0f));
}

class HudTest : public ::testing::Test {
protected:
    void SetUp() override {
        writeContent(dir);
        universe = buildUniverse(dir);
        ASSERT_TRUE(universe);
        world = &universe->worlds[0];
        world->stars.clear();
        world->ships.clear();
        universe->player->setPosition({0.0f, 0.0f});
    }

    // A star at `loc` with one planet placed by its orbit.
    Star& addStar(point loc, float radius, float orbitRadius, float initLoc, int owner = -1) {
        world->stars.emplace_back(loc, radius, 1.0f, 14, "Star" + std::to_string(world->stars.size()));
        planetData data;
        data.factionOwner = owner;
        PlanetFigures figures;
        figures.radius = 100.0f;
        figures.density = 1.0f;
        figures.orbitRadius = orbitRadius;
        figures.initLoc = initLoc;
        figures.texture = 10;
        Planet planet(figures, "Planet" + std::to_string(world->stars.size()), data, {});
        planet.skipTime(0, loc);
        world->stars.back().addPlanet(planet);
        return world->stars.back();
    }

    Ship& addShip(point p, const std::string& type) {
        world->ships.emplace_back(p, type, 1u, *universe);
        return world->ships.back();
    }

    TempDir dir;
    std::unique_ptr<Universe> universe;
    WorldState* world = nullptr;
};

TEST_F(HudTest, RadarShowsWhatIsInRange) {
    captureOutput([&] {
        addStar({10000.0f, 0.0f}, 500.0f, 9000.0f, 180.0f);  // star on the edge, planet near
        addStar({9999.0f, 0.0f}, 500.0f, 50000.0f, 0.0f);    // star just inside, planet far away
        addShip({0.0f, 9999.0f}, "Drone");
        addShip({0.0f, -10000.0f}, "Drone");
    });
    const Planet& near = world->stars[0].getPlanets()[0];
    ASSERT_LT(pointDistance(near.getLoc(), {0.0f, 0.0f}), 10000.0f);
    ASSERT_GE(pointDistance(world->stars[1].getPlanets()[0].getLoc(), {0.0f, 0.0f}), 10000.0f);

    RadarView view = radarView(*world, {0.0f, 0.0f});
    ASSERT_EQ(view.ships.size(), 1u);
    EXPECT_FLOAT_EQ(view.ships[0]->getPosition().y, 9999.0f);
    // The planet whose star is out of range, then the star just inside range.
    ASSERT_EQ(view.bodies.size(), 2u);
    EXPECT_EQ(view.bodies[0].star, nullptr);
    EXPECT_EQ(view.bodies[0].planet, &near);
    EXPECT_EQ(view.bodies[1].star, &world->stars[1]);
    EXPECT_EQ(view.bodies[1].planet, nullptr);
}

TEST_F(HudTest, OwnerAndFactionLabels) {
    ASSERT_EQ(universe->factionNames.size(), 3u);
    EXPECT_EQ(ownerLabel(*universe, 1), universe->factionNames[1]);
    EXPECT_EQ(ownerLabel(*universe, -1), "Unclaimed");
    EXPECT_EQ(ownerLabel(*universe, 3), "Unclaimed");
    EXPECT_EQ(ownerLabel(*universe, -7), "Unclaimed");
    EXPECT_EQ(factionLabel(*universe, 2), universe->factionNames[2]);
    EXPECT_EQ(factionLabel(*universe, 3), "");
    EXPECT_EQ(factionLabel(*universe, -1), "");
}

TEST_F(HudTest, FirstMatchWins) {
    captureOutput([&] {
        addStar({0.0f, 0.0f}, 500.0f, 3000.0f, 0.0f);
        addStar({400.0f, 0.0f}, 500.0f, 3000.0f, 0.0f);
        addShip({200.0f, 0.0f}, "Drone");
    });
    // Over both stars and a ship: the first star.
    MouseoverTarget target = mouseoverTarget(*universe, {200.0f, 0.0f});
    EXPECT_EQ(target.star, &world->stars[0]);
    EXPECT_EQ(target.planet, nullptr);
    EXPECT_EQ(target.ship, nullptr);
    // Over the first star's planet.
    const point planetLoc = world->stars[0].getPlanets()[0].getLoc();
    target = mouseoverTarget(*universe, {planetLoc.x + 99.0f, planetLoc.y});
    EXPECT_EQ(target.planet, &world->stars[0].getPlanets()[0]);
    EXPECT_EQ(target.star, nullptr);
    // Nothing there.
    target = mouseoverTarget(*universe, {-50000.0f, 50000.0f});
    EXPECT_EQ(target.star, nullptr);
    EXPECT_EQ(target.planet, nullptr);
    EXPECT_EQ(target.ship, nullptr);
}

TEST_F(HudTest, ShipRimCountsAsOver) {
    captureOutput([&] { addShip({5000.0f, 5000.0f}, "Drone"); });
    const float size = world->ships.front().getSize();
    ASSERT_GT(size, 0.0f);
    EXPECT_EQ(mouseoverTarget(*universe, {5000.0f + size, 5000.0f}).ship, &world->ships.front());
    EXPECT_EQ(mouseoverTarget(*universe, {5000.0f + size + 1.0f, 5000.0f}).ship, nullptr);
}

TEST_F(HudTest, HoveredShipPrintsItsHealthRatio) {
    std::string out = captureOutput([&] { addShip({5000.0f, 5000.0f}, "Drone"); });
    Ship& ship = world->ships.front();
    float ratio = 0.0f;
    ASSERT_TRUE(healthRatio(*universe, ship, ratio));
    EXPECT_FLOAT_EQ(ratio, 1.0f);

    out = captureOutput([&] { mouseover(*universe, {5000.0f, 5000.0f}, nullptr, 16); });
    EXPECT_EQ(lastLine(out), "1") << out;

    captureOutput([&] { ship.takeDamage(ship.getHitpoints() / 2.0f); });
    out = captureOutput([&] { mouseover(*universe, {5000.0f, 5000.0f}, nullptr, 16); });
    EXPECT_EQ(lastLine(out), "0.5") << out;
}

TEST_F(HudTest, ShipOfUnknownTypeGetsNoHealthBar) {
    captureOutput([&] { addShip({5000.0f, 5000.0f}, "NoSuchType"); });
    Ship& ship = world->ships.front();
    ASSERT_LT(ship.getShipCode(), 0);
    float ratio = -1.0f;
    EXPECT_FALSE(healthRatio(*universe, ship, ratio));
    EXPECT_FLOAT_EQ(ratio, -1.0f);
    // A type table that lost the ship's type: still no bar, nothing indexed.
    captureOutput([&] { addShip({5000.0f, 5000.0f}, "Hauler"); });
    ASSERT_GT(world->ships.back().getShipCode(), 0);
    universe->shipTypes.resize(1);
    EXPECT_FALSE(healthRatio(*universe, world->ships.back(), ratio));
    std::string out = captureOutput([&] { mouseover(*universe, {5000.0f, 5000.0f}, nullptr, 16); });
    EXPECT_EQ(out, "");
}

TEST_F(HudTest, DrawingLeavesMatricesAndErrorsClean) {
    captureOutput([&] {
        addStar({3000.0f, 0.0f}, 500.0f, 2000.0f, 0.0f, 1);
        addShip({1000.0f, 1000.0f}, "Drone");
    });
    std::string out = captureOutput([&] {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluOrtho2D(0, w, -h, 0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        drawBackground();
        drawBoundary();
        drawMouse({10.0f, 10.0f});
        topLeftUI(*world, universe->player.get());
        topRightUI(*world, universe->player.get());
        mouseover(*universe, {3000.0f, 0.0f}, nullptr, 16);
        reportError();
    });
    EXPECT_EQ(out.find("rror"), std::string::npos) << out;
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}

TEST_F(HudTest, BoundaryRestoresTheColour) {
    glColor4f(0.0f, 0.7f, 0.0f, 1.0f);
    drawBoundary();
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 0.0f);
    EXPECT_FLOAT_EQ(colour[1], 0.7f);
    EXPECT_FLOAT_EQ(colour[2], 0.0f);
}

// Each panel has its own projection, x in [left, right] and y in [bottom, top] over the whole
// screen, centred on the player; a thing's blip sits at its offset from the player times the
// panel's scale (radar 0.00825, map 0.00084).
TEST_F(HudTest, RadarAndMapBlipsSitWhereTheirThingsAre) {
    OffscreenTarget target;
    const Rgb radarGrey{40, 40, 40}, mapGrey{70, 70, 70};
    SolidTexture radarPanel(radarGrey), mapPanel(mapGrey), shipBlip(YELLOW), playerBlip(MAGENTA), dot(WHITE);
    ScopedTextureSlots slots;
    slots.set(11, radarPanel.name());
    slots.set(12, shipBlip.name());
    slots.set(13, playerBlip.name());
    slots.set(19, mapPanel.name());
    slots.set(20, dot.name());
    const point p{-20000.0f, 15000.0f};
    universe->player->setPosition(p);
    captureOutput([&] {
        addShip({p.x + 4000.0f, p.y + 2500.0f}, "Drone");
        addStar({p.x + 50000.0f, p.y + 30000.0f}, 500.0f, 40000.0f, 270.0f);
    });
    const point planet = world->stars[0].getPlanets()[0].getLoc();
    const point planetOffset{planet.x - p.x, planet.y - p.y};
    ASSERT_LT(planetOffset.y, 0.0f) << "the planet should lie below the player, the star above";

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, w, -h, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    topLeftUI(*world, universe->player.get());
    auto radarPixel = [&](float dx, float dy) {
        return target.pixel(screenPixel(dx * 0.00825f, -100.0f, w - 100.0f, w),
                            screenPixel(dy * 0.00825f, 100.0f - h, 100.0f, h));
    };
    EXPECT_EQ(colourMismatch(radarPixel(0.0f, 0.0f), MAGENTA), "");
    EXPECT_EQ(colourMismatch(radarPixel(4000.0f, 2500.0f), YELLOW), "");
    EXPECT_EQ(colourMismatch(radarPixel(-4000.0f, 2500.0f), radarGrey), "");
    EXPECT_EQ(colourMismatch(radarPixel(4000.0f, -2500.0f), radarGrey), "");

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(-w, 0, -h, 0);
    glMatrixMode(GL_MODELVIEW);
    topRightUI(*world, universe->player.get());
    auto mapPixel = [&](float dx, float dy) {
        return target.pixel(screenPixel(dx * 0.00084f, -w - 100.0f, 100.0f, w),
                            screenPixel(dy * 0.00084f, -h - 100.0f, 100.0f, h));
    };
    EXPECT_EQ(colourMismatch(mapPixel(0.0f, 0.0f), MAGENTA), "");
    EXPECT_EQ(colourMismatch(mapPixel(50000.0f, 30000.0f), Rgb{255, 51, 51}), "");  // the star, tinted
    EXPECT_EQ(colourMismatch(mapPixel(planetOffset.x, planetOffset.y), Rgb{0, 255, 51}), "");
    EXPECT_EQ(colourMismatch(mapPixel(-50000.0f, 30000.0f), mapGrey), "");
    EXPECT_EQ(colourMismatch(mapPixel(50000.0f, -30000.0f), mapGrey), "");
    EXPECT_EQ(colourMismatch(mapPixel(-planetOffset.x, planetOffset.y), mapGrey), "");
}

}  // namespace

// The radar's ship blips go to GL as one array; the radar must look as when each blip was drawn
// on its own (drawRadarBlip), ships close enough to overlap the player's blip and each other.
TEST_F(HudTest, RadarBlipsInOneArrayLookAsDrawnOneByOne) {
    ensureGlContext();
    std::vector<unsigned> saved;
    saved.swap(textures);
    textures.assign(24, 0);
    const char* files[] = {"radar.png", "enemyRadar.png", "playerRadar.png"};
    const int slots[] = {11, 12, 13};
    for (int k = 0; k < 3; ++k) textures[slots[k]] = loadSingleTexture(shippedDataDirectory() + files[k], 1);
    // The radar is laid out for the screen's size: here the test window's.
    const int screenWidth = w, screenHeight = h;
    w = 320;
    h = 256;
    for (int i = 0; i < 150; ++i)
        addShip({static_cast<float>((i * 613) % 18000) - 9000.0f, static_cast<float>((i * 37) % 1400) - 700.0f},
                "Drone");
    addStar({3000.0f, 2000.0f}, 300.0f, 800.0f, 0.5f);
    auto frameStart = [] {
        const float black[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        startPicture(w, h, black, GL_ONE_MINUS_SRC_ALPHA);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluOrtho2D(0, w, -h, 0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    };
    // The radar as it was drawn: every blip on its own.
    frameStart();
    const point centre = universe->player->getPosition();
    glBindTexture(GL_TEXTURE_2D, textureSlot(11));
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(0.0f, -200.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(200.0f, -200.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(200.0f, 0.0f);
    glEnd();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(-100.0f, w - 100.0f, 100.0f - h, 100.0f);
    glScalef(0.00825f, 0.00825f, 0.0f);
    glTranslatef(-centre.x, -centre.y, 0.0f);
    glMatrixMode(GL_MODELVIEW);
    drawRadarBlip(centre, 13, 500.0f);
    const RadarView view = radarView(*world, centre);
    for (const Ship* ship : view.ships) drawRadarBlip(ship->getPosition(), 12, 500.0f);
    for (const RadarBody& body : view.bodies) {
        if (body.star)
            body.star->draw();
        else
            body.planet->draw();
    }
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    const std::vector<unsigned char> oneByOne = readScreen(w, h);
    frameStart();
    topLeftUI(*world, universe->player.get());
    const PictureDifference d = comparePictures(oneByOne, readScreen(w, h));
    EXPECT_EQ(d.largest, 0);
    EXPECT_GT(d.lit, 1000) << "the radar should show";
    w = screenWidth;
    h = screenHeight;
    for (unsigned texture : textures)
        if (texture) glDeleteTextures(1, &texture);
    textures.swap(saved);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
