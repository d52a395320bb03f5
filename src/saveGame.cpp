// Saving the game to saves/<name>/ and loading it back: the universe document with the
// planet economy, the clock and every entity, and a fresh player document. The slot folder is
// replaced as a whole (saveSlot), so its two files always come from the same save.

#include <rapidxml/rapidxml_print.hpp>

#include <boost/filesystem.hpp>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <iterator>

#include "clampedNumber.h"
#include "loadGalaxy.h"
#include "saveSlot.h"
#include "startLua.h"
#include "worldState.h"

namespace {
const char* UNIVERSE_SAVE = "universeSAV.xml";
const char* PLAYER_SAVE = "PlayerDataSAV.xml";

bool named(const XmlNode* node, const char* name) { return std::string(node->name(), node->name_size()) == name; }

std::string printDocument(const XmlDoc& doc) {
    std::string text;
    rapidxml::print(std::back_inserter(text), doc);
    return text;
}

bool makeDirectory(const std::string& path) {
    boost::system::error_code error;
    boost::filesystem::create_directory(path, error);
    if (boost::filesystem::is_directory(path)) return true;
    std::cout << "Error, cannot create save folder " << path << ": "
              << (error ? error.message() : std::string("a file of that name is in the way")) << std::endl;
    return false;
}

// Puts a planet's current record and extra data into its element.
void rewritePlanet(XmlDoc& doc, XmlNode* node, const planetData& data, const std::vector<luaStringPair>& extra,
                   unsigned id) {
    changeAttribValue(doc, node, "name", data.name);
    for (const PlanetIntField& field : planetIntFields()) {
        // starbase is not the planet's to change: the element keeps the value it was built with.
        if (std::strcmp(field.key, "starbase") == 0) continue;
        changeAttribValue(doc, node, field.key, static_cast<float>(data.*field.member));
    }
    for (const PlanetFloatField& field : planetFloatFields()) changeAttribValue(doc, node, field.key, data.*field.member);

    XmlNode* oldExtra = node->first_node("extraData");
    XmlNode* newExtra = appendElement(doc, node, "extraData");
    for (const luaStringPair& pair : extra) {
        // A key that is not a valid attribute name would make the whole save unreadable.
        if (!isAttributeName(pair.key)) {
            std::cout << "Error, extra data key \"" << pair.key << "\" of planet " << id
                      << " cannot be saved, left out" << std::endl;
            continue;
        }
        addAttribValue(doc, newExtra, pair.key.c_str(), pair.value);
    }
    if (oldExtra) node->remove_node(oldExtra);
}

// Appends the world's entity elements and remembers them so they can be taken out again.
void appendEntities(XmlDoc& doc, XmlNode* node, const WorldState& world, std::vector<XmlNode*>& added) {
    for (const Projectile& projectile : world.projectiles) {
        added.push_back(appendElement(doc, node, "projectileData"));
        projectile.save(doc, added.back());
    }
    for (const Ship& ship : world.ships) {
        added.push_back(appendElement(doc, node, "shipData"));
        ship.save(doc, added.back());
    }
    for (const GravityWall& wall : world.gravityWalls) {
        added.push_back(appendElement(doc, node, "gravWallData"));
        wall.save(doc, added.back());
    }
}

// Refuses a save file that is not a usable game, naming the file and the problem.
bool refuse(const std::string& problem) {
    std::cout << "Error, cannot load save " << problem << std::endl;
    return false;
}
}  // namespace

void Universe::restoreCourse() {
    course.set(NO_COURSE);
    XmlNode* node = playerDataDoc.root();
    if (!node || !checkVal(node, "navTarget")) return;
    const std::string text = getVal(node, "navTarget");
    // The whole text must be the number: "nonsense" is not planet 0.
    char* end = nullptr;
    const double id = std::strtod(text.c_str(), &end);
    if (!text.empty() && *end == '\0' && id >= 0.0 && id == static_cast<double>(clampedInt(id)) &&
        id < static_cast<double>(planetIndex.size()))
        course.set(clampedInt(id));
    else
        std::cout << "Error, the saved course leads to planet " << text << ", which does not exist; no course is set"
                  << std::endl;
}

