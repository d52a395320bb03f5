// Shared test helpers.
#include "testSupport.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <boost/filesystem.hpp>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include "displayWait.h"
#include "glHeaders.h"
#include "loadGalaxy.h"
#include "shaderList.h"
#include "worldState.h"

void ensureGlContext() {
    static bool ready = false;
    if (ready) return;
    ready = true;
    waitForDisplay();
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO) != 0) {
        // Drawing tests would crash on null GL entry points; stop with the reason instead.
        std::cerr << "SDL init failed in tests: " << SDL_GetError() << std::endl;
        std::exit(2);
    }
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    if (!SDL_SetVideoMode(320, 256, 32, SDL_OPENGL)) {
        std::cerr << "No GL window in tests: " << SDL_GetError() << std::endl;
        std::exit(2);
    }
    glewInit();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
}

TempDir::TempDir() {
    boost::filesystem::path p =
        boost::filesystem::temp_directory_path() / boost::filesystem::unique_path("quorble-test-%%%%-%%%%-%%%%");
    boost::filesystem::create_directories(p);
    dir = p.string() + "/";
}

TempDir::~TempDir() {
    boost::system::error_code ignored;
    boost::filesystem::remove_all(dir, ignored);
}

void TempDir::write(const std::string& name, const std::string& text) const {
    boost::filesystem::path p(dir + name);
    boost::filesystem::create_directories(p.parent_path());
    std::ofstream out(p.string(), std::ios::binary);
    out << text;
}

std::string TempDir::read(const std::string& name) const {
    std::ifstream in(dir + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool TempDir::exists(const std::string& name) const { return boost::filesystem::exists(dir + name); }

std::map<std::string, std::string> minimalContent() {
    std::map<std::string, std::string> files;
    files["universe.xml"] = R"(<universe>
  <world name="Alpha" size="100000">
    <star name="Sol" xcoord="0" ycoord="0" texture="14" density="1" radius="500">
      <planet name="Terra" texture="10" initRot="0" rotationalSpeed="0.01" initLoc="0" orbitSpeed="0.001"
              orbitRadius="3000" density="1" radius="200" element1="5" elementStockpile1="10" drillLevel1="1"
              factionOwner="1" starbase="2" health="50">
        <extraData note="home"/>
        <tradeGood name="Ore" price="12"/>
        <tradeGood name="Water" price="3.5"/>
        <equipment name="Basic Engine" price="100"/>
      </planet>
      <planet name="Luna" texture="10" initLoc="90" orbitRadius="6000" density="1" radius="100"/>
    </star>
    <wormhole xcoord="20000" ycoord="0" radius="300" targetWorld="1" targetXcoord="0" targetYcoord="20000"/>
  </world>
  <world name="Beta" size="100000">
    <star name="Vega" xcoord="5000" ycoord="5000" texture="14" density="2" radius="400">
      <planet name="Rock" texture="10" initLoc="180" orbitRadius="2000" density="1" radius="150"/>
    </star>
    <wormhole xcoord="0" ycoord="20000" radius="300" targetWorld="0" targetXcoord="20000" targetYcoord="0"/>
  </world>
</universe>
)";
    files["projectiles.xml"] = R"(<projectiles>
  <projectile name="Pellet" cooldown="200" speed="2" lifetime="2000" damage="10" size="10"/>
  <projectile name="Beam" cooldown="0" speed="0" lifetime="0" damage="0.05" size="5"/>
  <projectile name="Blast" cooldown="1000" speed="1" lifetime="1500" damage="0.01" onDeathEffect="1"/>
  <projectile name="Shard" cooldown="100" speed="1.5" lifetime="500" damage="5" size="5"/>
  <projectile name="Cluster" cooldown="800" speed="1" lifetime="800" damage="20">
    <fragment trigger="onDeath" fragType="Shard"/>
  </projectile>
</projectiles>
)";
    files["shaders.xml"] = R"(<shaders>
</shaders>
)";
    files["relations.xml"] = R"(<relations>
  <faction name="Player">
    <relation name="Pirates" attitude="hostile"/>
  </faction>
  <faction name="Pirates">
    <relation name="Player" attitude="hostile"/>
    <relation name="Traders" attitude="hostile"/>
  </faction>
  <faction name="Traders">
    <relation name="Pirates" attitude="hostile"/>
  </faction>
