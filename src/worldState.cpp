// The Universe's construction from the content files, its texture cache, planet look-ups and
// the per-frame gravity wall driver.
#include "worldState.h"

#include <iostream>

#include "clampedNumber.h"
#include "textures.h"

namespace {
// The content files in the order they are read, with the root element each must have.
struct ContentFile {
    const char* fileName;
    const char* rootName;
    XmlFile Universe::*document;
};

const ContentFile CONTENT_FILES[] = {
    {"universe.xml", "universe", &Universe::universeDoc},
    {"projectiles.xml", "projectiles", &Universe::projectilesDoc},
    {"shaders.xml", "shaders", &Universe::shadersDoc},
    {"relations.xml", "relations", &Universe::relationsDoc},
    {"shipData.xml", "ships", &Universe::shipDataDoc},
    {"PlayerData.xml", "player", &Universe::playerDataDoc},
    {"EquipmentData.xml", "equipment", &Universe::equipmentDoc},
};

const char* NOT_AN_ENGINE =
    "Not an engine (this is actually an error, there should be no non-engines in the engine section of "
    "equipment.xml)";
const char* NOT_A_HULL =
    "Not a hull (this is actually an error, there should be no non-hulls in the hull section of equipment.xml)";
}  // namespace

Universe::Universe(const std::string& contentDirectory) : contentDirectory(contentDirectory) {
    shipIDCounter = 0;

    defaultEngine.name = "Default Engine";
    defaultEngine.thrust = 0.001f;
    defaultEngine.turnSpeed = 0.005f;

    defaultHull.name = "Default Hull";
    defaultHull.hitpoints = 1000;
    defaultHull.mass = 1.0f;

    defaultGravTool.name = "Default Grav Tool";
    defaultGravTool.left.spacing = 50;
    defaultGravTool.left.mass = -0.1f;
    defaultGravTool.left.cost = 10.0f;
    defaultGravTool.right.spacing = 50;
    defaultGravTool.right.mass = 0.1f;
    defaultGravTool.right.cost = 10.0f;
    defaultGravTool.rechargeDelay = 1;
    defaultGravTool.rechargeSpeed = 1.0f;
    defaultGravTool.charge = 400.0f;

    defaultPlanetData.name = "Fred";

    std::cout << "Loading universe XML files" << std::endl;
    for (const ContentFile& file : CONTENT_FILES) {
        std::string problem;
        if (!(this->*file.document).load(dataPath(file.fileName), file.rootName, problem)) {
            // The game cannot run without every content file; the caller reports this line.
            loadError = "Error, cannot load content file " + problem;
            return;
        }
    }
    std::cout << "Completed loading universe XML files" << std::endl;

    applyDefaultEquipment();
}

Universe::~Universe() = default;

void Universe::applyDefaultEquipment() {
    XmlNode* root = equipmentDoc.root();
    if (!root) return;
    for (XmlNode* section = root->first_node("engines"); section; section = section->next_sibling("engines")) {
        for (XmlNode* entry = section->first_node(); entry; entry = entry->next_sibling()) {
            if (std::string(entry->name()) != "engine") {
                std::cout << NOT_AN_ENGINE << std::endl;
                continue;
            }
            if (getVal(entry, "name") != "default") continue;
            defaultEngine.name = getVal(entry, "name");
            defaultEngine.thrust = getValF(entry, "thrust", defaultEngine.thrust);
            defaultEngine.revThrust = getValF(entry, "revThrust", defaultEngine.revThrust);
            defaultEngine.turnSpeed = getValF(entry, "turnSpeed", defaultEngine.turnSpeed);
        }
    }
    for (XmlNode* section = root->first_node("hulls"); section; section = section->next_sibling("hulls")) {
        for (XmlNode* entry = section->first_node(); entry; entry = entry->next_sibling()) {
            if (std::string(entry->name()) != "hull") {
                std::cout << NOT_A_HULL << std::endl;
                continue;
            }
            if (getVal(entry, "name") != "default") continue;
            defaultHull.name = getVal(entry, "name");
            defaultHull.mass = getValF(entry, "mass", defaultHull.mass);
            if (checkVal(entry, "hitpoints")) defaultHull.hitpoints = clampedInt(getValF(entry, "hitpoints"));
            defaultHull.size = getValF(entry, "size", defaultHull.size);
            if (checkVal(entry, "cargo")) defaultHull.cargo = clampedInt(getValF(entry, "cargo"));
        }
    }
}

unsigned Universe::loadDynamicTexture(const std::string& fileName, int mode) {
    for (const dynamicTexturesData& entry : dynamicTextures)
        if (entry.name == fileName) return entry.texture;
    std::cout << "Dynamically loading " << fileName << std::endl;
    // The file lives in the content directory, but the cache knows it by the name content uses.
    unsigned texture = loadSingleTexture(dataPath(fileName), mode);
    dynamicTextures.push_back({texture, fileName});
    return texture;
}

Planet* Universe::getPlanet(unsigned id) {
    if (id >= planetIndex.size()) {
        std::cout << "Error, invalid planet number" << std::endl;
        return nullptr;
    }
    if (!planetIndex[id]) {
        for (WorldState& world : worlds)
            for (Star& star : world.stars)
                for (Planet& planet : star.getPlanets())
                    if (planet.getID() == static_cast<int>(id)) planetIndex[id] = &planet;
    }
    return planetIndex[id];
}

planetData Universe::getPlanetData(unsigned id) {
    if (id >= planetIndex.size()) {
        std::cout << "Error, invalid planet number" << std::endl;
        return defaultPlanetData;
    }
    Planet* planet = getPlanet(id);
    if (!planet) {
        std::cout << "Error, planet not found, but index is good" << std::endl;
        return defaultPlanetData;
    }
    return planet->getPlanetData();
}

std::vector<luaStringPair> Universe::getExtraPlanetData(unsigned id) {
    if (id >= planetIndex.size()) {
        std::cout << "Error, invalid planet number" << std::endl;
        return {};
    }
    Planet* planet = getPlanet(id);
    return planet ? planet->getExtraData() : std::vector<luaStringPair>();
}

void Universe::updateGravityWalls(int dt) {
    if (!player) return;
    int world = player->getWorld();
    if (world < 0 || static_cast<size_t>(world) >= worlds.size()) return;
    std::list<GravityWall>& walls = worlds[world].gravityWalls;
    for (auto it = walls.begin(); it != walls.end();) {
        if (!it->update(dt, *this)) {
            it = walls.erase(it);
            continue;
        }
        it->draw();
        ++it;
    }
}
