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

// Where only one layer lies, the other one adds nothing; where neither does, the pixel is
// cleared as the masked program would leave it.
const char* const DUST_ONLY_FRAGMENT_SOURCE = R"(#version 130
uniform sampler2D dust;
uniform float dustRepeats;
in vec4 layerCoords;
void main() {
    vec4 near = texture(dust, layerCoords.xy * dustRepeats);
    gl_FragColor = vec4(near.rgb * near.a, near.a * near.a);
}
)";

const char* const NEBULA_ONLY_FRAGMENT_SOURCE = R"(#version 130
uniform sampler2D nebula;
in vec4 layerCoords;
void main() {
    vec4 far = texture(nebula, layerCoords.zw);
    gl_FragColor = far * far.a;
}
)";

const char* const NEITHER_FRAGMENT_SOURCE = R"(#version 130
void main() {
    gl_FragColor = vec4(0.0);
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

}  // namespace

BackgroundPass::BackgroundPass() {
    // Without shaders, or without GLSL 1.30 (checked by the compiler), the layers are drawn one
    // by one.
    if (!GLEW_VERSION_2_0) return;
    programs[MASKED] = linkProgram(FRAGMENT_SOURCE);
    if (programs[MASKED].id == 0) return;
    if (GLEW_VERSION_3_3 || GLEW_ARB_sampler_objects) {
        magnifiedDustSampler = makeSampler(GL_LINEAR, GL_REPEAT);
        // The nebula's own wrap mode blends its border colour into the outermost half texel,
        // which the software rasteriser samples on a slow path. The unmasked programs only run
        // where no pixel reaches that far, so clamping to the edge gives the same texels faster.
        innerNebulaSampler = makeSampler(GL_LINEAR, GL_CLAMP_TO_EDGE);
        programs[BOTH] = linkProgram(PLAIN_FRAGMENT_SOURCE);
        programs[DUST_ONLY] = linkProgram(DUST_ONLY_FRAGMENT_SOURCE);
        programs[NEBULA_ONLY] = linkProgram(NEBULA_ONLY_FRAGMENT_SOURCE);
        programs[NEITHER] = linkProgram(NEITHER_FRAGMENT_SOURCE);
    }
}

