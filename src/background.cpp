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

// The common case - both images loaded, both planes in view and every pixel inside both squares
// - with the masks and the plain-colour mixes left out: they multiply by one there, so the
// picture is the same, and on a software rasteriser every instruction per pixel counts.
const char* const PLAIN_FRAGMENT_SOURCE = R"(#version 130
uniform sampler2D dust;
uniform sampler2D nebula;
uniform float dustRepeats;
in vec4 layerCoords;
void main() {
    vec4 near = texture(dust, layerCoords.xy * dustRepeats);
    vec4 far = texture(nebula, layerCoords.zw);
    gl_FragColor = far * far.a + vec4(near.rgb * near.a, near.a * near.a) * (1.0 - far.a);
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

// Links the shared vertex stage with one fragment stage and looks up its uniforms; a program of
// 0 when it does not build.
BackgroundProgram linkProgram(const char* fragmentSource) {
    BackgroundProgram built;
    GLuint vertex = compileStage(GL_VERTEX_SHADER, VERTEX_SOURCE);
    GLuint fragment = compileStage(GL_FRAGMENT_SHADER, fragmentSource);
    if (vertex == 0 || fragment == 0) {
        if (vertex) glDeleteShader(vertex);
        if (fragment) glDeleteShader(fragment);
        return built;
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
        return built;
    }
    built.id = linked;
    built.centre = glGetUniformLocation(linked, "centre");
    built.dustHalfView = glGetUniformLocation(linked, "dustHalfView");
    built.nebulaHalfView = glGetUniformLocation(linked, "nebulaHalfView");
    built.dustBound = glGetUniformLocation(linked, "dustBound");
    built.nebulaBound = glGetUniformLocation(linked, "nebulaBound");
    built.shown = glGetUniformLocation(linked, "shown");
    built.textured = glGetUniformLocation(linked, "textured");
    glUseProgram(linked);
    glUniform1i(glGetUniformLocation(linked, "dust"), 0);
    glUniform1i(glGetUniformLocation(linked, "nebula"), 1);
    glUniform1f(glGetUniformLocation(linked, "dustRepeats"), DUST_REPEATS);
    glUseProgram(0);
    return built;
}

GLuint linearSampler(GLenum wrap) {
    GLuint sampler = 0;
    glGenSamplers(1, &sampler);
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, wrap);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, wrap);
    return sampler;
}

}  // namespace

BackgroundPass::BackgroundPass() {
    // Without shaders, or without GLSL 1.30 (checked by the compiler), the layers are drawn one
    // by one.
    if (!GLEW_VERSION_2_0) return;
    general = linkProgram(FRAGMENT_SOURCE);
    if (general.id == 0) return;
    if (GLEW_VERSION_3_3 || GLEW_ARB_sampler_objects) {
        magnifiedDustSampler = linearSampler(GL_REPEAT);
        // The nebula's own wrap mode blends its border colour into the outermost half texel,
        // which the software rasteriser samples on a slow path. The plain pass only runs where
        // no pixel reaches that far, so clamping to the edge gives the same texels faster.
        innerNebulaSampler = linearSampler(GL_CLAMP_TO_EDGE);
        plain = linkProgram(PLAIN_FRAGMENT_SOURCE);
    }
}

BackgroundPass::~BackgroundPass() {
    if (magnifiedDustSampler != 0) glDeleteSamplers(1, &magnifiedDustSampler);
    if (innerNebulaSampler != 0) glDeleteSamplers(1, &innerNebulaSampler);
    if (plain.id != 0) glDeleteProgram(plain.id);
    if (general.id != 0) glDeleteProgram(general.id);
}

