// A fixed disc that sends the player to a point in another (or the same) world, drawn through
// the "wormhole" shader.
#include "wormhole.h"

#include <iostream>

#include "glHeaders.h"
#include "shaderList.h"
#include "textures.h"
#include "worldState.h"

Wormhole::Wormhole(int world, float x, float y, float radius, int targetWorld, float targetX, float targetY,
                   const ShaderList& shaders)
    : Wormhole(world, point{x, y}, radius, targetWorld, point{targetX, targetY}, shaders) {}

Wormhole::Wormhole(int world, point loc, float radius, int targetWorld, point targetLoc, const ShaderList& shaders)
    : world(world), loc(loc), radius(radius), targetWorld(targetWorld), targetLoc(targetLoc) {
    int program = 0;
    if (!shaders.getShader("wormhole", program)) {
        std::cout << "Error, can't access wormhole shader shader" << std::endl;
        shader = 0;
        timeUniform = 0;
        radiusUniform = 0;
        return;
    }
    shader = program;
    // A missing uniform gets location -1, which GL ignores.
    int location = -1;
    if (shaders.getUniform(shader, "time", location))
        timeUniform = location;
    else {
        timeUniform = -1;
        std::cout << "Error, can't access time uniform in wormhole shader shader" << std::endl;
    }
    location = -1;
    if (shaders.getUniform(shader, "radius", location))
        radiusUniform = location;
    else {
        radiusUniform = -1;
        std::cout << "Error, can't access radius uniform in wormhole shader shader" << std::endl;
    }
}

float Wormhole::shaderTime(int now) { return now / 1000.0f; }

void Wormhole::update(Universe& universe, int& now) {
    draw(now);
    transfer(universe);
}

void Wormhole::draw(int now) const {
    // Without GLSL (GLEW failed to start) the entry points are null: draw fixed-function.
    bool glsl = glUseProgram != nullptr;
    reportError();
    if (glsl) glUseProgram(shader);
    glBindTexture(GL_TEXTURE_2D, textureSlot(17));
    // Without the program there are no uniforms to feed (fixed-function drawing).
    if (glsl && shader != 0) {
        glUniform1f(radiusUniform, radius);
        glUniform1f(timeUniform, shaderTime(now));
    }
    glPushMatrix();
    glTranslatef(loc.x, loc.y, 0.0f);
    glTranslatef(0.0f, 20.0f, 0.0f);
    drawUnitSlices();
    glPopMatrix();
    reportError();
    if (glsl) glUseProgram(0);
}

void Wormhole::transfer(Universe& universe) {
    Player* player = universe.player.get();
    if (!player) return;
    if (pointDistance(player->getPosition(), loc) > radius) return;
    player->setIsClear(false);
    if (!player->getCanWarp()) return;
    player->setCanWarp(false);
    // A wormhole into a world that does not exist leaves the player where it is.
    if (targetWorld < 0 || static_cast<size_t>(targetWorld) >= universe.worlds.size()) {
        std::cout << "Error, wormhole leads to world " << targetWorld << ", which does not exist" << std::endl;
        return;
    }
    player->setPosition(targetLoc);
    player->warpWorld(targetWorld);
    if (world >= 0 && static_cast<size_t>(world) < universe.worlds.size()) universe.worlds[world].projectiles.clear();
}
