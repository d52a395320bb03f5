// A fixed disc that sends the player to a point in another (or the same) world.
#pragma once

#include "basics.h"

class ShaderList;
class Universe;

class Wormhole {
public:
    Wormhole(int world, float x, float y, float radius, int targetWorld, float targetX, float targetY,
             const ShaderList& shaders);
    Wormhole(int world, point loc, float radius, int targetWorld, point targetLoc, const ShaderList& shaders);

    // Draws the wormhole and moves the player when it is inside and allowed to warp.
    void update(Universe& universe, int& now);
    // Moves the player if it is within the radius; the drawing-free half of update.
    void transfer(Universe& universe);
    void draw(int now) const;
    // The shader's "time": the frame timestamp in seconds.
    static float shaderTime(int now);

    int getWorld() const { return world; }
    point getLoc() const { return loc; }
    float getRadius() const { return radius; }
    int getTargetWorld() const { return targetWorld; }
    point getTargetLoc() const { return targetLoc; }

private:
    int world;
    point loc;
    float radius;
    int targetWorld;
    point targetLoc;
    int shader = 0;
    int timeUniform = 0;
    int radiusUniform = 0;
};
