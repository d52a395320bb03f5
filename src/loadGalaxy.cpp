// Builds the game model from the parsed content documents: factions and their attitudes,
// projectile and ship types, the worlds with stars, planets, wormholes and saved entities, and
// the player's ship.
#include "loadGalaxy.h"

#include <iostream>

#include "clampedNumber.h"
#include "contentFileReader.h"
#include "worldState.h"

namespace {
const float DEGREES_TO_RADIANS = 0.017444f;  // the projectile file's own factor, not pi/180

bool named(const XmlNode* node, const char* name) { return std::string(node->name(), node->name_size()) == name; }

// Text between elements is no element: the loaders pass over it without a word.
bool isElement(const XmlNode* node) { return node->type() == rapidxml::node_element; }

// Reports every child element of `node` not named in `known` (null-terminated).
void reportUnknownChildren(const ContentFileReader& reader, XmlNode* node, const char* const* known) {
    for (XmlNode* child = node->first_node(); child; child = child->next_sibling()) {
        if (!isElement(child)) continue;
        bool isKnown = false;
        for (const char* const* name = known; *name; ++name) isKnown = isKnown || named(child, *name);
        if (!isKnown) reader.unknownElement(child);
    }
}

// An angle of the projectile file: degrees, negative ones wrapped once, in radians.
float firingAngle(const ContentFileReader& reader, XmlNode* node, const char* key) {
    if (!checkVal(node, key)) return -1.0f;
    float degrees = reader.number(node, key);
    if (degrees < 0) degrees += 360.0f;
    return degrees * DEGREES_TO_RADIANS;
}

void buildFactions(Universe& universe) {
    XmlNode* root = universe.relationsDoc.root();
    for (XmlNode* faction = root->first_node("faction"); faction; faction = faction->next_sibling("faction")) {
        universe.relations.emplace_back();
        universe.factionNames.push_back(getVal(faction, "name"));
    }
    for (auto& row : universe.relations) row.resize(universe.factionNames.size(), 0);

    for (XmlNode* parent = root->first_node(); parent; parent = parent->next_sibling()) {
        int row = -1;
        std::string parentName = getVal(parent, "name");
        for (size_t i = 0; i < universe.factionNames.size(); ++i)
            if (universe.factionNames[i] == parentName) row = static_cast<int>(i);
        if (row < 0) continue;
        for (XmlNode* relation = parent->first_node("relation"); relation;
             relation = relation->next_sibling("relation")) {
            std::string other = getVal(relation, "name");
            int16_t attitude = static_cast<int16_t>(decodeRelationship(getVal(relation, "attitude")));
            for (size_t column = 0; column < universe.factionNames.size(); ++column)
                if (universe.factionNames[column] == other) universe.relations[row][column] = attitude;
        }
    }
}

void buildProjectileTypes(Universe& universe) {
    XmlNode* root = universe.projectilesDoc.root();
    ContentFileReader reader(universe.projectilesDoc);
    const char* const knownTypes[] = {"projectile", nullptr};
    reportUnknownChildren(reader, root, knownTypes);
    for (XmlNode* node = root->first_node("projectile"); node; node = node->next_sibling("projectile")) {
        const char* const knownParts[] = {"fragment", nullptr};
        reportUnknownChildren(reader, node, knownParts);
        projectileData type;
        type.name = getVal(node, "name", type.name);
        type.cooldown = reader.wholeNumber(node, "cooldown", type.cooldown);
        type.speed = reader.number(node, "speed", type.speed);
        type.lifetime = reader.wholeNumber(node, "lifetime", type.lifetime);
        type.damage = reader.number(node, "damage", type.damage);
        type.homingRange = reader.number(node, "homingRange", type.homingRange);
        type.turnSpeed = reader.number(node, "turnSpeed", type.turnSpeed);
        type.texture = universe.loadDynamicTexture(getVal(node, "texture", "bulletDot.png"), 1);
        std::cout << type.texture << " TEXT" << std::endl;
        type.size = reader.number(node, "size", type.size);
        type.trailEffect = reader.wholeNumber(node, "trailEffect", type.trailEffect);
        type.onDeathEffect = reader.wholeNumber(node, "onDeathEffect", type.onDeathEffect);
        type.onHitEffect = reader.wholeNumber(node, "onHitEffect", type.onHitEffect);
        type.minAngle = firingAngle(reader, node, "minAngle");
        type.maxAngle = firingAngle(reader, node, "maxAngle");
        type.grav = reader.number(node, "grav", 1.0f) != 0.0f;
        type.numProjectiles = reader.wholeNumber(node, "numProjectiles", type.numProjectiles);
        type.spread = reader.number(node, "spread", 0.0f) * DEGREES_TO_RADIANS;
        type.uniformSpread = reader.number(node, "uniformSpread", 1.0f) != 0.0f;
        type.onHitFragment = -1;
        type.onDeathFragment = -1;
        WEAPONDATA.push_back(type);
    }

    // Fragments name other types, which may come later in the file, so they are resolved after.
    size_t typeNumber = 0;
    for (XmlNode* node = root->first_node("projectile"); node; node = node->next_sibling("projectile"), ++typeNumber) {
        projectileData& parent = WEAPONDATA[typeNumber];
        for (XmlNode* fragment = node->first_node("fragment"); fragment;
             fragment = fragment->next_sibling("fragment")) {
            if (!checkVal(fragment, "trigger")) continue;
            std::string trigger = getVal(fragment, "trigger");
            std::string fragType = getVal(fragment, "fragType");
            int match = projectileTypeNamed(fragType);
            if (match < 0) {
                std::cout << "Error, bad projectile name " << fragType << " for fragment in projectile "
                          << parent.name << std::endl;
            } else if (trigger == "onHit") {
                parent.onHitFragment = match;
            } else if (trigger == "onDeath") {
                parent.onDeathFragment = match;
            } else {
                std::cout << "Error, bad event type for projectile fragment, projectile " << parent.name << std::endl;
            }
        }
    }
}

void buildShipTypes(Universe& universe) {
    XmlNode* root = universe.shipDataDoc.root();
    ContentFileReader reader(universe.shipDataDoc);
    const char* const knownTypes[] = {"ship", nullptr};
    reportUnknownChildren(reader, root, knownTypes);
    for (XmlNode* node = root->first_node("ship"); node; node = node->next_sibling("ship")) {
        const char* const knownParts[] = {"trail", "weapon", nullptr};
        reportUnknownChildren(reader, node, knownParts);
        shipDataStruct type;
        type.name = getVal(node, "name");
        type.aiType = static_cast<short>(reader.wholeNumber(node, "aiType", type.aiType));
        type.texture = checkVal(node, "texture") ? universe.loadDynamicTexture(getVal(node, "texture"), 1) : 0;
        type.thrust = reader.number(node, "thrust", type.thrust);
        type.hitpoints = reader.number(node, "hitpoints", type.hitpoints);
        for (XmlNode* trail = node->first_node("trail"); trail; trail = trail->next_sibling("trail")) {
            type.trailName = getVal(trail, "name");
            type.red = reader.number(trail, "red", 1.0f);
            type.green = reader.number(trail, "green", 1.0f);
            type.blue = reader.number(trail, "blue", 1.0f);
            type.length = reader.wholeNumber(trail, "length", 500);
        }
        type.size = reader.number(node, "size", type.size);
        universe.shipTypes.push_back(type);

        shipDataStruct& added = universe.shipTypes.back();
        for (XmlNode* weapon = node->first_node("weapon"); weapon; weapon = weapon->next_sibling("weapon")) {
            int match = projectileTypeNamed(getVal(weapon, "name"));
            if (match >= 0) added.weapons.push_back(static_cast<unsigned>(match));
        }
    }
}

planetData readPlanetRecord(const ContentFileReader& reader, XmlNode* node) {
    planetData data;
    data.name = getVal(node, "name", "Default");
    for (const PlanetIntField& field : planetIntFields())
        data.*field.member = reader.wholeNumber(node, field.key, data.*field.member);
    for (const PlanetFloatField& field : planetFloatFields())
        data.*field.member = reader.number(node, field.key, data.*field.member);
    return data;
}

std::vector<luaStringPair> readExtraData(XmlNode* node) {
    std::vector<luaStringPair> pairs;
    for (XmlNode* extra = node->first_node("extraData"); extra; extra = extra->next_sibling("extraData"))
        for (XmlAttr* attr = extra->first_attribute(); attr; attr = attr->next_attribute())
            pairs.push_back({std::string(attr->name(), attr->name_size()), std::string(attr->value(), attr->value_size())});
    return pairs;
}

// A planet's figures as universe.xml gives them, each 0 when missing.
PlanetFigures readPlanetFigures(const ContentFileReader& reader, XmlNode* node, int id) {
    PlanetFigures figures;
    figures.id = id;
    figures.radius = reader.number(node, "radius");
    figures.density = reader.number(node, "density");
    figures.orbitRadius = reader.number(node, "orbitRadius");
    figures.orbitSpeed = reader.number(node, "orbitSpeed");
    figures.initLoc = reader.number(node, "initLoc");
    figures.rotationalSpeed = reader.number(node, "rotationalSpeed");
    figures.initRot = reader.number(node, "initRot");
    figures.texture = clampedInt(reader.number(node, "texture"));
    return figures;
}

Star buildStar(Universe& universe, const ContentFileReader& reader, XmlNode* node) {
    const char* const knownBodies[] = {"planet", nullptr};
    reportUnknownChildren(reader, node, knownBodies);
    point where{reader.number(node, "xcoord"), reader.number(node, "ycoord")};
    float radius = reader.number(node, "radius");
    float density = reader.number(node, "density");
    int texture = clampedInt(reader.number(node, "texture"));
    Star star(where, radius, density, texture, getVal(node, "name"));
    for (XmlNode* planetNode = node->first_node("planet"); planetNode;
         planetNode = planetNode->next_sibling("planet")) {
        // Price lists are read by the market and shipyard scripts, from the document itself.
        const char* const knownParts[] = {"extraData", "tradeGood", "equipment", nullptr};
        reportUnknownChildren(reader, planetNode, knownParts);
        planetData data = readPlanetRecord(reader, planetNode);
        std::cout << "NAME: " << data.name << std::endl;
        std::vector<luaStringPair> extra = readExtraData(planetNode);
        PlanetFigures figures = readPlanetFigures(reader, planetNode, static_cast<int>(universe.planetIndex.size()));
        Planet planet(figures, getVal(planetNode, "name"), data, extra);
        star.addPlanet(planet);
        universe.planetIndex.push_back(nullptr);
    }
    return star;
}

// Builds world `number` from its element; saved entities are moved out of the document.
void buildWorld(Universe& universe, const ContentFileReader& reader, XmlNode* node, int number, int worldCount) {
    universe.worlds.emplace_back(getVal(node, "name"), clampedInt(reader.number(node, "size")));
    std::vector<XmlNode*> consumed;
    for (XmlNode* child = node->first_node(); child; child = child->next_sibling()) {
        WorldState& world = universe.worlds.back();
        if (named(child, "star")) {
            world.stars.push_back(buildStar(universe, reader, child));
        } else if (named(child, "wormhole")) {
            int target = clampedInt(reader.number(child, "targetWorld"));
            if (target < 0 || target >= worldCount) {
                std::cout << "Error, wormhole in world " << world.name << " targets world " << target
                          << ", which does not exist" << std::endl;
                continue;
            }
            point mouth{reader.number(child, "xcoord"), reader.number(child, "ycoord")};
            float radius = reader.number(child, "radius");
            point exit{reader.number(child, "targetXcoord"), reader.number(child, "targetYcoord")};
            world.wormholes.emplace_back(number, mouth.x, mouth.y, radius, target, exit.x, exit.y,
                                         universe.shaderList);
        } else if (named(child, "projectileData")) {
            consumed.push_back(child);
            // Without a type the shot is restored as type 0, reporting the missing value.
            int type = clampedInt(getValF(child, "shotType", 0.0f));
            if (type < 0 || static_cast<size_t>(type) >= WEAPONDATA.size()) {
                std::cout << "Error, saved projectile in world " << world.name << " has shot type "
                          << getVal(child, "shotType") << ", which does not exist" << std::endl;
                continue;
            }
            world.projectiles.emplace_back(child, universe);
        } else if (named(child, "shipData")) {
            consumed.push_back(child);
            std::string typeName = getValND(child, "shiptype");
            bool known = false;
            for (const shipDataStruct& type : universe.shipTypes) known = known || type.name == typeName;
            if (!known) {
                std::cout << "Error, bad ship name passed to ship constructor: " << typeName << std::endl;
                continue;
            }
            world.ships.emplace_back(child, universe);
        } else if (named(child, "gravWallData")) {
            consumed.push_back(child);
            world.gravityWalls.emplace_back(child, universe);
        } else if (isElement(child)) {
            reader.unknownElement(child);
        }
    }
    // Entities are not content: the document must hold only static content between saves.
    for (XmlNode* element : consumed) node->remove_node(element);
}
}  // namespace

