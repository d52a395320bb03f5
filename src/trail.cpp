// The ring of samples shared by every trail kind.
#include "trail.h"

#include "glHeaders.h"

#include <algorithm>

namespace {
// Samples kept at most: a trail length from content (a ship type's "length") must not allocate
// without bound, nor overflow the ring arithmetic.
const int MAX_SAMPLES = 5000;
}  // namespace

Trail::Trail(int length, point start, int interval, float width, float red, float green, float blue)
    : interval(interval),
      length(std::clamp(length, 0, MAX_SAMPLES)),
      width(width),
      red(red),
      green(green),
      blue(blue),
      points(this->length + 1, start), visibleFlags(this->length + 1, true) {}

void Trail::update(point p, int dt) {
    if (length == 0) return;
    elapsed += dt;
    if (elapsed >= interval) {
        head = (head + 1) % (length + 1);
        points[head] = p;
        visibleFlags[head] = visible;
        elapsed -= interval;
    }
}

void Trail::clear(point p) {
    for (point& sample : points) sample = p;
}

void Trail::draw(point current) const {
    if (length == 0) return;
    glColor3f(red, green, blue);
    glBegin(GL_LINE_STRIP);
    for (int i = 1; i <= length; ++i) {
        const point& sample = points[slotAt(i)];
        glVertex2f(sample.x, sample.y);
    }
    glVertex2f(current.x, current.y);
    glEnd();
}
