// Putting the player's ship down on a planet without flying there (a tow, a script's landing).
#pragma once

#include <string>

class Universe;

// Lands the ship on planet `planetId` as a touch-down would, on the side facing away from its
// star, moving it to the planet's world first; the controls are given back. False, with the
// reason in `reason`, when there is no such planet (nothing changes then).
bool landPlayerOn(Universe& universe, int planetId, std::string& reason);
