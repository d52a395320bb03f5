// The wheel's stops, as plain arithmetic the frame loop and the tests share.
#include "zoomStops.h"

#include <algorithm>

ZoomStops ZoomStops::forWorld(float halfWorldWidth, float halfWorldHeight, float aspect, float shipHalfSize) {
    ZoomStops stops;
    // The world fits when both its height and its width do.
    stops.widestHeight = std::max(2.0f * halfWorldHeight, aspect > 0.0f ? 2.0f * halfWorldWidth / aspect : 0.0f);
    // The ship's full size may take half the height: the height is twice the ship's size.
    stops.closestHeight = 4.0f * shipHalfSize;
    return stops;
}

float ZoomStops::afterNotch(float viewHeight, bool in, float step, float planeScale) const {
    const float plane = viewHeight * planeScale;
    if (in) {
        // The notch that would put the ship beyond half the screen is refused.
        const float next = viewHeight / step;
        return next * planeScale < closestHeight ? viewHeight : next;
    }
    // Once the whole world shows, further notches would only add empty space.
    return plane >= widestHeight ? viewHeight : viewHeight * step;
}
