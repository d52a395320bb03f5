// The equipment catalogue: engines, hulls and gravity tools looked up by name in
// EquipmentData.xml, with the Universe's fallback records when a name is not listed.
#include <iostream>

#include "clampedNumber.h"
#include "worldState.h"

namespace {
const char* NOT_AN_ENGINE =
    "Not an engine (this is actually an error, there should be no non-engines in the engine section of "
    "equipment.xml)";
// The look-up's wording differs from the constructor's ("Not a hull"); both are kept as players know them.
const char* NOT_AN_HULL =
    "Not an hull (this is actually an error, there should be no non-hulls in the hull section of "
    "equipment.xml)";
const char* NOT_A_GRAV_TOOL =
    "Not a grav tool (this is actually an error, there should be no non-GTs in the GT section of equipment.xml)";

// Walks every section named `sectionName` for the first `entryName` element whose name is
// `name`, complaining about foreign elements. Null when nothing matches.
XmlNode* findEntry(XmlNode* root, const char* sectionName, const char* entryName, const char* complaint,
                   const std::string& name) {
    if (!root) return nullptr;
    for (XmlNode* section = root->first_node(sectionName); section; section = section->next_sibling(sectionName)) {
        for (XmlNode* entry = section->first_node(); entry; entry = entry->next_sibling()) {
            if (std::string(entry->name()) != entryName) {
                std::cout << complaint << std::endl;
                continue;
            }
            if (getVal(entry, "name") == name) return entry;
        }
    }
    return nullptr;
}

// Reads an integer attribute (truncated) if present.
void readInt(XmlNode* node, const char* key, int& field) {
    if (checkVal(node, key)) field = clampedInt(getValF(node, key));
}

void readPart(XmlNode* node, gravToolPart& part) {
    part.name = getVal(node, "name", part.name);
    readInt(node, "spacing", part.spacing);
    part.mass = getValF(node, "mass", part.mass);
    part.cost = getValF(node, "cost", part.cost);
    readInt(node, "lifetime", part.lifetime);
}
}  // namespace

std::string Universe::equipmentKind(const std::string& name) const {
    struct Section {
        const char* section;
        const char* entry;
    };
    // The same order in which the catalogue is searched when something is installed.
    const Section SECTIONS[] = {{"engines", "engine"}, {"hulls", "hull"}, {"gravTools", "gravTool"}};
    XmlNode* root = equipmentDoc.root();
    if (!root) return "";
    for (const Section& kind : SECTIONS)
        for (XmlNode* section = root->first_node(kind.section); section; section = section->next_sibling(kind.section))
            for (XmlNode* entry = section->first_node(kind.entry); entry; entry = entry->next_sibling(kind.entry))
                if (getVal(entry, "name") == name) return kind.entry;
    return "";
}

engineData Universe::getEngineData(const std::string& name) {
    engineData record = defaultEngine;
    XmlNode* entry = findEntry(equipmentDoc.root(), "engines", "engine", NOT_AN_ENGINE, name);
    if (!entry) {
        std::cout << "No match with " << name << std::endl;
        return record;
    }
    record.name = getVal(entry, "name", record.name);
    record.thrust = getValF(entry, "thrust", record.thrust);
    record.revThrust = getValF(entry, "revThrust", record.revThrust);
    record.turnSpeed = getValF(entry, "turnSpeed", record.turnSpeed);
    return record;
}

hullData Universe::getHullData(const std::string& name) {
    hullData record = defaultHull;
    XmlNode* entry = findEntry(equipmentDoc.root(), "hulls", "hull", NOT_AN_HULL, name);
    if (!entry) {
        std::cout << "No match with " << name << std::endl;
        return record;
    }
    record.name = getVal(entry, "name", record.name);
    readInt(entry, "hitpoints", record.hitpoints);
    record.mass = getValF(entry, "mass", record.mass);
    record.size = getValF(entry, "size", record.size);
    readInt(entry, "cargo", record.cargo);
    return record;
}

gravTool Universe::getGravToolData(const std::string& name) {
    gravTool record = defaultGravTool;
    XmlNode* entry = findEntry(equipmentDoc.root(), "gravTools", "gravTool", NOT_A_GRAV_TOOL, name);
    if (!entry) {
        std::cout << "No match with " << name << std::endl;
        return record;
    }
    record.name = getVal(entry, "name", record.name);
    readInt(entry, "rechargeDelay", record.rechargeDelay);
    record.rechargeSpeed = getValF(entry, "rechargeSpeed", record.rechargeSpeed);
    record.charge = getValF(entry, "charge", record.charge);
    for (XmlNode* child = entry->first_node(); child; child = child->next_sibling()) {
        std::string side = child->name();
        if (side == "left") readPart(child, record.left);
        if (side == "right") readPart(child, record.right);
    }
    return record;
}