int decodeRelationship(const std::string& word) {
    if (word == "friendly") return 100;
    if (word == "hostile") return -100;
    if (word == "neutral") return 0;
    std::cout << "Relationship decode error: " << word << std::endl;
    return 0;
}

int projectileTypeNamed(const std::string& name) {
    for (size_t i = 0; i < WEAPONDATA.size(); ++i)
        if (WEAPONDATA[i].name == name) return static_cast<int>(i);
    return -1;
}

bool initializeStars(Universe& universe, lua_State* L) {
    XmlNode* universeRoot = universe.universeDoc.root();
    if (!universeRoot || !universe.relationsDoc.root() || !universe.projectilesDoc.root() ||
        !universe.shipDataDoc.root()) {
        std::cout << "Error, the content files are not loaded" << std::endl;
        return false;
    }
    int worldCount = 0;
    for (XmlNode* world = universeRoot->first_node("world"); world; world = world->next_sibling("world"))
        ++worldCount;
    if (worldCount == 0) {
        std::cout << "Error, universe.xml holds no world" << std::endl;
        return false;
    }
    if (!universe.shipDataDoc.root()->first_node("ship")) {
        std::cout << "Error, shipData.xml holds no ship type" << std::endl;
        return false;
    }

    // The tables are rebuilt from scratch, so building twice never doubles them.
    universe.relations.clear();
    universe.factionNames.clear();
    WEAPONDATA.clear();
    universe.shipTypes.clear();
    universe.worlds.clear();
    universe.planetIndex.clear();

    buildFactions(universe);
    buildProjectileTypes(universe);
    buildShipTypes(universe);

    universe.worlds.reserve(worldCount);
    ContentFileReader reader(universe.universeDoc);
    const char* const knownWorlds[] = {"world", nullptr};
    reportUnknownChildren(reader, universeRoot, knownWorlds);
    int number = 0;
    for (XmlNode* world = universeRoot->first_node("world"); world; world = world->next_sibling("world"))
        buildWorld(universe, reader, world, number++, worldCount);

    std::cout << "Done slotting XML into real world data" << std::endl;
    for (WorldState& world : universe.worlds) world.luaState = L;
    return true;
}

