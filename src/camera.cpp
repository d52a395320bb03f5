// Builds and loads the world's perspective.
#include "camera.h"

#include "glHeaders.h"

namespace {
// The model-view pushes the world this far in front of the lifted eye.
constexpr float MODEL_OFFSET = 1.0f;
constexpr float NEAR_PER_DEPTH = 10000.0f;
constexpr float FAR_PER_FACTOR = 200000.0f;
}  // namespace

CameraView CameraView::forGame(point centre, float viewHeight, float depth, float farFactor, float aspect,
                               int viewportWidth, int viewportHeight) {
    CameraView view;
    view.centre = centre;
    view.nearHalfHeight = viewHeight / 2.0f;
    view.nearHalfWidth = view.nearHalfHeight * aspect;
    view.nearDistance = NEAR_PER_DEPTH * depth;
    view.farDistance = FAR_PER_FACTOR * farFactor;
    view.lift = NEAR_PER_DEPTH * depth;
    view.viewportWidth = viewportWidth;
    view.viewportHeight = viewportHeight;
    return view;
}

void CameraView::apply() const {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-nearHalfWidth, nearHalfWidth, -nearHalfHeight, nearHalfHeight, nearDistance, farDistance);
    glTranslatef(-centre.x, -centre.y, 0.0f);
    glTranslatef(0.0f, 0.0f, -lift);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -MODEL_OFFSET);
}

float CameraView::eyeHeight() const { return lift + MODEL_OFFSET; }

bool CameraView::halfExtentsAt(float planeZ, float& halfWidth, float& halfHeight) const {
    const float distance = eyeHeight() - planeZ;
    if (nearDistance <= 0.0f || distance < nearDistance || distance > farDistance) return false;
    halfWidth = nearHalfWidth * distance / nearDistance;
    halfHeight = nearHalfHeight * distance / nearDistance;
    return true;
}

void flatProjection(double left, double right, double bottom, double top, bool resetModelView) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(left, right, bottom, top);
    glMatrixMode(GL_MODELVIEW);
    if (resetModelView) glLoadIdentity();
}
