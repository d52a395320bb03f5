// The whole game model: the Universe with its worlds, tables, content documents, player and UI
// displays, and the WorldState of one star system.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "GravityWall.h"
#include "defaultVals.h"
#include "hintLine.h"
#include "input.h"
#include "navCourse.h"
#include "player.h"
#include "projectile.h"
#include "shaderList.h"
#include "ship.h"
#include "soundCue.h"
#include "star.h"
#include "timer.h"
#include "uiDisplay.h"
#include "wormhole.h"
#include "xmlValues.h"

struct lua_State;

// One star system. Owns everything in it; timers through unique pointers.
class WorldState {
public:
    WorldState(std::string name, int size) : name(std::move(name)), size(size) {}

    std::string name;
    int size;
    std::list<std::unique_ptr<TimerBase>> timers;
    std::list<Ship> ships;
    std::list<Projectile> projectiles;
    std::vector<Star> stars;
    std::vector<Wormhole> wormholes;
    std::list<GravityWall> gravityWalls;
    // Ships destroyed since the script was last told (reportShipLosses).
    std::vector<ShipLoss> losses;
    lua_State* luaState = nullptr;
    // Sounds this frame asked for; the game plays and empties them once the frame is drawn.
    std::vector<SoundCue> soundCues;
};

// The whole game: what the content files describe, the worlds they fill, the player and the
// windows. One exists while a game runs; tests build their own.
//
// It owns everything it lists: the seven content documents (kept parsed for the whole run,
// since the script reads trade goods from the universe document and a save rewrites it), the
// tables built from them (ship types, relations, faction names, the equipment defaults), the
// worlds by value, the player, the windows, the script's hint line and the course.
//
// What always holds once construction succeeded (loaded()):
// - every content document has its root element; a constructor that failed leaves loadError
//   set and nothing else may be used;
// - `planetIndex` has a slot per planet id; a slot is null until getPlanet first looks the
//   planet up inside `worlds`, and then points at it (the stars' planet vectors are not resized
//   after loading, and a load rebuilds the index);
// - `player`, once made, names a world inside `worlds` (warps to an unknown world are refused),
//   so currentWorld() may be called.
//
// Its methods live in three files: construction, planet look-ups, textures and gravity walls in
// worldState.cpp; the equipment look-ups in equipment.cpp; saving and loading in saveGame.cpp.
class Universe {
public:
    // Reads and parses the seven content files from `contentDirectory` (empty: the working
    // directory, ending in '/' otherwise). A file that cannot be read or parsed is reported in
    // loadError() and leaves the universe unusable.
    explicit Universe(const std::string& contentDirectory = "");
    Universe(const Universe&) = delete;
    Universe& operator=(const Universe&) = delete;
    ~Universe();

    // Whether every content file was read; getLoadError() says which one was not.
    bool loaded() const { return loadError.empty(); }
    const std::string& getLoadError() const { return loadError; }
    // Path of a run-time file inside the content directory.
    std::string dataPath(const std::string& fileName) const { return contentDirectory + fileName; }

    // A ship id not given out before.
    int getNewShipID() { return ++shipIDCounter; }
    // The texture of a content file, loaded once and then served from `dynamicTextures`.
    unsigned loadDynamicTexture(const std::string& fileName, int mode);
    // The planet with that id, or null (with a message) for an id no planet has.
    Planet* getPlanet(unsigned id);
    // A copy of that planet's economy record; the default record for an unknown id.
    planetData getPlanetData(unsigned id);
    // A copy of that planet's extra data; empty for an unknown id.
    std::vector<luaStringPair> getExtraPlanetData(unsigned id);
    // The catalogue's engine, hull or gravity tool of that name; the default one, with a
    // message, when the name is not listed.
    engineData getEngineData(const std::string& name);
    hullData getHullData(const std::string& name);
    gravTool getGravToolData(const std::string& name);
    // "engine", "hull" or "gravTool" for a name listed in the equipment catalogue (searched in
    // that order), "" otherwise; silent, unlike the look-ups above.
    std::string equipmentKind(const std::string& name) const;
    // Writes saves/<name>/; false (with a message) when it could not be written. An earlier
    // save under the same name is only replaced once the new files are complete.
    bool saveGame(const std::string& name);
    // Replaces the game with saves/<name>/; false (game untouched) when the save is refused.
    bool loadGame(const std::string& name, lua_State* L);
    // Ages and removes the gravity walls of the current world.
    void updateGravityWalls(int dt);

    // The world the player is in.
    WorldState& currentWorld() { return worlds[player->getWorld()]; }

    std::vector<shipDataStruct> shipTypes;
    std::vector<std::vector<int16_t>> relations;
    std::vector<std::string> factionNames;
    std::vector<Planet*> planetIndex;
    std::vector<WorldState> worlds;
    ShaderList shaderList;
    std::unique_ptr<Player> player;
    std::vector<uiDisplay> displays;
    XmlFile universeDoc;
    XmlFile projectilesDoc;
    XmlFile shadersDoc;
    XmlFile relationsDoc;
    XmlFile shipDataDoc;
    XmlFile playerDataDoc;
    XmlFile equipmentDoc;
    int32_t shipIDCounter = 0;
    engineData defaultEngine;
    std::vector<dynamicTexturesData> dynamicTextures;
    hullData defaultHull;
    gravTool defaultGravTool;
    planetData defaultPlanetData;
    // Held keys and buttons, read by the player; filled by the game from SDL or by a test.
    InputState input;
    // The script's guidance line; it outlives a load, since the script decides when it changes.
    HintLine hint;
    // The planet the HUD marker leads to; saved with the player, set again by a load.
    NavCourse course;

private:
    void applyDefaultEquipment();
    // Sets the course from the loaded player document ("navTarget"), or clears it.
    void restoreCourse();

    std::string contentDirectory;
    std::string loadError;
};
