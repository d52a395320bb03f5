// Tests of the fixed texture sets: slot order survives missing files, the wrap and mipmap
// choices, the loader modes and the shipped images.
#include <gtest/gtest.h>

#include <unistd.h>

#include <boost/filesystem.hpp>
#include <algorithm>
#include <cctype>
#include <climits>
#include <fstream>

#include "glHeaders.h"
#include "testSupport.h"
#include "textures.h"

namespace {

const char* const CONTENT_FILES[] = {
    "whiteLaser.png", "shipDrone.png", "shipChaser.png", "shipRunner.png", "shipRinger.png", "shipFighter.png",
    "shipHeavy.png",  "pellet.png",    "beam.png",       "missile.png",    "shell.png",      "bomb.png",
    "spark.png",      "plasma.png",
};

// Runs the loaders inside a copy of the shipped images (minus `skip`) and restores the working
// directory and the process-wide lists afterwards.
class TextureSetTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureGlContext();
        char buffer[PATH_MAX];
        ASSERT_NE(getcwd(buffer, sizeof buffer), nullptr);
        oldDirectory = buffer;
        savedTextures.swap(textures);
        savedUiTextures.swap(uiTextures);
    }

    void TearDown() override {
        EXPECT_EQ(chdir(oldDirectory.c_str()), 0);
        textures.swap(savedTextures);
        uiTextures.swap(savedUiTextures);
    }

    void copyShipped(const std::string& skip = "") {
        for (const std::string& name : worldTextureFiles()) copyOne(name, skip);
        for (const std::string& name : uiTextureFiles()) copyOne(name, skip);
        ASSERT_EQ(chdir(dir.path().c_str()), 0);
    }

    void copyOne(const std::string& name, const std::string& skip) {
        if (name == skip) return;
        boost::filesystem::copy_file(shippedDataDirectory() + name, dir.path() + name);
    }

    // The size of a texture's level 0, or 0 when it is not a texture.
    static int widthOf(unsigned texture, int level = 0) {
        glBindTexture(GL_TEXTURE_2D, texture);
        GLint width = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
        glBindTexture(GL_TEXTURE_2D, 0);
        return width;
    }

    // Level 0 of a texture as RGBA bytes.
    static std::vector<unsigned char> pixelsOf(unsigned texture) {
        const int width = widthOf(texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        GLint height = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);
        if (!pixels.empty()) glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        glBindTexture(GL_TEXTURE_2D, 0);
        return pixels;
    }

    TempDir dir;
    std::string oldDirectory;
    std::vector<unsigned> savedTextures;
    std::vector<unsigned> savedUiTextures;
};

TEST_F(TextureSetTest, AllShippedImagesLoadQuietly) {
    copyShipped();
    std::string out = captureOutput([] {
        loadTextures();
        loadUITextures();
    });
    EXPECT_EQ(out, "");
    ASSERT_EQ(textures.size(), 24u);
    ASSERT_EQ(uiTextures.size(), 5u);
    for (size_t i = 0; i < textures.size(); ++i) EXPECT_NE(textures[i], 0u) << worldTextureFiles()[i];
    for (size_t i = 0; i < uiTextures.size(); ++i) EXPECT_NE(uiTextures[i], 0u) << uiTextureFiles()[i];
}

TEST_F(TextureSetTest, MissingImageCostsOnlyItsSlot) {
    copyShipped("mars.png");
    std::string out = captureOutput([] { loadTextures(); });
    EXPECT_EQ(out.rfind("SOIL error loading mars.png: ", 0), 0u) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1);
    ASSERT_EQ(textures.size(), 24u);
    EXPECT_EQ(textures[10], 0u);
    EXPECT_EQ(textureSlot(10), 0u);
    // Slot 11 is still the radar disc: the same pixels as a fresh load of that file.
    ASSERT_NE(textures[11], 0u);
    const std::vector<unsigned char> radar = pixelsOf(loadSingleTexture("radar.png", 1));
    EXPECT_FALSE(radar.empty());
    EXPECT_TRUE(pixelsOf(textures[11]) == radar);
    EXPECT_FALSE(pixelsOf(textures[12]) == radar);
}

TEST_F(TextureSetTest, MissingUiImageIsReported) {
    copyShipped("arrow.png");
    std::string out = captureOutput([] { loadUITextures(); });
    EXPECT_EQ(out.rfind("SOIL loading error on arrow.png: ", 0), 0u) << out;
    ASSERT_EQ(uiTextures.size(), 5u);
    EXPECT_EQ(uiTextures[4], 0u);
    EXPECT_NE(uiTextures[3], 0u);
    EXPECT_EQ(uiTextureSlot(4), 0u);
    EXPECT_EQ(uiTextureSlot(5), 0u);
    EXPECT_EQ(uiTextureSlot(-1), 0u);
}

