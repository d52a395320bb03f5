// A fixed disc that sends the player to a point in another (or the same) world, drawn through
// the "wormhole" shader.
#include "wormhole.h"

#include <algorithm>
#include <iostream>

#include "effectLayer.h"
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

int Wormhole::layerFactor(const EffectLayer& layer) { return std::min(layer.factorFor(DETAIL), MOST_REDUCED); }

float Wormhole::shaderTime(int now) { return now / 1000.0f; }

void Wormhole::update(Universe& universe, int& now, EffectLayer* layer) {
    draw(now, layer);
    transfer(universe);
}

void Wormhole::draw(int now, EffectLayer* layer) const {
    // Without GLSL (GLEW failed to start) the entry points are null: draw fixed-function.
    bool glsl = glUseProgram != nullptr;
    reportError();
    // The funnel is drawn 20 units above its centre, within its radius.
    const point centre{loc.x, loc.y + 20.0f};
    const point low{centre.x - radius, centre.y - radius};
    const point high{centre.x + radius, centre.y + radius};
    // Every pixel of the mouth adds up the rings over it, which costs most when the mouth fills
    // the screen; the funnel is soft, and summed into a reduced layer it looks the same.
    const bool layered = glsl && shader != 0 && layer && EffectLayer::reachesView(low, high) &&
                         layer->begin(layerFactor(*layer), EffectLayer::Additive);
    if (glsl) glUseProgram(shader);
    glBindTexture(GL_TEXTURE_2D, textureSlot(17));
    // Without the program there are no uniforms to feed (fixed-function drawing).
    if (glsl && shader != 0) {
        glUniform1f(radiusUniform, radius);
        glUniform1f(timeUniform, shaderTime(now));
    }
    glPushMatrix();
    glTranslatef(centre.x, centre.y, 0.0f);
    drawUnitSlices();
    glPopMatrix();
    reportError();
    if (glsl) glUseProgram(0);
    if (layered) layer->end(low, high);
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