bool Universe::saveGame(const std::string& name) {
    XmlNode* root = universeDoc.root();
    if (!root || !player) {
        std::cout << "Error, cannot save " << name << ": no game is loaded" << std::endl;
        return false;
    }
    XmlDoc& doc = universeDoc.doc();
    addAttribValue(doc, root, "time", std::to_string(getTime()));
    XmlAttr* timeAttribute = root->last_attribute("time");

    std::vector<std::pair<XmlNode*, XmlNode*>> added;  // (world element, entity element)
    unsigned worldCounter = 0;
    unsigned planetCounter = 0;
    for (XmlNode* world = root->first_node(); world; world = world->next_sibling()) {
        if (!named(world, "world")) {
            std::cout << "Not a world" << std::endl;
            continue;
        }
        for (XmlNode* star = world->first_node("star"); star; star = star->next_sibling("star")) {
            for (XmlNode* planet = star->first_node(); planet; planet = planet->next_sibling()) {
                if (!named(planet, "planet")) {
                    std::cout << "Not a planet" << std::endl;
                    continue;
                }
                rewritePlanet(doc, planet, getPlanetData(planetCounter), getExtraPlanetData(planetCounter),
                              planetCounter);
                ++planetCounter;
            }
        }
        if (worldCounter < worlds.size()) {
            std::vector<XmlNode*> entities;
            appendEntities(doc, world, worlds[worldCounter], entities);
            for (XmlNode* entity : entities) added.emplace_back(world, entity);
        }
        ++worldCounter;
    }
    std::string universeText = printDocument(doc);

    // Between saves the document holds only static content: the next save must not repeat
    // this one's clock or entities.
    for (auto& entry : added) entry.first->remove_node(entry.second);
    root->remove_attribute(timeAttribute);

    XmlDoc playerDoc;
    XmlNode* declaration = playerDoc.allocate_node(rapidxml::node_declaration);
    declaration->append_attribute(playerDoc.allocate_attribute("version", "1.0"));
    declaration->append_attribute(playerDoc.allocate_attribute("encoding", "utf-8"));
    playerDoc.append_node(declaration);
    XmlNode* playerNode = appendElement(playerDoc, &playerDoc, "player");
    player->save(playerDoc, playerNode);
    // Only a set course is written: a save without it loads with none, as older saves do.
    if (course.target() != NO_COURSE) addAttribValue(playerDoc, playerNode, "navTarget", static_cast<float>(course.target()));
    std::string playerText = printDocument(playerDoc);

    if (!validSlotName(name)) {
        std::cout << "Error, cannot save under the name \"" << name << "\"" << std::endl;
        return false;
    }
    if (!makeDirectory(dataPath("saves"))) return false;
    std::string problem;
    if (!replaceSlot(dataPath("saves"), name, {{UNIVERSE_SAVE, &universeText}, {PLAYER_SAVE, &playerText}},
                     problem)) {
        std::cout << "Error, cannot write save " << name << ": " << problem << std::endl;
        return false;
    }
    return true;
}

bool Universe::loadGame(const std::string& name, lua_State* L) {
    std::cout << "Loading game" << std::endl;
    std::string folder = dataPath("saves/") + name;
    // A save interrupted at the wrong moment may have left the slot to be put back first.
    recoverSlot(dataPath("saves"), name);
    boost::system::error_code error;
    if (!validSlotName(name) || !boost::filesystem::is_directory(folder, error)) {
        std::cout << "Error, bad save path " << name << std::endl;
        return false;
    }

    // Everything is read and checked before anything of the running game is touched.
    std::string universePath = folder + "/" + UNIVERSE_SAVE;
    std::string playerPath = folder + "/" + PLAYER_SAVE;
    XmlFile newUniverse;
    XmlFile newPlayer;
    std::string problem;
    if (!newUniverse.load(universePath, "universe", problem)) return refuse(problem);
    if (!newPlayer.load(playerPath, "player", problem)) return refuse(problem);
    long worldCount = 0;
    for (XmlNode* world = newUniverse.root()->first_node("world"); world; world = world->next_sibling("world"))
        ++worldCount;
    if (worldCount == 0) return refuse(universePath + ": it holds no world");
    // Read as the player reads it (a float, truncated): "1e9" must not pass here as 1. A missing
    // number is reported by the player and reads as world 0, which always exists.
    long activeWorld = clampedInt(getValF(newPlayer.root(), "activeWorld"));
    if (activeWorld < 0 || activeWorld >= worldCount)
        return refuse(playerPath + ": the player is in world " + std::to_string(activeWorld) + ", which does not exist");

    // The tables are rebuilt from the start-up documents, which must still hold a ship type.
    if (!shipDataDoc.root() || !shipDataDoc.root()->first_node("ship") || !relationsDoc.root() ||
        !projectilesDoc.root())
        return refuse(universePath + ": the content files of this game are not loaded");

    universeDoc.swap(newUniverse);
    playerDataDoc.swap(newPlayer);
    XmlNode* root = universeDoc.root();

    std::cout << "Setting time" << std::endl;
    long time = getValLIND(root, "time");
    setTime(static_cast<unsigned>(time));

    WEAPONDATA.clear();
    worlds.clear();
    shipTypes.clear();
    relations.clear();
    factionNames.clear();
    planetIndex.clear();
    displays.clear();

    player.reset();
    player = std::make_unique<Player>(playerDataDoc.root(), *this);

    initializeStars(*this, L);
    restoreCourse();

    std::cout << "updating planets" << std::endl;
    for (WorldState& world : worlds)
        for (Star& star : world.stars) star.skipTime(time);

    if (XmlAttr* clock = root->first_attribute("time")) root->remove_attribute(clock);
    std::cout << "Loaded." << std::endl;
    if (L) publishRegistry(*this, L);
    return true;
}
