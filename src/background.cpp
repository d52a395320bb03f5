// One full-screen pass that composes the near dust and the far nebula exactly as two blended
// quads would: each pixel is traced back to the point of each plane it shows, both textures are
// sampled there, and the nebula is laid over the dust over black.
#include "background.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "glHeaders.h"
#include "shaderList.h"
#include "textures.h"

namespace {

// The planes face the camera, so where each pixel lands on them is an affine function of its
// screen position: the corners' texture coordinates, interpolated, give every pixel's. A layer's
// square is exactly where its coordinates lie in [0, 1].
const char* const VERTEX_SOURCE = R"(#version 130
uniform vec2 centre;
uniform vec2 dustHalfView;
uniform vec2 nebulaHalfView;
uniform float dustBound;
uniform float nebulaBound;
out vec4 layerCoords;
out vec4 plainColour;
void main() {
    gl_Position = gl_Vertex;
    plainColour = gl_Color;
    layerCoords.xy = (centre + gl_Vertex.xy * dustHalfView + dustBound) / (2.0 * dustBound);
    layerCoords.zw = (centre + gl_Vertex.xy * nebulaHalfView + nebulaBound) / (2.0 * nebulaBound);
}
)";

// The coordinates change across the screen as they would across the two quads, so the
// implicit level of detail is the one the quads would get. Blending the dust onto black leaves
// rgb * a (alpha a * a); the nebula then blends over that. A pixel outside a layer's square, or
// any pixel of a hidden layer, takes nothing from it. A layer without its image is the plain
// quad of the current colour, as an untextured quad would be.
const char* const FRAGMENT_SOURCE = R"(#version 130
uniform sampler2D dust;
uniform sampler2D nebula;
uniform float dustRepeats;
uniform vec2 shown;
uniform vec2 textured;
in vec4 layerCoords;
in vec4 plainColour;
void main() {
    vec4 near = mix(plainColour, texture(dust, layerCoords.xy * dustRepeats), textured.x);
    vec4 far = mix(plainColour, texture(nebula, layerCoords.zw), textured.y);
    vec4 inside = step(0.0, layerCoords) * step(layerCoords, vec4(1.0));
    near.a *= inside.x * inside.y * shown.x;
    far.a *= inside.z * inside.w * shown.y;
    vec4 colour = vec4(near.rgb * near.a, near.a * near.a);
    gl_FragColor = far * far.a + colour * (1.0 - far.a);
}
)";

// Below this level of detail the dust is magnified everywhere: its mipmaps are never read, and
// sampling it without them gives the same texels for less work. The margin keeps clear of the
// rasteriser's own rounding of the level.
constexpr float MAGNIFIED_LOD = -0.5f;

// Compiles one stage; 0 (after printing the log) when it does not compile.
GLuint compileStage(GLenum kind, const char* source) {
    std::string log;
    bool compiled = false;
    GLuint shader = compileShaderStage(kind, source, log, compiled);
    if (compiled) return shader;
    std::cout << "Background shader: " << log << std::endl;
    glDeleteShader(shader);
    return 0;
}

// Width of level 0 of `texture` in texels, or 0 for no texture.
int textureWidth(unsigned texture) {
    if (texture == 0) return 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    return width;
}

}  // namespace

