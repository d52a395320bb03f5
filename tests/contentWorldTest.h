// The fixture of tests that play inside the small complete game (writeContent): the universe
// built, and the current world emptied of ships and shots so that each test places its own.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "testSupport.h"
#include "worldState.h"

class ContentWorldTest : public ::testing::Test {
protected:
    void SetUp() override {
        writeContent(dir);
        universe = buildUniverse(dir);
        ASSERT_TRUE(universe);
        world().ships.clear();
        world().projectiles.clear();
    }

    WorldState& world() { return universe->currentWorld(); }
    Ship& addShip(point where, const std::string& type = "Drone") {
        world().ships.emplace_back(where, type, 1, *universe);
        return world().ships.back();
    }

    TempDir dir;
    std::unique_ptr<Universe> universe;
};
