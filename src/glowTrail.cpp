// The glowing ribbon: every sample is sent with the one before it so the vertex program can
// widen the segment sideways.
#include "glowTrail.h"

#include <iostream>

#include "glHeaders.h"
#include "shaderList.h"

GlowTrail::GlowTrail(int length, point start, int interval, float width, float red, float green, float blue,
                     const ShaderList& shaders)
    : Trail(length, start, interval, width, red, green, blue) {
    if (!shaders.getShader("glowTrail", shader)) {
        shader = 0;
        std::cout << "Error, can't access glow trail shader" << std::endl;
    }
}

std::vector<GlowVertex> GlowTrail::ribbon(point current) const {
    std::vector<GlowVertex> vertices;
    if (length == 0) return vertices;
    unsigned a = head;
    unsigned b = slotBefore(head);
    for (int i = 1; i <= length; ++i) {
        a = slotAt(i);
        b = slotBefore(a);
        if (!visibleFlags[a] || !visibleFlags[b]) continue;
        float halfWidth = static_cast<float>(i) / static_cast<float>(length) * width;
        vertices.push_back({points[a].x, points[a].y, points[b].x, points[b].y, -halfWidth});
        vertices.push_back({points[a].x, points[a].y, points[b].x, points[b].y, halfWidth});
    }
    // The segment from the newest sample to the ship itself.
    if (visibleFlags[a] && visibleFlags[b]) {
        vertices.push_back({current.x, current.y, points[head].x, points[head].y, -width});
        vertices.push_back({current.x, current.y, points[head].x, points[head].y, width});
    }
    return vertices;
}

void GlowTrail::draw(point current) const {
    if (length == 0) return;
    std::vector<GlowVertex> vertices = ribbon(current);
    glUseProgram(shader);
    glBegin(GL_QUAD_STRIP);
    for (const GlowVertex& v : vertices) {
        glColor4f(red, green, blue, v.halfWidth);
        glVertex4f(v.x, v.y, v.z, v.w);
    }
    glEnd();
    glUseProgram(0);
}
