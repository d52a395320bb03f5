// Process-wide record types and tables: planet economy records, ship and projectile types,
// equipment records, and the projectile type table WEAPONDATA.
#pragma once

#include <string>
#include <vector>

// A planet's economy record; defaults are those of a planet element that omits the attribute.
struct planetData {
    std::string name = "Default";
    int element1 = 0, element2 = 0, element3 = 0, element4 = 0, element5 = 0;
    int elementStockpile1 = 0, elementStockpile2 = 0, elementStockpile3 = 0, elementStockpile4 = 0,
        elementStockpile5 = 0;
    int drillLevel1 = 0, drillLevel2 = 0, drillLevel3 = 0, drillLevel4 = 0, drillLevel5 = 0;
    int factionOwner = -1;
    int engineFactory = 0, hullFactory = 0, weaponFactory = 0, gravToolFactory = 0;
    int starbase = 0;
    int defenceLevel = 0;
    float health = 0.0f;
    float qualityFactor1 = 0.0f, qualityFactor2 = 0.0f;
};

// Attribute/key name and member of every whole-number field, in record order
// (element1 ... defenceLevel, starbase included).
struct PlanetIntField {
    const char* key;
    int planetData::*member;
};
const std::vector<PlanetIntField>& planetIntFields();

// The float fields in record order: health, qualityFactor1, qualityFactor2.
struct PlanetFloatField {
    const char* key;
    float planetData::*member;
};
const std::vector<PlanetFloatField>& planetFloatFields();

// One key/value pair of a planet's free extra data.
struct luaStringPair {
    std::string key;
    std::string value;
};

// One AI ship type from shipData.xml; its index in Universe::shipTypes is the type number.
struct shipDataStruct {
    std::string name;
    short aiType = 4;
    unsigned texture = 0;
    float thrust = 20.0f;
    float hitpoints = 100.0f;
    std::vector<unsigned> weapons;
    std::string trailName;
    float red = 1.0f, green = 1.0f, blue = 1.0f;
    int length = 500;
    float size = 40.0f;
};

// One projectile type from projectiles.xml; its index in WEAPONDATA is the type number.
struct projectileData {
    std::string name = "Unnamed";
    int cooldown = 1000;
    float speed = 100.0f;
    int lifetime = 1000;
    float damage = 10.0f;
    float homingRange = 0.0f;
    float turnSpeed = 0.0001f;
    unsigned texture = 0;
    float size = 10.0f;
    int trailEffect = -1;
    int onDeathEffect = 0;
    int onHitEffect = 0;
    float minAngle = -1.0f;
    float maxAngle = -1.0f;
    bool grav = true;
    int numProjectiles = 1;
    float spread = 0.0f;
    bool uniformSpread = true;
    int onHitFragment = -1;
    int onDeathFragment = -1;
};

// The projectile types, shared by the player, the ships and the projectiles.
extern std::vector<projectileData> WEAPONDATA;

struct engineData {
    std::string name;
    float thrust = 0.0f;
    float revThrust = 0.0f;
    float turnSpeed = 0.0f;
};

struct hullData {
    std::string name;
    int hitpoints = 0;
    float mass = 0.0f;
    float size = 0.0f;
    int cargo = 0;  // units of trade goods the hold takes (the script enforces it)
};

struct gravToolPart {
    std::string name;
    int spacing = 0;
    float mass = 0.0f;
    float cost = 0.0f;
    int lifetime = 0;
};

struct gravTool {
    std::string name;
    gravToolPart left;
    gravToolPart right;
    int rechargeDelay = 0;
    float rechargeSpeed = 0.0f;
    float charge = 0.0f;
};

// One entry of the universe's texture cache.
struct dynamicTexturesData {
    unsigned texture = 0;
    std::string name;
};
