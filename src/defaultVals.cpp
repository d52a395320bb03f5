// The projectile type table and the field tables through which planet records are read,
// saved and handed to scripts.
#include "defaultVals.h"

std::vector<projectileData> WEAPONDATA;

const std::vector<PlanetIntField>& planetIntFields() {
    static const std::vector<PlanetIntField> fields = {
        {"element1", &planetData::element1},
        {"element2", &planetData::element2},
        {"element3", &planetData::element3},
        {"element4", &planetData::element4},
        {"element5", &planetData::element5},
        {"elementStockpile1", &planetData::elementStockpile1},
        {"elementStockpile2", &planetData::elementStockpile2},
        {"elementStockpile3", &planetData::elementStockpile3},
        {"elementStockpile4", &planetData::elementStockpile4},
        {"elementStockpile5", &planetData::elementStockpile5},
        {"drillLevel1", &planetData::drillLevel1},
        {"drillLevel2", &planetData::drillLevel2},
        {"drillLevel3", &planetData::drillLevel3},
        {"drillLevel4", &planetData::drillLevel4},
        {"drillLevel5", &planetData::drillLevel5},
        {"factionOwner", &planetData::factionOwner},
        {"engineFactory", &planetData::engineFactory},
        {"hullFactory", &planetData::hullFactory},
        {"weaponFactory", &planetData::weaponFactory},
        {"gravToolFactory", &planetData::gravToolFactory},
        {"starbase", &planetData::starbase},
        {"defenceLevel", &planetData::defenceLevel},
    };
    return fields;
}

const std::vector<PlanetFloatField>& planetFloatFields() {
    static const std::vector<PlanetFloatField> fields = {
        {"health", &planetData::health},
        {"qualityFactor1", &planetData::qualityFactor1},
        {"qualityFactor2", &planetData::qualityFactor2},
    };
    return fields;
}
