// The wheel's two stops: out to where the whole world fits the screen, in to where the ship
// still fits within half of the screen's height.
#pragma once

struct ZoomStops {
    float widestHeight = 0.0f;   // world-plane height at which the whole world shows
    float closestHeight = 0.0f;  // world-plane height below which the ship would overfill half the screen

    // Stops for a world of half extents `halfWorldWidth` x `halfWorldHeight`, a screen of
    // `aspect` (width / height) and a ship drawn `shipHalfSize` from its centre to its edge.
    static ZoomStops forWorld(float halfWorldWidth, float halfWorldHeight, float aspect, float shipHalfSize);

    // The view height after one wheel notch (in or out) from `viewHeight`, when the world plane
    // shows `planeScale` times the view height. A notch past a stop leaves the view as it is.
    float afterNotch(float viewHeight, bool in, float step, float planeScale) const;
};
