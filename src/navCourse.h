// The pilot's course: the planet the script asked to fly to, and the way there through the
// worlds' wormholes, worked out as plain arithmetic the HUD marker and the tests share.
#pragma once

#include <string>
#include <vector>

#include "basics.h"

class Universe;
class WorldState;

// No course set.
constexpr int NO_COURSE = -1;

// A wormhole reduced to what a route needs: where it stands and where it leads.
struct WormholeLink {
    int world;
    point loc;
    int targetWorld;
};

// Every wormhole of every world, world by world in the worlds' order.
std::vector<WormholeLink> wormholeLinks(const std::vector<WorldState>& worlds);

// The index in `links` of the wormhole of world `from` that starts a route with the fewest jumps
// to world `to`; of equally short first steps, the one nearest `position`. -1 when `from` is
// `to`, or when no route exists.
int firstJumpTowards(const std::vector<WormholeLink>& links, int worldCount, int from, int to, point position);

// Where the marker points now: the target planet itself, or the first wormhole on the way.
struct CourseLeg {
    bool valid = false;
    bool throughWormhole = false;
    point from{0.0f, 0.0f};    // the player's position
    point target{0.0f, 0.0f};
    float distance = 0.0f;
    int planetId = NO_COURSE;
    int planetWorld = -1;
    int nextWorld = -1;      // the world the wormhole leads to (throughWormhole only)
    std::string planetName;  // the target planet's name
    std::string label;       // "Cinder (Cradle)", "wormhole to Cradle" or "no route to Cinder (Cradle)"
};

// The leg from the player's position in its world towards planet `planetId`; not valid when
// there is no such planet or no player. A target without a route is valid but has no target point
// (throughWormhole false, distance 0, label "no route to ...").
CourseLeg courseLeg(Universe& universe, int planetId);

// The course the script sets (setNavTarget). It outlives a load, which sets it from the save.
class NavCourse {
public:
    int target() const { return planetId; }
    // Sets the target (NO_COURSE clears it); the caller has checked the id.
    void set(int id) { planetId = id; }
    // Prints "Course: <label>" (or "Course: none") when what the marker points at has changed
    // since the last call, so a player's log and a test can follow it.
    void announce(const CourseLeg& leg);

private:
    int planetId = NO_COURSE;
    std::string announced = "none";
};