BackgroundPass::~BackgroundPass() {
    if (magnifiedDustSampler != 0) glDeleteSamplers(1, &magnifiedDustSampler);
    if (innerNebulaSampler != 0) glDeleteSamplers(1, &innerNebulaSampler);
    for (const Program& program : programs)
        if (program.id != 0) glDeleteProgram(program.id);
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

namespace {

// Where a layer's square lies along one screen axis, in pixels from the viewport's edge: its
// edges (coordinates 0 and 1) and the span the unmasked programs may sample (`margin` inside).
struct Span {
    float outerLow, innerLow, innerHigh, outerHigh;
};

Span spanOf(float centre, float halfView, float bound, float margin, int pixels) {
    // The vertex stage maps x in [-1, 1] to (centre + x * halfView + bound) / (2 * bound).
    auto pixelAt = [&](float coordinate) {
        const float x = (coordinate * 2.0f * bound - bound - centre) / halfView;
        return (x + 1.0f) * 0.5f * static_cast<float>(pixels);
    };
    return {pixelAt(0.0f), pixelAt(margin), pixelAt(1.0f - margin), pixelAt(1.0f)};
}

// Where a run of pixels [first, last) stands against a span: every centre at least a pixel
// inside it, a pixel outside it, or near an edge where only the masks can tell.
enum class Side { INSIDE, OUTSIDE, EDGE };

Side sideOf(const Span& span, int first, int last) {
    const float low = static_cast<float>(first) + 0.5f, high = static_cast<float>(last) - 0.5f;
    if (low >= span.innerLow + 1.0f && high <= span.innerHigh - 1.0f) return Side::INSIDE;
    if (high <= span.outerLow - 1.0f || low >= span.outerHigh + 1.0f) return Side::OUTSIDE;
    return Side::EDGE;
}

void addCuts(const Span& span, int pixels, std::vector<int>& cuts) {
    for (float edge : {span.outerLow - 1.0f, span.innerLow + 1.0f, span.innerHigh - 1.0f, span.outerHigh + 1.0f}) {
        if (!(edge > 0.0f && edge < static_cast<float>(pixels))) continue;  // also drops NaN
        cuts.push_back(static_cast<int>(std::floor(edge)));
        cuts.push_back(static_cast<int>(std::ceil(edge)));
    }
}

}  // namespace

std::vector<BackgroundPass::Region> BackgroundPass::regionsFor(const Layers& layers, const CameraView& view) const {
    const int width = view.viewportWidth, height = view.viewportHeight;
    const Region whole{MASKED, 0, 0, width, height};
    const bool unmasked = programs[BOTH].id != 0 && programs[DUST_ONLY].id != 0 && programs[NEBULA_ONLY].id != 0 &&
                          programs[NEITHER].id != 0;
    // A layer shown without its image is a plain-coloured square, which only the masked
    // program draws.
    if (!unmasked || width <= 0 || height <= 0 || (layers.dustShown && layers.dustSize == 0) ||
        (layers.nebulaShown && layers.nebulaSize == 0))
        return {whole};

    // A hidden layer lies nowhere: a span far off the screen.
    const Span nowhere{-1e9f, -1e9f, -1e9f, -1e9f};
    const float nebulaBound = NEBULA_EXTENT * XBOUND;
    const float nebulaMargin = layers.nebulaShown ? 0.5f / static_cast<float>(layers.nebulaSize) : 0.0f;
    const Span dustX = layers.dustShown ? spanOf(view.centre.x, layers.dustHalfWidth, XBOUND, 0.0f, width) : nowhere;
    const Span dustY = layers.dustShown ? spanOf(view.centre.y, layers.dustHalfHeight, XBOUND, 0.0f, height) : nowhere;
    const Span nebulaX =
        layers.nebulaShown ? spanOf(view.centre.x, layers.nebulaHalfWidth, nebulaBound, nebulaMargin, width) : nowhere;
    const Span nebulaY =
        layers.nebulaShown ? spanOf(view.centre.y, layers.nebulaHalfHeight, nebulaBound, nebulaMargin, height) : nowhere;

    std::vector<int> columns{0, width}, rows{0, height};
    addCuts(dustX, width, columns);
    addCuts(nebulaX, width, columns);
    addCuts(dustY, height, rows);
    addCuts(nebulaY, height, rows);
    for (std::vector<int>* cuts : {&columns, &rows}) {
        std::sort(cuts->begin(), cuts->end());
        cuts->erase(std::unique(cuts->begin(), cuts->end()), cuts->end());
    }

    // Each cell of the grid takes the cheapest program that draws it as the masked one would.
    auto layerSide = [](const Span& spanX, const Span& spanY, int x0, int x1, int y0, int y1) {
        const Side alongX = sideOf(spanX, x0, x1), alongY = sideOf(spanY, y0, y1);
        if (alongX == Side::OUTSIDE || alongY == Side::OUTSIDE) return Side::OUTSIDE;
        if (alongX == Side::INSIDE && alongY == Side::INSIDE) return Side::INSIDE;
        return Side::EDGE;
    };
    std::vector<Region> regions;
    for (size_t row = 0; row + 1 < rows.size(); ++row) {
        for (size_t column = 0; column + 1 < columns.size(); ++column) {
            const int x0 = columns[column], x1 = columns[column + 1], y0 = rows[row], y1 = rows[row + 1];
            const Side dust = layerSide(dustX, dustY, x0, x1, y0, y1);
            const Side nebula = layerSide(nebulaX, nebulaY, x0, x1, y0, y1);
            Kind kind = MASKED;
            if (dust != Side::EDGE && nebula != Side::EDGE) {
                if (dust == Side::INSIDE)
                    kind = nebula == Side::INSIDE ? BOTH : DUST_ONLY;
                else
                    kind = nebula == Side::INSIDE ? NEBULA_ONLY : NEITHER;
            }
            regions.push_back({kind, x0, y0, x1, y1});
        }
    }
    return regions;
}

bool BackgroundPass::drawsPlain(const CameraView& view) const {
    const std::vector<Region> regions = regionsFor(layersFor(view), view);
    return regions.size() == 1 && regions[0].kind == BOTH;
}

void BackgroundPass::draw(const CameraView& view) const {
    if (!usable()) return;
    const Layers layers = layersFor(view);
    drawRegions(regionsFor(layers, view), layers, view);
}

void BackgroundPass::drawMasked(const CameraView& view) const {
    if (!usable()) return;
    drawRegions({{MASKED, 0, 0, view.viewportWidth, view.viewportHeight}}, layersFor(view), view);
}

void BackgroundPass::drawRegions(const std::vector<Region>& regions, const Layers& layers,
                                 const CameraView& view) const {
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, layers.nebulaTexture);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, layers.dustTexture);
    if (layers.dustMagnified && magnifiedDustSampler != 0) glBindSampler(0, magnifiedDustSampler);
    // Every pixel is written once, so nothing is blended and the matrices are bypassed.
    glDisable(GL_BLEND);

    const float toX = 2.0f / static_cast<float>(std::max(view.viewportWidth, 1));
    const float toY = 2.0f / static_cast<float>(std::max(view.viewportHeight, 1));
    for (int kind = 0; kind < KINDS; ++kind) {
        const Program& program = programs[kind];
        if (std::none_of(regions.begin(), regions.end(), [&](const Region& r) { return r.kind == kind; })) continue;
        glUseProgram(program.id);
        glUniform2f(program.centre, view.centre.x, view.centre.y);
        glUniform2f(program.dustHalfView, layers.dustHalfWidth, layers.dustHalfHeight);
        glUniform2f(program.nebulaHalfView, layers.nebulaHalfWidth, layers.nebulaHalfHeight);
        glUniform1f(program.dustBound, XBOUND);
        glUniform1f(program.nebulaBound, NEBULA_EXTENT * XBOUND);
        glUniform2f(program.shown, layers.dustShown ? 1.0f : 0.0f, layers.nebulaShown ? 1.0f : 0.0f);
        glUniform2f(program.textured, layers.dustSize > 0 ? 1.0f : 0.0f, layers.nebulaTexture != 0 ? 1.0f : 0.0f);
        if (innerNebulaSampler != 0) glBindSampler(1, kind == MASKED ? 0 : innerNebulaSampler);
        glBegin(GL_QUADS);
        for (const Region& r : regions) {
            if (r.kind != kind) continue;
            // Whole regions span the screen exactly; the others meet on pixel edges.
            const float left = static_cast<float>(r.x0) * toX - 1.0f, right = static_cast<float>(r.x1) * toX - 1.0f;
            const float bottom = static_cast<float>(r.y0) * toY - 1.0f, top = static_cast<float>(r.y1) * toY - 1.0f;
            glVertex2f(left, bottom);
            glVertex2f(right, bottom);
            glVertex2f(right, top);
            glVertex2f(left, top);
        }
        glEnd();
    }
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
