// The fixed texture sets of the world/HUD and of the UI, loaded once at start through SOIL.
#pragma once

#include <string>
#include <vector>

extern std::vector<unsigned> textures;
extern std::vector<unsigned> uiTextures;

// Mode 1 loads with mipmaps, 0 without, anything else loads nothing; 0 on failure.
unsigned loadSingleTexture(const std::string& fileName, int mode);
void loadSingleTexture(const std::string& fileName, std::vector<unsigned>& list, int mode);
void loadTextures();
void loadUITextures();
// The image files of the world/HUD set and of the UI set, in slot order.
const std::vector<std::string>& worldTextureFiles();
const std::vector<std::string>& uiTextureFiles();
// Texture name at a slot of `textures`, or 0 for a slot that does not exist.
unsigned textureSlot(int slot);
// Texture name at a slot of `uiTextures`, or 0 for a slot that does not exist.
unsigned uiTextureSlot(int slot);
// A new sampler object that magnifies linearly, minifies with `minFilter` and wraps both ways
// with `wrap` (GL enums); the caller deletes it. Needs sampler objects from the driver.
unsigned makeSampler(unsigned minFilter, unsigned wrap);
