// Take-offs from the shipped planets, flown in process through the player and the stars: the
// launch must not depend on the frame time, and the planet window's launch (hold s about a
// second, press w) must reach free flight from every planet, wherever it is in its orbit and spin.
#include <gtest/gtest.h>

#include <SDL/SDL.h>

#include <cmath>
#include <memory>
#include <string>

#include "landing.h"
#include "loadGalaxy.h"
#include "planet.h"
#include "player.h"
#include "testSupport.h"
#include "worldState.h"

namespace {

const int CHARGE_MS = 990;  // "hold s about a second"; a whole number of 5 and of 33 ms frames
const int PRESS_MS = 165;   // a press of w, also whole in both frame lengths

struct Flight {
    point start{0.0f, 0.0f};     // where the ship stood when the w press began
    point end{0.0f, 0.0f};       // where it was `coastMs` later
    bool tookOff = false;
    bool fellBack = false;       // landed again, or touched a star
    float healthLost = 0.0f;
    std::string where;           // the body it fell back onto
};

// The shipped game, fresh, with a ship to launch.
class LaunchPad {
public:
    LaunchPad() {
        ensureGlContext();
        std::string out = captureOutput([&] {
            universe = std::make_unique<Universe>(shippedDataDirectory());
            if (!universe->loaded()) return;
            initializeShaders(*universe);
            if (!initializeStars(*universe, nullptr)) return;
            universe->player = initializePlayer(*universe);
        });
        EXPECT_TRUE(universe->loaded()) << universe->getLoadError();
        EXPECT_NE(universe->player, nullptr) << out;
    }

    bool usable() const { return universe->loaded() && universe->player; }

    // Lands on `planetId` after `orbitMs` of the world's time, `spin` radians round from the side
    // away from the star, rides it for `rideMs`, then charges, presses w and coasts for `coastMs`
    // after the press, all in frames of `dt`.
    Flight fly(int planetId, long orbitMs, int rideMs, int dt, int coastMs, float spin = 0.0f) {
        Flight flight;
        if (!usable()) return flight;
        Player& player = *universe->player;
        for (WorldState& world : universe->worlds)
            for (Star& star : world.stars) star.skipTime(orbitMs);
        std::string reason;
        EXPECT_TRUE(landPlayerOn(*universe, planetId, reason)) << reason;
        Planet* planet = universe->getPlanet(static_cast<unsigned>(planetId));
        if (planet) planet->setLandingAngle(planet->getLandingAngle() + spin);
        InputState& input = universe->input;
        for (int t = 0; t < rideMs; t += dt) frame(dt);
        input.setKey(SDLK_s, true);
        for (int t = 0; t < CHARGE_MS; t += dt) frame(dt);
        input.setKey(SDLK_s, false);
        flight.start = player.getPosition();
        float health = player.getHealth();
        input.setKey(SDLK_w, true);
        for (int t = 0; t < coastMs; t += dt) {
            if (t == PRESS_MS) input.setKey(SDLK_w, false);
            frame(dt);
            if (!player.isLanded()) flight.tookOff = true;
            if (flight.tookOff && !flight.fellBack) {
                if (player.isLanded()) {
                    flight.fellBack = true;
                    Planet* planet = universe->getPlanet(static_cast<unsigned>(player.getPlanetId()));
                    flight.where = planet ? planet->getName() : "a planet";
                }
                for (const Star& star : universe->currentWorld().stars)
                    if (pointDistance(star.getLoc(), player.getPosition()) <= star.getRadius() + player.getRadius()) {
                        flight.fellBack = true;
                        flight.where = star.getName();
                    }
            }
        }
        input.setKey(SDLK_w, false);
        flight.end = player.getPosition();
        flight.healthLost = health - player.getHealth();
        return flight;
    }

    std::unique_ptr<Universe> universe;

private:
    void frame(int dt) {
        WorldState& world = universe->currentWorld();
        world.ships.clear();  // only the bodies decide a launch here
        universe->player->update(dt, {0.0f, 0.0f}, 0, world);
        for (Star& star : world.stars) star.update(world, universe->player.get(), dt);
        world.timers.clear();
        world.projectiles.clear();
    }
};

// A fresh universe per flight, so every flight starts from the same state.
Flight flyFresh(int planetId, long orbitMs, int rideMs, int dt, int coastMs, float spin = 0.0f) {
    LaunchPad pad;
    Flight flight;
    captureOutput([&] { flight = pad.fly(planetId, orbitMs, rideMs, dt, coastMs, spin); });
    return flight;
}

int planetIdByName(Universe& universe, const std::string& name) {
    for (unsigned id = 0; id < universe.planetIndex.size(); ++id) {
        Planet* planet = universe.getPlanet(id);
        if (planet && planet->getName() == name) return planet->getID();
    }
    return -1;
}

}  // namespace

TEST(Launch, theSameLaunchAtFiveAndThirtyThreeMillisecondFrames) {
    // Cinder spins and orbits fastest of the home planets, so the planet's share of the launch
    // is largest there; Haven is where a new pilot first takes off.
    LaunchPad names;
    for (const char* name : {"Haven", "Cinder"}) {
        int id = planetIdByName(*names.universe, name);
        ASSERT_GE(id, 0) << name;
        Flight fine = flyFresh(id, 20000, 990, 5, 990);
        Flight coarse = flyFresh(id, 20000, 990, 33, 990);
        ASSERT_TRUE(fine.tookOff && coarse.tookOff) << name;
        point fineMove{fine.end.x - fine.start.x, fine.end.y - fine.start.y};
        point coarseMove{coarse.end.x - coarse.start.x, coarse.end.y - coarse.start.y};
        float apart = pointDistance(fineMove, coarseMove);
        EXPECT_LT(apart, 0.04f * magnitude(fineMove))
            << name << ": 5 ms frames moved (" << fineMove.x << ", " << fineMove.y << "), 33 ms frames ("
            << coarseMove.x << ", " << coarseMove.y << ")";
    }
}

TEST(Launch, everyShippedPlanetLetsTheWindowsLaunchGetAway) {
    const int DT = 16;
    const int COAST_MS = 6000;
    // Orbit positions spread over the year of the slower planets, and the ship standing anywhere
    // on the half of the planet away from its star, up to facing along the orbit either way. (A
    // launch from the side facing the star flies into it, as a pilot aiming there would expect.)
    const long ORBIT_POINTS[] = {0, 25000, 60000, 130000};
    const float SPINS[] = {0.0f, 0.7854f, 1.5708f, 4.7124f, 5.4978f};
    LaunchPad names;
    size_t planets = names.universe->planetIndex.size();
    ASSERT_GT(planets, 10u);
    for (size_t id = 0; id < planets; ++id) {
        std::string name = names.universe->getPlanet(static_cast<unsigned>(id))->getName();
        for (long orbitMs : ORBIT_POINTS) {
            for (float spin : SPINS) {
                Flight flight = flyFresh(static_cast<int>(id), orbitMs, 0, DT, COAST_MS, spin);
                EXPECT_TRUE(flight.tookOff) << name;
                EXPECT_FALSE(flight.fellBack)
                    << name << " after " << orbitMs << " ms of orbit, " << spin << " round: fell onto " << flight.where;
                EXPECT_FLOAT_EQ(flight.healthLost, 0.0f) << name << " at " << orbitMs << "/" << spin;
            }
        }
    }
}
