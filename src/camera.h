// The perspective the world is drawn in: the eye above the player looking straight down, the
// visible height set by the zoom and the eye's height by the depth keys.
#pragma once

#include "basics.h"

struct CameraView {
    point centre;                 // world point under the middle of the viewport
    float nearHalfWidth = 1.0f;   // frustum half extents at the near plane
    float nearHalfHeight = 1.0f;
    float nearDistance = 1.0f;
    float farDistance = 2.0f;
    float lift = 0.0f;            // how far the eye is pulled back from its base height
    int viewportWidth = 1;
    int viewportHeight = 1;

    // The view the game builds from its zoom (visible height at the near plane), depth factor,
    // far factor and aspect ratio.
    static CameraView forGame(point centre, float viewHeight, float depth, float farFactor, float aspect,
                              int viewportWidth, int viewportHeight);
    // Loads the projection and model-view matrices for this view (model-view left current).
    void apply() const;
    // Distance from the eye to the world plane (z = 0).
    float eyeHeight() const;
    // World half extents seen on the plane `planeZ`, or false when the frustum clips that plane.
    bool halfExtentsAt(float planeZ, float& halfWidth, float& halfHeight) const;
};

// A flat projection for screen furniture: `left` … `right` across and `bottom` … `top` up, loaded
// into the projection matrix with the model-view matrix left current. `resetModelView` also
// clears the model-view transform (most furniture wants it; some draws rely on what it holds).
void flatProjection(double left, double right, double bottom, double top, bool resetModelView = true);