</relations>
)";
    files["shipData.xml"] = R"(<ships>
  <ship name="Drone" aiType="0" thrust="0.001" hitpoints="50" size="30"/>
  <ship name="Raider" aiType="4" thrust="0.002" hitpoints="100" size="40">
    <weapon name="Pellet"/>
    <trail name="glowTrail" red="1" green="0.3" blue="0.1" length="400"/>
  </ship>
  <ship name="Hauler" aiType="2" thrust="0.001" hitpoints="200" size="50"/>
</ships>
)";
    files["PlayerData.xml"] = R"(<player>
  <position x="0" y="-10000"/>
  <engine name="Basic Engine"/>
  <hull name="Light Hull"/>
  <gravTool name="Basic Grav Tool"/>
  <weapon name="Pellet"/>
  <weapon name="Beam"/>
  <weapon name="Cluster"/>
  <extraData credits="500"/>
</player>
)";
    files["EquipmentData.xml"] = R"(<equipment>
  <engines>
    <engine name="Basic Engine" thrust="0.0005" revThrust="0.0002" turnSpeed="0.004"/>
    <engine name="Fast Engine" thrust="0.001" revThrust="0.0004" turnSpeed="0.006"/>
  </engines>
  <hulls>
    <hull name="Light Hull" hitpoints="500" mass="1" size="40" cargo="10"/>
    <hull name="Heavy Hull" hitpoints="900" mass="2" size="50" cargo="4"/>
  </hulls>
  <gravTools>
    <gravTool name="Basic Grav Tool" rechargeDelay="1" rechargeSpeed="0.5" charge="400">
      <left name="Pull" spacing="50" mass="5000" cost="0.2" lifetime="3000"/>
      <right name="Push" spacing="50" mass="-5000" cost="0.2" lifetime="3000"/>
    </gravTool>
    <gravTool name="Big Grav Tool" rechargeDelay="1" rechargeSpeed="1" charge="900">
      <left name="Deep Pull" spacing="40" mass="9000" cost="0.3" lifetime="3000"/>
      <right name="Hard Push" spacing="40" mass="-9000" cost="0.3" lifetime="3000"/>
    </gravTool>
  </gravTools>
</equipment>
)";
    return files;
}

void writeContent(const TempDir& dir, const std::map<std::string, std::string>& overrides) {
    std::map<std::string, std::string> files = minimalContent();
    for (const auto& entry : overrides) files[entry.first] = entry.second;
    for (const auto& entry : files)
        if (!entry.second.empty()) dir.write(entry.first, entry.second);
}

std::unique_ptr<Universe> buildUniverse(const TempDir& dir) {
    ensureGlContext();
    auto universe = std::make_unique<Universe>(dir.path());
    if (!universe->loaded()) return nullptr;
    initializeShaders(*universe);
    if (!initializeStars(*universe, nullptr)) return nullptr;
    universe->player = initializePlayer(*universe);
    if (!universe->player) return nullptr;
    return universe;
}

std::string captureOutput(const std::function<void()>& action) {
    std::cout.flush();
    testing::internal::CaptureStdout();
    action();
    std::cout.flush();
    return testing::internal::GetCapturedStdout();
}

std::string shippedDataDirectory() { return std::string(QUORBLE_SOURCE_DIR) + "/data/"; }

std::string referenceShaderDirectory() { return std::string(QUORBLE_SOURCE_DIR) + "/tests/reference/"; }

void startPicture(int width, int height, const float clearColour[4], unsigned blendDestination) {
    glViewport(0, 0, width, height);
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, blendDestination);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
}

void pixelProjection(int width, int height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, width, 0, height);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

std::vector<unsigned char> readScreen(int width, int height) {
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

PictureDifference comparePictures(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    PictureDifference d;
    if (a.size() != b.size()) {
        d.largest = 255;
        d.farOffShare = 1.0;
        return d;
    }
    long farOff = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const int gap = std::abs(static_cast<int>(a[i]) - static_cast<int>(b[i]));
        d.largest = std::max(d.largest, gap);
        if (gap > 2) ++farOff;
        if (a[i] > 40) ++d.lit;
    }
    if (!a.empty()) d.farOffShare = static_cast<double>(farOff) / static_cast<double>(a.size());
    return d;
}
