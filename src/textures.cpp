// Loads the fixed world/HUD and UI texture sets through SOIL, one slot per file.
#include "textures.h"

#include <SOIL/SOIL.h>

#include <iostream>

#include "basics.h"
#include "glHeaders.h"

std::vector<unsigned> textures;
std::vector<unsigned> uiTextures;

namespace {

// World and HUD images in slot order; content and code refer to these slots by number.
const std::vector<std::string> WORLD_FILES = {
    "player.png",      "mouse.png",      "enemy.png",          "explosion.png",   "laser.png",
    "bulletDot.png",   "fragment.png",   "blast.png",          "shockwaveBullet.png", "dust.png",
    "mars.png",        "radar.png",      "enemyRadar.png",     "playerRadar.png", "bluestar.png",
    "dotTriad.png",    "diamondParticle.png", "flame.tga",     "wormhole1.tga",   "map.png",
    "whiteDot.png",    "cloud.png",      "smokeColors.png",    "background2.png",
};

const std::vector<std::string> UI_FILES = {
    "buttonUp.png", "buttonSel.png", "buttonDown.png", "buttonDownSel.png", "arrow.png",
};

// The near background tiles across the world, so it must repeat.
constexpr int REPEATING_SLOT = 9;
// The far background is only ever magnified; mipmaps would waste memory.
constexpr int NO_MIPMAP_SLOT = 23;

const unsigned MIPMAP_FLAGS = SOIL_FLAG_MIPMAPS | SOIL_FLAG_INVERT_Y;

}  // namespace

unsigned loadSingleTexture(const std::string& fileName, int mode) {
    unsigned flags;
    if (mode == 1)
        flags = MIPMAP_FLAGS;
    else if (mode == 0)
        flags = SOIL_FLAG_INVERT_Y;
    else
        return 0;
    unsigned texture = SOIL_load_OGL_texture(fileName.c_str(), SOIL_LOAD_AUTO, SOIL_CREATE_NEW_ID, flags);
    if (texture == 0) {
        std::cout << "SOIL error loading " << fileName << ": " << SOIL_last_result() << std::endl;
        return 0;
    }
    // Left bound so the caller can set parameters on it next.
    glBindTexture(GL_TEXTURE_2D, texture);
    return texture;
}

void loadSingleTexture(const std::string& fileName, std::vector<unsigned>& list, int mode) {
    list.push_back(loadSingleTexture(fileName, mode));
}

const std::vector<std::string>& worldTextureFiles() { return WORLD_FILES; }

const std::vector<std::string>& uiTextureFiles() { return UI_FILES; }

void loadTextures() {
    glEnable(GL_TEXTURE_2D);
    int slot = 0;
    for (const std::string& file : WORLD_FILES) {
        loadSingleTexture(file, textures, slot == NO_MIPMAP_SLOT ? 0 : 1);
        // Only a texture that loaded is bound now; a failed slot must not change another's wrap.
        if (slot == REPEATING_SLOT && textures.back() != 0) {
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        }
        ++slot;
    }
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    reportError();
    glBindTexture(GL_TEXTURE_2D, 0);
}

void loadUITextures() {
    for (const std::string& file : UI_FILES) {
        unsigned texture = SOIL_load_OGL_texture(file.c_str(), SOIL_LOAD_AUTO, SOIL_CREATE_NEW_ID, MIPMAP_FLAGS);
        if (texture == 0)
            std::cout << "SOIL loading error on " << file << ": " << SOIL_last_result() << std::endl;
        else
            glBindTexture(GL_TEXTURE_2D, texture);
        uiTextures.push_back(texture);
    }
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    reportError();
    glBindTexture(GL_TEXTURE_2D, 0);
}

unsigned textureSlot(int slot) {
    if (slot < 0 || static_cast<size_t>(slot) >= textures.size()) return 0;
    return textures[slot];
}

unsigned uiTextureSlot(int slot) {
    if (slot < 0 || static_cast<size_t>(slot) >= uiTextures.size()) return 0;
    return uiTextures[slot];
}

unsigned makeSampler(unsigned minFilter, unsigned wrap) {
    GLuint sampler = 0;
    glGenSamplers(1, &sampler);
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, static_cast<GLint>(wrap));
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, static_cast<GLint>(wrap));
    return sampler;
}
