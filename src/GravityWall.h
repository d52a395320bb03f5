// A line of short-lived gravity wells laid by the player's gravity tool; each well pulls or
// pushes every AI ship and projectile of the world until it expires.
#pragma once

#include <vector>

#include "basics.h"
#include "defaultVals.h"
#include "xmlValues.h"

class Universe;

struct wellData {
    float x;
    float y;
    int timeLeft;
    float strength;
};

class GravityWall {
public:
    GravityWall(int id, point where, gravToolPart part, int reserve);
    GravityWall(XmlNode* node, Universe& universe);
    void save(XmlDoc& doc, XmlNode* node) const;

    void addWell(point where);
    int getID() const { return id; }
    // False when every well has expired.
    bool update(int dt, Universe& universe);
    void draw() const;

    int getActiveIndex() const { return activeIndex; }
    const gravToolPart& getPart() const { return part; }
    const std::vector<wellData>& getWells() const { return wallNodes; }

private:
    int activeIndex = 0;
    gravToolPart part;
    int id = 0;
    std::vector<wellData> wallNodes;
};