BackgroundPass::BackgroundPass() {
    // Without shaders, or without GLSL 1.30 (textureLod in a fragment shader, checked by the
    // compiler), the layers are drawn one by one.
    if (!GLEW_VERSION_2_0) return;
    GLuint vertex = compileStage(GL_VERTEX_SHADER, VERTEX_SOURCE);
    GLuint fragment = compileStage(GL_FRAGMENT_SHADER, FRAGMENT_SOURCE);
    if (vertex == 0 || fragment == 0) {
        if (vertex) glDeleteShader(vertex);
        if (fragment) glDeleteShader(fragment);
        return;
    }
    GLuint linked = glCreateProgram();
    glAttachShader(linked, vertex);
    glAttachShader(linked, fragment);
    glLinkProgram(linked);
    // The program keeps what it needs; the stages go with it.
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint status = GL_FALSE;
    glGetProgramiv(linked, GL_LINK_STATUS, &status);
    if (status != GL_TRUE) {
        std::cout << "Background shader did not link" << std::endl;
        glDeleteProgram(linked);
        return;
    }
    program = linked;
    dustLocation = glGetUniformLocation(program, "dust");
    nebulaLocation = glGetUniformLocation(program, "nebula");
    centreLocation = glGetUniformLocation(program, "centre");
    dustHalfViewLocation = glGetUniformLocation(program, "dustHalfView");
    nebulaHalfViewLocation = glGetUniformLocation(program, "nebulaHalfView");
    dustBoundLocation = glGetUniformLocation(program, "dustBound");
    nebulaBoundLocation = glGetUniformLocation(program, "nebulaBound");
    shownLocation = glGetUniformLocation(program, "shown");
    texturedLocation = glGetUniformLocation(program, "textured");
    glUseProgram(program);
    glUniform1i(dustLocation, 0);
    glUniform1i(nebulaLocation, 1);
    glUniform1f(glGetUniformLocation(program, "dustRepeats"), DUST_REPEATS);
    glUseProgram(0);

    if (GLEW_VERSION_3_3 || GLEW_ARB_sampler_objects) {
        glGenSamplers(1, &magnifiedDustSampler);
        glSamplerParameteri(magnifiedDustSampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glSamplerParameteri(magnifiedDustSampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glSamplerParameteri(magnifiedDustSampler, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glSamplerParameteri(magnifiedDustSampler, GL_TEXTURE_WRAP_T, GL_REPEAT);
    }
}

BackgroundPass::~BackgroundPass() {
    if (magnifiedDustSampler != 0) glDeleteSamplers(1, &magnifiedDustSampler);
    if (program != 0) glDeleteProgram(program);
}

void BackgroundPass::draw(const CameraView& view) const {
    if (program == 0) return;
    const unsigned dustTexture = textureSlot(SLOT_DUST);
    const unsigned nebulaTexture = textureSlot(SLOT_NEBULA);

    // A layer whose plane the frustum clips is left out; one whose image did not load is drawn
    // in the current colour.
    float dustHalfWidth = 0.0f, dustHalfHeight = 0.0f, nebulaHalfWidth = 0.0f, nebulaHalfHeight = 0.0f;
    const int dustSize = textureWidth(dustTexture);
    const bool dustShown = view.halfExtentsAt(0.0f, dustHalfWidth, dustHalfHeight);
    const bool nebulaShown = view.halfExtentsAt(NEBULA_DEPTH, nebulaHalfWidth, nebulaHalfHeight);

    // Texels of dust per pixel, as the rasteriser measures it for the level of detail.
    bool dustMagnified = false;
    if (dustShown && dustSize > 0) {
        const float texelsPerUnit = static_cast<float>(dustSize) * DUST_REPEATS / (2.0f * XBOUND);
        const float perPixelX = 2.0f * dustHalfWidth / static_cast<float>(view.viewportWidth) * texelsPerUnit;
        const float perPixelY = 2.0f * dustHalfHeight / static_cast<float>(view.viewportHeight) * texelsPerUnit;
        dustMagnified = std::log2(std::max(perPixelX, perPixelY)) < MAGNIFIED_LOD;
    }

    glUseProgram(program);
    glUniform2f(centreLocation, view.centre.x, view.centre.y);
    glUniform2f(dustHalfViewLocation, dustHalfWidth, dustHalfHeight);
    glUniform2f(nebulaHalfViewLocation, nebulaHalfWidth, nebulaHalfHeight);
    glUniform1f(dustBoundLocation, XBOUND);
    glUniform1f(nebulaBoundLocation, NEBULA_EXTENT * XBOUND);
    glUniform2f(shownLocation, dustShown ? 1.0f : 0.0f, nebulaShown ? 1.0f : 0.0f);
    glUniform2f(texturedLocation, dustSize > 0 ? 1.0f : 0.0f, nebulaTexture != 0 ? 1.0f : 0.0f);

    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, nebulaTexture);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, dustTexture);
    if (dustMagnified && magnifiedDustSampler != 0) glBindSampler(0, magnifiedDustSampler);

    // Every pixel is written once, so nothing is blended and the matrices are bypassed.
    glDisable(GL_BLEND);
    glBegin(GL_QUADS);
    glVertex2f(-1.0f, -1.0f);
    glVertex2f(1.0f, -1.0f);
    glVertex2f(1.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
    glEnable(GL_BLEND);
    glUseProgram(0);
    if (magnifiedDustSampler != 0) glBindSampler(0, 0);

    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
    // As after the layer-by-layer path: the far layer's image is the one left bound.
    glBindTexture(GL_TEXTURE_2D, nebulaTexture);
}