BackgroundPass::Layers BackgroundPass::layersFor(const CameraView& view) const {
    Layers layers;
    layers.dustTexture = textureSlot(SLOT_DUST);
    layers.nebulaTexture = textureSlot(SLOT_NEBULA);
    layers.dustSize = textureWidth(layers.dustTexture);
    layers.nebulaSize = textureWidth(layers.nebulaTexture);
    // A layer whose plane the frustum clips is left out; one whose image did not load is drawn
    // in the current colour.
    layers.dustShown = view.halfExtentsAt(0.0f, layers.dustHalfWidth, layers.dustHalfHeight);
    layers.nebulaShown = view.halfExtentsAt(NEBULA_DEPTH, layers.nebulaHalfWidth, layers.nebulaHalfHeight);

    // Texels of dust per pixel, as the rasteriser measures it for the level of detail.
    if (layers.dustShown && layers.dustSize > 0) {
        const float texelsPerUnit = static_cast<float>(layers.dustSize) * DUST_REPEATS / (2.0f * XBOUND);
        const float perPixelX = 2.0f * layers.dustHalfWidth / static_cast<float>(view.viewportWidth) * texelsPerUnit;
        const float perPixelY = 2.0f * layers.dustHalfHeight / static_cast<float>(view.viewportHeight) * texelsPerUnit;
        layers.dustMagnified = std::log2(std::max(perPixelX, perPixelY)) < MAGNIFIED_LOD;
    }
    return layers;
}

bool BackgroundPass::plainFits(const Layers& layers, const CameraView& view) const {
    if (plain.id == 0) return false;
    if (!layers.dustShown || !layers.nebulaShown || layers.dustSize == 0 || layers.nebulaSize == 0) return false;
    // Every pixel inside the world, and every pixel's nebula texels inside the image: the view's
    // corners, mapped as the vertex stage maps them, with half a texel to spare on the nebula.
    const float nebulaBound = NEBULA_EXTENT * XBOUND;
    const float nebulaMargin = 0.5f / static_cast<float>(layers.nebulaSize);
    for (float side : {-1.0f, 1.0f}) {
        const float dustX = (view.centre.x + side * layers.dustHalfWidth + XBOUND) / (2.0f * XBOUND);
        const float dustY = (view.centre.y + side * layers.dustHalfHeight + XBOUND) / (2.0f * XBOUND);
        const float nebulaX = (view.centre.x + side * layers.nebulaHalfWidth + nebulaBound) / (2.0f * nebulaBound);
        const float nebulaY = (view.centre.y + side * layers.nebulaHalfHeight + nebulaBound) / (2.0f * nebulaBound);
        if (std::min(dustX, dustY) < 0.0f || std::max(dustX, dustY) > 1.0f) return false;
        if (std::min(nebulaX, nebulaY) < nebulaMargin || std::max(nebulaX, nebulaY) > 1.0f - nebulaMargin) return false;
    }
    return true;
}

bool BackgroundPass::drawsPlain(const CameraView& view) const { return plainFits(layersFor(view), view); }

void BackgroundPass::draw(const CameraView& view) const {
    if (general.id == 0) return;
    const Layers layers = layersFor(view);
    drawWith(plainFits(layers, view) ? plain : general, layers, view);
}

void BackgroundPass::drawMasked(const CameraView& view) const {
    if (general.id == 0) return;
    drawWith(general, layersFor(view), view);
}

void BackgroundPass::drawWith(const Program& program, const Layers& layers, const CameraView& view) const {
    glUseProgram(program.id);
    glUniform2f(program.centre, view.centre.x, view.centre.y);
    glUniform2f(program.dustHalfView, layers.dustHalfWidth, layers.dustHalfHeight);
    glUniform2f(program.nebulaHalfView, layers.nebulaHalfWidth, layers.nebulaHalfHeight);
    glUniform1f(program.dustBound, XBOUND);
    glUniform1f(program.nebulaBound, NEBULA_EXTENT * XBOUND);
    glUniform2f(program.shown, layers.dustShown ? 1.0f : 0.0f, layers.nebulaShown ? 1.0f : 0.0f);
    glUniform2f(program.textured, layers.dustSize > 0 ? 1.0f : 0.0f, layers.nebulaTexture != 0 ? 1.0f : 0.0f);

    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, layers.nebulaTexture);
    if (&program == &plain) glBindSampler(1, innerNebulaSampler);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, layers.dustTexture);
    if (layers.dustMagnified && magnifiedDustSampler != 0) glBindSampler(0, magnifiedDustSampler);

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
    if (innerNebulaSampler != 0) glBindSampler(1, 0);

    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
    // As after the layer-by-layer path: the far layer's image is the one left bound.
    glBindTexture(GL_TEXTURE_2D, layers.nebulaTexture);
}
