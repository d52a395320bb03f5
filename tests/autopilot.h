// Flies the real game's ship like a player would, but by numbers: the ship's state is read
// from a quick save, and the ship is steered with held keys until it touches down on a planet.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "basics.h"

class GameProcess;

// The player as the last quick save wrote it, and the game clock of that save.
struct ShipState {
    point position{0.0f, 0.0f};
    point velocity{0.0f, 0.0f};
    float theta = 0.0f;
    bool landed = false;
    int planet = -1;
    int world = 0;
    float hitpoints = 0.0f;
    long time = 0;
    std::string engine;
    std::map<std::string, std::string> data;  // the player's data: credits, cargo
};

// Where a planet of the content is at a given game clock.
struct PlanetOrbit {
    std::string name;
    int id = 0;
    int world = 0;
    point star{0.0f, 0.0f};
    float orbitRadius = 0.0f, initLoc = 0.0f, orbitSpeed = 0.0f, radius = 0.0f;
    std::vector<std::string> goods, equipment;
    point at(double time) const;
};

class Autopilot {
public:
    // `slot` is the save slot used for reading the state; the content comes from the game's
    // own copy of universe.xml and EquipmentData.xml.
    Autopilot(GameProcess& game, int slot);

    // Saves into the slot and reads the ship back; false when the save did not appear.
    bool read(ShipState& state);
    const PlanetOrbit* planet(const std::string& name) const;
    const PlanetOrbit* planet(int id) const;

    // Flies to whichever of `targets` is nearest now and lands there (or on any of them, if one
    // catches the ship first). Gives up after `seconds`; answers the landed state, landed false
    // when it gave up. Every step goes to `log`.
    ShipState flyTo(const std::vector<std::string>& targets, double seconds, std::string& log);

private:
    void engineFigures(const std::string& engine, float& thrust, float& turnSpeed) const;

    GameProcess& game;
    int slot;
    std::vector<PlanetOrbit> planets;
};
