// How far a texture's picture reaches from its centre, for the explosions' single squares.
#include "twinSquares.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "glHeaders.h"
#include "shaderList.h"

namespace {
// Beyond the base level's last texel with alpha, the smaller levels (used while an explosion
// is small on screen) spread it by about a texel of theirs: this much of the half-width more.
constexpr float MIPMAP_MARGIN = 0.08f;
// A square's corner: a texture drawn to its corners needs the whole square at either turn.
constexpr float WHOLE_SQUARE = 1.41422f;
}  // namespace

void TwinSquares::setProgram(int program) {
    if (program != checkedProgram) {
        checkedProgram = program;
        GLint linked = GL_FALSE;
        if (program != 0 && glGetProgramiv != nullptr) glGetProgramiv(static_cast<GLuint>(program), GL_LINK_STATUS, &linked);
        checkedLinked = linked == GL_TRUE;
    }
    currentProgram = checkedLinked ? program : 0;
}

void TwinSquares::useProgramOf(const ShaderList& shaders) {
    int program = 0;
    if (!shaders.getShader("explosion", program)) program = 0;
    setProgram(program);
}

float TwinSquares::reachOf(const unsigned char* alpha, int width, int height) {
    if (!alpha || width <= 0 || height <= 0) return WHOLE_SQUARE;
    float farthest = 0.0f;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (alpha[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] == 0) continue;
            // The texel's far corner, in half-widths from the centre.
            const float dx = (std::fabs(static_cast<float>(x) + 0.5f - width / 2.0f) + 0.5f) / (width / 2.0f);
            const float dy = (std::fabs(static_cast<float>(y) + 0.5f - height / 2.0f) + 0.5f) / (height / 2.0f);
            farthest = std::max(farthest, std::sqrt(dx * dx + dy * dy));
        }
    return std::min(farthest + MIPMAP_MARGIN, WHOLE_SQUARE);
}

float TwinSquares::reach(unsigned texture) {
    const auto known = reaches.find(texture);
    if (known != reaches.end()) return known->second;
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    float result = WHOLE_SQUARE;
    // A texture too large to read back cheaply is drawn over its whole square.
    if (width > 0 && height > 0 && width <= 4096 && height <= 4096) {
        std::vector<unsigned char> alpha(static_cast<size_t>(width) * static_cast<size_t>(height));
        GLint alignment = 4;
        glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, alpha.data());
        glPixelStorei(GL_PACK_ALIGNMENT, alignment);
        if (glGetError() == GL_NO_ERROR) result = reachOf(alpha.data(), width, height);
    }
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    reaches[texture] = result;
    return result;
}
