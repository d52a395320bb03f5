// The autopilot of the end-to-end tests: quick saves for eyes, held keys for hands.
#include "autopilot.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "gameProcess.h"
#include "xmlValues.h"

namespace {

// Braking is planned at less than any engine's thrust, so turning and key timing have slack.
constexpr float PLANNED_DECELERATION = 0.00025f;
constexpr float CRUISE_SPEED = 5.0f;       // units per ms, far from the target
constexpr float CLOSE_ENOUGH_SPEED = 0.05f;
constexpr int LONGEST_BURN_MS = 900;
// Far off the wanted velocity (just after a launch, whose kick grows as frames slow down) one
// long burn saves many steps.
constexpr int LONGEST_BIG_BURN_MS = 3000;
constexpr float BIG_CHANGE = 1.0f;
constexpr double LEAD_MS = 300.0;          // the ship reacts this long after the state was saved

float wrapAngle(float a) {
    while (a > 3.14159265f) a -= 6.2831853f;
    while (a < -3.14159265f) a += 6.2831853f;
    return a;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string clockOf(const std::string& path) {
    XmlFile file;
    std::string error;
    if (!file.load(path, "universe", error)) return "";
    return getVal(file.root(), "time");
}

}  // namespace

point PlanetOrbit::at(double time) const {
    // The planets' own arithmetic: degrees times 3.14 / 180, advanced by the game clock.
    double angle = initLoc * 3.14 / 180.0 + time * orbitSpeed * 3.14 / 180.0;
    return {static_cast<float>(star.x + std::cos(angle) * orbitRadius),
            static_cast<float>(star.y + std::sin(angle) * orbitRadius)};
}

Autopilot::Autopilot(GameProcess& game, int slot) : game(game), slot(slot) {
    XmlFile universe;
    std::string error;
    if (!universe.load(game.directory() + "universe.xml", "universe", error)) return;
    int id = 0, worldNumber = 0;
    for (XmlNode* world = universe.root()->first_node("world"); world; world = world->next_sibling("world"), ++worldNumber)
        for (XmlNode* star = world->first_node("star"); star; star = star->next_sibling("star"))
            for (XmlNode* node = star->first_node("planet"); node; node = node->next_sibling("planet")) {
                PlanetOrbit orbit;
                orbit.name = getVal(node, "name");
                orbit.id = id++;
                orbit.world = worldNumber;
                orbit.star = {getValF(star, "xcoord"), getValF(star, "ycoord")};
                orbit.orbitRadius = getValF(node, "orbitRadius");
                orbit.initLoc = getValF(node, "initLoc");
                orbit.orbitSpeed = getValF(node, "orbitSpeed");
                orbit.radius = getValF(node, "radius");
                for (XmlNode* good = node->first_node("tradeGood"); good; good = good->next_sibling("tradeGood"))
                    orbit.goods.push_back(getVal(good, "name"));
                for (XmlNode* item = node->first_node("equipment"); item; item = item->next_sibling("equipment"))
                    orbit.equipment.push_back(getVal(item, "name"));
                planets.push_back(orbit);
            }
}

const PlanetOrbit* Autopilot::planet(const std::string& name) const {
    for (const PlanetOrbit& orbit : planets)
        if (orbit.name == name) return &orbit;
    return nullptr;
}

const PlanetOrbit* Autopilot::planet(int id) const {
    return id >= 0 && static_cast<size_t>(id) < planets.size() ? &planets[static_cast<size_t>(id)] : nullptr;
}

bool Autopilot::read(ShipState& state) {
    const std::string folder = game.directory() + "saves/" + std::to_string(slot) + "/";
    const std::string before = clockOf(folder + "universeSAV.xml");
    game.key("shift+F" + std::to_string(slot));
    auto start = std::chrono::steady_clock::now();
    std::string now = before;
    while (now == before && secondsSince(start) < 5.0) {
        game.pause(0.02);
        now = clockOf(folder + "universeSAV.xml");
    }
    XmlFile player;
    std::string error;
    if (now == before || !player.load(folder + "PlayerDataSAV.xml", "player", error)) return false;
    XmlNode* p = player.root();
    state.position = {getValF(p, "x"), getValF(p, "y")};
    state.velocity = {getValF(p, "xSpd"), getValF(p, "ySpd")};
    state.theta = getValF(p, "theta");
    state.landed = getValF(p, "landed") != 0.0f;
    state.planet = static_cast<int>(getValF(p, "planetId"));
    state.world = static_cast<int>(getValF(p, "activeWorld"));
    state.hitpoints = getValF(p, "hitpoints");
    state.engine = getVal(p, "engineName");
    state.time = std::atol(now.c_str());
    state.data.clear();
    for (auto& pair : xmlAttributePairs(p->first_node("extraData"))) state.data[pair.first] = pair.second;
    return true;
}

void Autopilot::engineFigures(const std::string& engine, float& thrust, float& turnSpeed) const {
    thrust = 0.0006f;
    turnSpeed = 0.004f;
    XmlFile equipment;
    std::string error;
    if (!equipment.load(game.directory() + "EquipmentData.xml", "equipment", error)) return;
    for (XmlNode* section = equipment.root()->first_node("engines"); section; section = section->next_sibling("engines"))
        for (XmlNode* entry = section->first_node("engine"); entry; entry = entry->next_sibling("engine"))
            if (getVal(entry, "name") == engine) {
                thrust = getValF(entry, "thrust", thrust);
                turnSpeed = getValF(entry, "turnSpeed", turnSpeed);
                return;
            }
}

ShipState Autopilot::flyTo(const std::vector<std::string>& targets, double seconds, std::string& log) {
    auto start = std::chrono::steady_clock::now();
    ShipState state;
    if (!read(state)) {
        log += "no state\n";
        return state;
    }
    const PlanetOrbit* target = nullptr;
    for (const std::string& name : targets) {
        const PlanetOrbit* candidate = planet(name);
        if (candidate && candidate->world == state.world &&
            (!target || pointDistance(candidate->at(state.time), state.position) <
                            pointDistance(target->at(state.time), state.position)))
            target = candidate;
    }
    if (!target) {
        log += "no target in this world\n";
        return state;
    }
    log += "target " + target->name + "\n";
    float thrust = 0.0f, turnSpeed = 0.0f;
    engineFigures(state.engine, thrust, turnSpeed);

    while (secondsSince(start) < seconds) {
        if (!read(state)) {
            log += "no state\n";
            continue;
        }
        if (state.landed) {
            const PlanetOrbit* on = planet(state.planet);
            for (const std::string& name : targets)
                if (on && on->name == name) return state;
            // Came down somewhere else: up again.
            log += "landed on " + std::string(on ? on->name : "?") + ", taking off\n";
            game.holdKey("s", 0.3);
            game.holdKey("w", 0.2);
            continue;
        }
        const double when = state.time + LEAD_MS;
        point goal = target->at(when);
        point ahead = target->at(when + 100.0);
        point planetVelocity{(ahead.x - goal.x) / 100.0f, (ahead.y - goal.y) / 100.0f};
        point toGoal{goal.x - state.position.x, goal.y - state.position.y};
        float distance = std::hypot(toGoal.x, toGoal.y);
        float stopAt = target->radius + 45.0f;
        float speed = std::min(CRUISE_SPEED, std::sqrt(2.0f * PLANNED_DECELERATION * std::max(distance - stopAt, 0.0f)));
        point wanted{planetVelocity.x + toGoal.x / distance * speed, planetVelocity.y + toGoal.y / distance * speed};
        point change{wanted.x - state.velocity.x, wanted.y - state.velocity.y};
        float needed = std::hypot(change.x, change.y);
        char line[160];
        std::snprintf(line, sizeof line, "t %ld distance %.0f speed %.2f change %.2f hp %.0f\n", state.time, distance,
                      std::hypot(state.velocity.x, state.velocity.y), needed, state.hitpoints);
        log += line;
        if (needed < CLOSE_ENOUGH_SPEED) {
            game.pause(0.25);
            continue;
        }
        float turn = wrapAngle(std::atan2(change.y, change.x) - state.theta);
        float turnMs = std::abs(turn) / turnSpeed;
        if (turnMs > 15.0f) game.holdKey(turn > 0.0f ? "a" : "d", turnMs / 1000.0f);
        const int longest = needed > BIG_CHANGE ? LONGEST_BIG_BURN_MS : LONGEST_BURN_MS;
        game.holdKey("w", std::min(needed / thrust, static_cast<float>(longest)) / 1000.0f);
    }
    log += "gave up\n";
    state.landed = false;
    return state;
}
