#include "worldEdge.h"

namespace {
// One axis: `bound` is the edge at +bound and -bound.
void keepInsideAxis(float& position, float& velocity, float bound, EdgeStop stop) {
    if (position > bound) {
        position = bound;
        if (stop == EdgeStop::wholeComponent || velocity > 0.0f) velocity = 0.0f;
    }
    if (position < -bound) {
        position = -bound;
        if (stop == EdgeStop::wholeComponent || velocity < 0.0f) velocity = 0.0f;
    }
}
}  // namespace

void keepInsideWorld(point& position, point& velocity, EdgeStop stop) {
    keepInsideAxis(position.x, velocity.x, XBOUND, stop);
    keepInsideAxis(position.y, velocity.y, YBOUND, stop);
}
