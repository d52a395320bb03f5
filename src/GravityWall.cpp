// Gravity walls: laying wells, ageing them, pulling or pushing ships and shots, drawing the
// line, and writing and reading a wall in a save.
#include "GravityWall.h"

#include <algorithm>
#include <iostream>
#include <string>

#include "clampedNumber.h"
#include "glHeaders.h"
#include "worldState.h"

namespace {
// Closer than 50 units counts as 50, so a well never pulls without bound.
const float MIN_SQUARED_DISTANCE = 2500.0f;
// Beyond 50000 units the rest of the wall is not looked at for that object.
const float MAX_SQUARED_DISTANCE = 2.5e9f;
// The capacity hint is only a hint; an absurd one (no cost per well) must not allocate.
const int MAX_RESERVE = 100000;

// Velocity change that the well gives an object at `where`; none when the object sits on the
// well itself, where the direction is undefined. `inReach` is false beyond the cut-off.
point wellPull(const wellData& well, point where, bool& inReach) {
    point centre{well.x, well.y};
    float s = sqPointDistance(where, centre);
    if (s < MIN_SQUARED_DISTANCE) s = MIN_SQUARED_DISTANCE;
    inReach = !(s > MAX_SQUARED_DISTANCE);
    point toWell{centre.x - where.x, centre.y - where.y};
    if (!inReach || (toWell.x == 0.0f && toWell.y == 0.0f)) return {0.0f, 0.0f};
    point n = normalize(toWell);
    return {n.x * well.strength / s, n.y * well.strength / s};
}
}  // namespace

GravityWall::GravityWall(int wallId, point where, gravToolPart toolPart, int reserve)
    : part(std::move(toolPart)), id(wallId) {
    if (reserve > 0) wallNodes.reserve(static_cast<size_t>(std::min(reserve, MAX_RESERVE)));
    std::cout << "Wall created" << std::endl;
    addWell(where);
    std::cout << part.mass << std::endl;
}

GravityWall::GravityWall(XmlNode* node, Universe& universe) {
    activeIndex = clampedInt(getValFND(node, "activeIndex"));
    part.name = getValND(node, "gravToolName");
    part.spacing = clampedInt(getValFND(node, "gravToolSpacing"));
    part.mass = getValFND(node, "gravToolMass");
    part.cost = getValFND(node, "gravToolCost");
    part.lifetime = clampedInt(getValFND(node, "gravToolLifetime"));
    id = clampedInt(getValFND(node, "ID"));
    if (XmlNode* wells = node->first_node("wallNodes")) {
        for (XmlNode* well = wells->first_node(); well; well = well->next_sibling()) {
            if (well->type() != rapidxml::node_element) continue;
            wallNodes.push_back({getValFND(well, "x"), getValFND(well, "y"),
                                 clampedInt(getValFND(well, "timeLeft")), getValFND(well, "strength")});
        }
    }
    // A corrupt index must neither skip the removal test nor reach outside the wells.
    activeIndex = std::max(0, std::min(activeIndex, static_cast<int>(wallNodes.size())));
}

void GravityWall::save(XmlDoc& doc, XmlNode* node) const {
    addAttribValue(doc, node, "activeIndex", static_cast<float>(activeIndex));
    addAttribValue(doc, node, "gravToolName", part.name);
    addAttribValue(doc, node, "gravToolSpacing", static_cast<float>(part.spacing));
    addAttribValue(doc, node, "gravToolMass", part.mass);
    addAttribValue(doc, node, "gravToolCost", part.cost);
    addAttribValue(doc, node, "gravToolLifetime", static_cast<float>(part.lifetime));
    addAttribValue(doc, node, "ID", static_cast<float>(id));
    XmlNode* wells = appendElement(doc, node, "wallNodes");
    addAttribValue(doc, wells, "size", static_cast<float>(wallNodes.size()));
    for (size_t i = 0; i < wallNodes.size(); ++i) {
        XmlNode* well = appendElement(doc, wells, "wallNode" + std::to_string(i));
        addAttribValue(doc, well, "x", wallNodes[i].x);
        addAttribValue(doc, well, "y", wallNodes[i].y);
        addAttribValue(doc, well, "timeLeft", static_cast<float>(wallNodes[i].timeLeft));
        addAttribValue(doc, well, "strength", wallNodes[i].strength);
    }
}

void GravityWall::addWell(point where) { wallNodes.push_back({where.x, where.y, part.lifetime, part.mass}); }

bool GravityWall::update(int dt, Universe& universe) {
    const size_t count = wallNodes.size();
    size_t first = static_cast<size_t>(activeIndex);
    while (first < count && wallNodes[first].timeLeft <= 0) ++first;
    activeIndex = static_cast<int>(first);

    for (size_t i = first; i < count; ++i) wallNodes[i].timeLeft -= dt;

    WorldState& world = universe.currentWorld();
    for (Ship& ship : world.ships) {
        for (size_t i = first; i < count; ++i) {
            bool inReach = true;
            point pull = wellPull(wallNodes[i], ship.getPosition(), inReach);
            if (!inReach) break;
            ship.addGravNonCollidable(pull);
        }
    }
    for (Projectile& shot : world.projectiles) {
        for (size_t i = first; i < count; ++i) {
            bool inReach = true;
            point pull = wellPull(wallNodes[i], shot.getPosition(), inReach);
            if (!inReach) break;
            shot.addVelocity(pull);
        }
    }

    if (first == count) {
        std::cout << "line removed" << std::endl;
        return false;
    }
    return true;
}

void GravityWall::draw() const {
    glBindTexture(GL_TEXTURE_2D, 0);
    if (part.mass > 0.0f)
        glColor3f(1.0f, 0.1f, 0.1f);
    else
        glColor3f(0.1f, 0.1f, 1.0f);
    glBegin(GL_LINE_STRIP);
    for (size_t i = static_cast<size_t>(activeIndex); i < wallNodes.size(); ++i)
        glVertex2f(wallNodes[i].x, wallNodes[i].y);
    glEnd();
}
