// Putting the player's ship down on a planet without flying there (a tow, a script's landing).
#include "landing.h"

#include <cmath>

#include "planet.h"
#include "player.h"
#include "worldState.h"

bool landPlayerOn(Universe& universe, int planetId, std::string& reason) {
    Player* player = universe.player.get();
    if (!player) {
        reason = "there is no ship";
        return false;
    }
    for (size_t w = 0; w < universe.worlds.size(); ++w) {
        for (Star& star : universe.worlds[w].stars) {
            for (Planet& planet : star.getPlanets()) {
                if (planet.getID() != planetId) continue;
                if (player->getWorld() != static_cast<int>(w) && !player->warpWorld(static_cast<int>(w))) {
                    reason = "the planet's world cannot be reached";
                    return false;
                }
                point loc = planet.getLoc();
                point starLoc = star.getLoc();
                // Away from the star, so the launch the planet window describes leaves the system's
                // centre behind.
                float angle = std::atan2(loc.y - starLoc.y, loc.x - starLoc.x);
                float standoff = planet.getRadius() + player->getRadius();
                planet.setLandingAngle(angle);
                player->setPosition({loc.x + std::cos(angle) * standoff, loc.y + std::sin(angle) * standoff});
                player->setAngle(angle);
                player->setVelocity(planet.getVelocity());
                player->setLanded(planetId);
                player->setInput(true);
                return true;
            }
        }
    }
    reason = "no planet has id " + std::to_string(planetId);
    return false;
}