TEST_F(TextureSetTest, DustRepeatsAndNebulaHasNoMipmaps) {
    copyShipped();
    captureOutput([] { loadTextures(); });
    ASSERT_EQ(textures.size(), 24u);
    glBindTexture(GL_TEXTURE_2D, textures[9]);
    GLint wrapS = 0, wrapT = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
    EXPECT_EQ(wrapS, GL_REPEAT);
    EXPECT_EQ(wrapT, GL_REPEAT);
    // Loaded with mipmaps: level 1 exists for the dust, not for the far background.
    EXPECT_GT(widthOf(textures[9], 1), 0);
    EXPECT_EQ(widthOf(textures[23], 1), 0);
    GLint env = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    EXPECT_EQ(env, GL_MODULATE);
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
}

TEST_F(TextureSetTest, SlotLookupIsBounded) {
    textures = {11, 22, 33};
    EXPECT_EQ(textureSlot(0), 11u);
    EXPECT_EQ(textureSlot(2), 33u);
    EXPECT_EQ(textureSlot(3), 0u);
    EXPECT_EQ(textureSlot(-1), 0u);
    EXPECT_EQ(textureSlot(1 << 30), 0u);
}

class SingleTextureTest : public ::testing::Test {
protected:
    void SetUp() override { ensureGlContext(); }
};

TEST_F(SingleTextureTest, ModesChooseMipmaps) {
    const std::string path = shippedDataDirectory() + "whiteDot.png";
    unsigned withMipmaps = loadSingleTexture(path, 1);
    ASSERT_NE(withMipmaps, 0u);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<unsigned>(bound), withMipmaps);

    unsigned without = loadSingleTexture(path, 0);
    ASSERT_NE(without, 0u);
    GLint level1 = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &level1);
    EXPECT_EQ(level1, 0);

    std::vector<unsigned> list;
    std::string out = captureOutput([&] {
        EXPECT_EQ(loadSingleTexture(path, 2), 0u);
        loadSingleTexture(path, list, -1);
    });
    EXPECT_EQ(out, "");
    EXPECT_EQ(list, std::vector<unsigned>{0u});
}

TEST_F(SingleTextureTest, MissingFileReportsAndReturnsZero) {
    std::vector<unsigned> list;
    std::string out = captureOutput([&] { loadSingleTexture("/nonexistent/none.png", list, 1); });
    EXPECT_EQ(out.rfind("SOIL error loading /nonexistent/none.png: ", 0), 0u) << out;
    EXPECT_EQ(list, std::vector<unsigned>{0u});
}

// Every image the game ships, by name, decodes with power-of-two sides.
class ShippedImageTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ShippedImageTest, DecodesWithPowerOfTwoSides) {
    ensureGlContext();
    std::string out;
    unsigned texture = 0;
    out = captureOutput([&] { texture = loadSingleTexture(shippedDataDirectory() + GetParam(), 1); });
    ASSERT_NE(texture, 0u) << out;
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(1, &texture);
    EXPECT_GE(width, 64);
    EXPECT_LE(width, 512);
    EXPECT_GE(height, 64);
    EXPECT_LE(height, 512);
    EXPECT_EQ(width & (width - 1), 0);
    EXPECT_EQ(height & (height - 1), 0);
}

std::vector<const char*> allShippedImages() {
    // The loader's tables live as long as the program, so their texts can be parameters.
    std::vector<const char*> all;
    for (const std::string& name : worldTextureFiles()) all.push_back(name.c_str());
    for (const std::string& name : uiTextureFiles()) all.push_back(name.c_str());
    all.insert(all.end(), std::begin(CONTENT_FILES), std::end(CONTENT_FILES));
    return all;
}

std::string imageTestName(const ::testing::TestParamInfo<const char*>& info) {
    std::string name;
    for (const char* c = info.param; *c; ++c)
        if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
    return name;
}

TEST(ShippedSoundTest, EngineLoopIsAPlainWave) {
    std::ifstream file(shippedDataDirectory() + "sounds/engine.wav", std::ios::binary);
    char header[44] = {};
    ASSERT_TRUE(file.read(header, sizeof header));
    EXPECT_EQ(std::string(header, 4), "RIFF");
    EXPECT_EQ(std::string(header + 8, 8), "WAVEfmt ");
    // PCM, one channel, 16 bits.
    EXPECT_EQ(header[20], 1);
    EXPECT_EQ(header[22], 1);
    EXPECT_EQ(header[34], 16);
}

INSTANTIATE_TEST_SUITE_P(AllImages, ShippedImageTest, ::testing::ValuesIn(allShippedImages()), imageTestName);

}  // namespace