std::unique_ptr<Player> initializePlayer(Universe& universe) {
    XmlNode* root = universe.playerDataDoc.root();
    if (!root) {
        std::cout << "Error, PlayerData.xml is not loaded" << std::endl;
        return nullptr;
    }
    engineData engine = universe.getEngineData("");
    hullData hull = universe.getHullData("");
    gravTool tool = universe.getGravToolData("");
    std::vector<unsigned> weapons;
    std::vector<luaStringPair> startData;
    point position{0.0f, 0.0f};
    ContentFileReader reader(universe.playerDataDoc);

    for (XmlNode* child = root->first_node(); child; child = child->next_sibling()) {
        if (named(child, "position")) {
            float x = reader.number(child, "x");
            position = {x, reader.number(child, "y")};
        } else if (named(child, "engine")) {
            engine = universe.getEngineData(getVal(child, "name"));
        } else if (named(child, "hull")) {
            hull = universe.getHullData(getVal(child, "name"));
        } else if (named(child, "gravTool")) {
            tool = universe.getGravToolData(getVal(child, "name"));
        } else if (named(child, "weapon")) {
            std::string name = getVal(child, "name");
            int match = projectileTypeNamed(name);
            if (match < 0) {
                std::cout << "Error loading weapon " << name << " onto player" << std::endl;
                continue;
            }
            std::cout << "Loading weapon " << WEAPONDATA[match].name << " into player" << std::endl;
            weapons.push_back(static_cast<unsigned>(match));
        } else if (named(child, "extraData")) {
            // The script's starting values for the player, such as its credits.
            for (auto& pair : xmlAttributePairs(child)) startData.push_back({pair.first, pair.second});
        } else if (isElement(child)) {
            reader.unknownElement(child);
        }
    }

    auto player = std::make_unique<Player>(position, engine.thrust, engine.revThrust, engine.turnSpeed,
                                           static_cast<float>(hull.hitpoints), hull.size, universe.shaderList,
                                           weapons, tool, engine.name, hull.name, universe);
    player->setExtraData(std::move(startData));
    return player;
}

void testXML(const std::string& path) {
    XmlFile file;
    std::string problem;
    if (!file.load(path, "universe", problem)) {
        std::cout << "Error, cannot outline " << problem << std::endl;
        return;
    }
    XmlNode* root = file.root();
    std::cout << root->value() << " x " << root->name() << " type " << root->type() << std::endl;
    for (XmlNode* child = root->first_node(); child; child = child->next_sibling()) {
        std::cout << child->name() << std::endl;
        for (XmlNode* grandchild = child->first_node(); grandchild; grandchild = grandchild->next_sibling()) {
            if (!named(grandchild, "star")) {
                std::cout << "\tNot star" << std::endl;
                continue;
            }
            std::cout << "\t" << grandchild->name() << std::endl;
            for (XmlNode* body = grandchild->first_node(); body; body = body->next_sibling()) {
                std::cout << "\t\t" << body->name() << std::endl;
                std::cout << "\t\t" << getVal(body, "name") << std::endl;
            }
        }
    }
}
