// A fixed disc that sends the player to a point in another (or the same) world.
#pragma once

#include "basics.h"

class EffectLayer;
class ShaderList;
class Universe;

class Wormhole {
public:
    Wormhole(int world, float x, float y, float radius, int targetWorld, float targetX, float targetY,
             const ShaderList& shaders);
    Wormhole(int world, point loc, float radius, int targetWorld, point targetLoc, const ShaderList& shaders);

    // The funnel's soft detail as the effects' layer measures it, in world units: the layer keeps
    // 16 of its pixels across it, so that one of them spans at most 8 units, which the picture
    // tests find as fine as the rings' edges need.
    static constexpr float DETAIL = 128.0f;
    // The most the funnel is reduced: at a thirty-second the spiral around the very centre, finer
    // the nearer it, starts to show the layer's pixels.
    static constexpr int MOST_REDUCED = 16;
    // The reduction `layer` gives the funnel at its pixel size now.
    static int layerFactor(const EffectLayer& layer);

    // Draws the wormhole and moves the player when it is inside and allowed to warp.
    void update(Universe& universe, int& now, EffectLayer* layer = nullptr);
    // Moves the player if it is within the radius; the drawing-free half of update.
    void transfer(Universe& universe);
    // Through `layer`, at a reduced resolution when the funnel is large on screen; directly
    // without one.
    void draw(int now, EffectLayer* layer = nullptr) const;
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
