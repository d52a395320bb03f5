// The course the script sets and the route to it: breadth-first over the worlds' wormholes.
#include "navCourse.h"

#include <deque>
#include <iostream>

#include "planet.h"
#include "star.h"
#include "worldState.h"

std::vector<WormholeLink> wormholeLinks(const std::vector<WorldState>& worlds) {
    std::vector<WormholeLink> links;
    for (size_t w = 0; w < worlds.size(); ++w)
        for (const Wormhole& wormhole : worlds[w].wormholes)
            // The world a wormhole stands in is the one that holds it, whatever its own record says.
            links.push_back({static_cast<int>(w), wormhole.getLoc(), wormhole.getTargetWorld()});
    return links;
}

int firstJumpTowards(const std::vector<WormholeLink>& links, int worldCount, int from, int to, point position) {
    if (worldCount <= 0 || from < 0 || to < 0 || from >= worldCount || to >= worldCount || from == to) return -1;
    // Jumps from each world to `to`, found backwards from `to` along the links.
    std::vector<int> jumps(static_cast<size_t>(worldCount), -1);
    jumps[static_cast<size_t>(to)] = 0;
    std::deque<int> queue{to};
    while (!queue.empty()) {
        const int reached = queue.front();
        queue.pop_front();
        for (const WormholeLink& link : links) {
            if (link.targetWorld != reached || link.world < 0 || link.world >= worldCount) continue;
            int& known = jumps[static_cast<size_t>(link.world)];
            if (known >= 0) continue;
            known = jumps[static_cast<size_t>(reached)] + 1;
            queue.push_back(link.world);
        }
    }
    int best = -1;
    for (size_t i = 0; i < links.size(); ++i) {
        const WormholeLink& link = links[i];
        // A wormhole back into its own world never brings the target closer.
        if (link.world != from || link.targetWorld == from || link.targetWorld < 0 || link.targetWorld >= worldCount)
            continue;
        const int after = jumps[static_cast<size_t>(link.targetWorld)];
        if (after < 0) continue;
        if (best < 0) {
            best = static_cast<int>(i);
            continue;
        }
        const int bestAfter = jumps[static_cast<size_t>(links[best].targetWorld)];
        if (after < bestAfter ||
            (after == bestAfter && sqPointDistance(link.loc, position) < sqPointDistance(links[best].loc, position)))
            best = static_cast<int>(i);
    }
    return best;
}

CourseLeg courseLeg(Universe& universe, int planetId) {
    CourseLeg leg;
    if (planetId < 0 || !universe.player) return leg;
    const Planet* planet = nullptr;
    for (size_t w = 0; w < universe.worlds.size() && !planet; ++w)
        for (const Star& star : universe.worlds[w].stars)
            for (const Planet& candidate : star.getPlanets())
                if (candidate.getID() == planetId) {
                    planet = &candidate;
                    leg.planetWorld = static_cast<int>(w);
                }
    if (!planet) return leg;
    leg.valid = true;
    leg.planetId = planetId;
    leg.planetName = planet->getName();
    const std::string fullName = planet->getName() + " (" + universe.worlds[leg.planetWorld].name + ")";

    const int here = universe.player->getWorld();
    const point position = universe.player->getPosition();
    leg.from = position;
    if (here == leg.planetWorld) {
        leg.target = planet->getLoc();
        leg.distance = pointDistance(position, leg.target);
        leg.label = fullName;
        return leg;
    }
    const std::vector<WormholeLink> links = wormholeLinks(universe.worlds);
    const int jump =
        firstJumpTowards(links, static_cast<int>(universe.worlds.size()), here, leg.planetWorld, position);
    if (jump < 0) {
        leg.label = "no route to " + fullName;
        return leg;
    }
    leg.throughWormhole = true;
    leg.target = links[static_cast<size_t>(jump)].loc;
    leg.distance = pointDistance(position, leg.target);
    leg.nextWorld = links[static_cast<size_t>(jump)].targetWorld;
    leg.label = "wormhole to " + universe.worlds[static_cast<size_t>(leg.nextWorld)].name;
    return leg;
}

void NavCourse::announce(const CourseLeg& leg) {
    const std::string now = leg.valid ? leg.label : "none";
    if (now == announced) return;
    announced = now;
    std::cout << "Course: " << now << std::endl;
}
