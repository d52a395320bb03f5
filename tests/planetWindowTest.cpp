// The shipped windows as a player sees them, on every shipped planet: each trade good and each
// shipyard item can be reached (scrolling where the list is long), no label runs into another
// or out of its window, and every label is drawn in the colour the script gave it, whatever
// the elements drawn before it left behind (read back from the screen).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <regex>
#include <set>

#include "font.h"
#include "glHeaders.h"
#include "loadGalaxy.h"
#include "pixelProbe.h"
#include "shaderList.h"
#include "startLua.h"
#include "testSupport.h"
#include "textures.h"
#include "uiDisplay.h"
#include "worldState.h"

namespace {

// A label's rectangle on screen, in percent of the screen.
struct Label {
    const uiDisplayBase* element;
    std::string text;
    float left, bottom, right, top;
};

const char* const UI_FILES[] = {"buttonUp.png", "buttonSel.png", "buttonDown.png", "buttonDownSel.png", "arrow.png"};

class ShippedWindows : public testing::Test {
protected:
    void SetUp() override {
        ensureGlContext();
        savedUiTextures.swap(uiTextures);
        for (const char* file : UI_FILES) loadSingleTexture(shippedDataDirectory() + file, uiTextures, 1);
        font = std::make_unique<Font>(shippedDataDirectory() + "subatomic.quillory.ttf");
        ASSERT_TRUE(font->isReady());
        fonts = {font.get()};
        universe = std::make_unique<Universe>(shippedDataDirectory());
        ASSERT_TRUE(universe->loaded());
        std::string out = captureOutput([&] {
            initializeShaders(*universe);
            ASSERT_TRUE(initializeStars(*universe, L));
            universe->player = initializePlayer(*universe);
            ASSERT_TRUE(loadScript(L, shippedDataDirectory() + "ui.lua"));
            initLua(*universe, L);
        });
        ASSERT_TRUE(universe->player);
    }
    void TearDown() override {
        for (unsigned texture : uiTextures)
            if (texture) glDeleteTextures(1, &texture);
        uiTextures.swap(savedUiTextures);
    }

    void pressE() {
        std::vector<float> numbers{1.0f, 6.4f, 9.4f, -94.0f};
        std::string out = captureOutput([&] { uiEvent(*universe, numbers, fonts, L); });
        ASSERT_EQ(1u, universe->displays.size()) << out;
    }
    // Clicks at a point and lets the window answer, as one frame does.
    void clickAt(point where) {
        uiDisplay& window = universe->displays[0];
        std::string out = captureOutput([&] {
            window.mouseClick(where, *universe, L);
            if (!window.update(*universe, fonts, L)) universe->displays.clear();
        });
        ASSERT_EQ(std::string::npos, out.find("LUA encountered an error")) << out;
        ASSERT_EQ(0, lua_gettop(L));
    }
    const uiDisplayBase* find(const std::string& name) const {
        const uiDisplay& window = universe->displays[0];
        for (size_t i = 0; i < window.size(); ++i)
            if (window.element(i)->name == name) return window.element(i);
        return nullptr;
    }
    static point centreOf(const uiDisplayBase& e) {
        return {(e.minCorner.x + e.maxCorner.x) / 2, (e.minCorner.y + e.maxCorner.y) / 2};
    }

    // Every label of the open window, where the font puts it (descenders included).
    std::vector<Label> labels() const {
        std::vector<Label> result;
        const uiDisplay& window = universe->displays[0];
        for (size_t i = 0; i < window.size(); ++i) {
            const uiDisplayBase* e = window.element(i);
            std::string text;
            if (auto* box = dynamic_cast<const uiBox*>(e)) text = box->text;
            if (auto* button = dynamic_cast<const uiButton*>(e)) text = button->text;
            if (text.empty()) continue;
            point c = centreOf(*e);
            float width = Font::textWidth(text, 1.0f);
            float height = Font::textHeight(1.0f);
            result.push_back({e, text, c.x - width / 2, c.y - height * 0.8f, c.x + width / 2, c.y + height * 0.55f});
        }
        return result;
    }

    // Draws the open window as the frame loop does and checks every label: inside the frame,
    // clear of every other label, and at its brightest exactly the colour the script chose.
    // The window as the frame loop draws it (labels gathered), or element by element with each
    // label drawn at once.
    std::vector<unsigned char> drawWindow(bool gathered) {
        OffscreenTarget target;
        target.percentOrtho();
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        uiDisplay& window = universe->displays[0];
        if (gathered)
            window.draw();
        else
            for (size_t i = 0; i < window.size(); ++i) window.element(i)->draw();
        std::vector<unsigned char> pixels = readScreen(w, h);
        // Whatever the labels' drawing left behind must not tint what comes after the window.
        float colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        lastColour = {static_cast<int>(colour[0] * 255), static_cast<int>(colour[1] * 255),
                      static_cast<int>(colour[2] * 255)};
        return pixels;
    }

    void checkLegible(const std::string& where) {
        const std::vector<unsigned char> pixels = drawWindow(true);
        const Rgb gatheredColour = lastColour;
        const PictureDifference gap = comparePictures(pixels, drawWindow(false));
        largestGap = std::max(largestGap, gap.largest);
        EXPECT_LE(gap.largest, 2) << where << ": the gathered labels differ from the labels drawn one by one";
        EXPECT_LT(gap.farOffShare, 0.0005) << where;
        EXPECT_EQ(describe(lastColour), describe(gatheredColour)) << where << ": the colour left after the window";

        const uiDisplayBase* frame = find("frame");
        ASSERT_TRUE(frame) << where;
        std::vector<Label> all = labels();
        const float SLACK = 0.15f;  // percent: glyphs may touch, not overlap
        for (size_t i = 0; i < all.size(); ++i) {
            const Label& a = all[i];
            EXPECT_TRUE(a.element->hasColour) << where << ": " << a.text;
            EXPECT_TRUE(a.left >= frame->minCorner.x && a.right <= frame->maxCorner.x &&
                        a.bottom >= frame->minCorner.y && a.top <= frame->maxCorner.y)
                << where << ": \"" << a.text << "\" runs out of the window";
            for (size_t j = i + 1; j < all.size(); ++j) {
                const Label& b = all[j];
                bool apart = a.right - SLACK <= b.left || b.right - SLACK <= a.left || a.top - SLACK <= b.bottom ||
                             b.top - SLACK <= a.bottom;
                EXPECT_TRUE(apart) << where << ": \"" << a.text << "\" runs into \"" << b.text << "\"";
            }
            // The brightest pixel of a label is a glyph pixel at full coverage: the label's colour.
            Rgb brightest = BLACK;
            int lit = 0;
            for (int y = static_cast<int>(a.bottom * h / 100) + 1; y < static_cast<int>(a.top * h / 100); ++y)
                for (int x = static_cast<int>(a.left * w / 100) + 1; x < static_cast<int>(a.right * w / 100); ++x) {
                    const unsigned char* p = &pixels[(static_cast<size_t>(y) * w + x) * 3];
                    if (p[0] + p[1] + p[2] > 150) ++lit;
                    if (p[0] + p[1] + p[2] > brightest[0] + brightest[1] + brightest[2]) brightest = {p[0], p[1], p[2]};
                }
            Rgb expected{static_cast<int>(std::lround(a.element->colour[0] * 255)),
                         static_cast<int>(std::lround(a.element->colour[1] * 255)),
                         static_cast<int>(std::lround(a.element->colour[2] * 255))};
            EXPECT_TRUE(near(brightest, expected, 24)) << where << ": \"" << a.text << "\" drawn "
                                                       << describe(brightest) << ", asked for " << describe(expected);
            EXPECT_GT(lit, 20) << where << ": \"" << a.text << "\" hardly shows";
        }
    }

    // The names of the goods and items the planet's window shows now (elements "good1", "item2"...).
    std::set<std::string> shownEntries() const {
        std::set<std::string> names;
        std::regex entry("(good|item)[0-9]+");
        for (const Label& label : labels())
            if (std::regex_match(label.element->name, entry)) names.insert(label.text);
        return names;
    }

    Rgb lastColour = BLACK;
    int largestGap = 0;  // over every window drawn, to print
    std::vector<unsigned> savedUiTextures;
    std::unique_ptr<Font> font;
    std::vector<Font*> fonts;
    std::unique_ptr<Universe> universe;
    LuaState lua;
    lua_State* L = lua.get();
};

std::set<std::string> listedOn(XmlNode* planet, const char* kind) {
    std::set<std::string> names;
    for (XmlNode* child = planet->first_node(kind); child; child = child->next_sibling(kind))
        names.insert(getVal(child, "name"));
    return names;
}

}  // namespace

TEST_F(ShippedWindows, EveryPlanetWindowShowsEverythingLegibly) {
    int planetId = 0;
    int scrolled = 0;
    for (XmlNode* world = universe->universeDoc.root()->first_node("world"); world; world = world->next_sibling("world"))
        for (XmlNode* star = world->first_node("star"); star; star = star->next_sibling("star"))
            for (XmlNode* planet = star->first_node("planet"); planet; planet = planet->next_sibling("planet")) {
                const std::string where = getVal(planet, "name");
                std::set<std::string> expected = listedOn(planet, "tradeGood");
                for (const std::string& item : listedOn(planet, "equipment")) expected.insert(item);

                universe->player->setLanded(planetId++);
                pressE();
                std::set<std::string> seen = shownEntries();
                checkLegible(where);
                // Scroll down a row at a time until the list ends.
                for (int page = 1; page < 20 && find("scroll"); ++page) {
                    auto* scroll = dynamic_cast<const uiScroller*>(find("scroll"));
                    ASSERT_TRUE(scroll);
                    if (scroll->curVal <= scroll->leftVal) break;
                    point lowArrow{centreOf(*scroll).x, scroll->minCorner.y + 0.5f};
                    clickAt(lowArrow);
                    std::set<std::string> now = shownEntries();
                    seen.insert(now.begin(), now.end());
                    checkLegible(where + ", scrolled " + std::to_string(page));
                    ++scrolled;
                }
                EXPECT_EQ(expected, seen) << where;
                // The job board in the same column.
                const uiDisplayBase* jobs = find("jobsButton");
                ASSERT_TRUE(jobs) << where;
                clickAt(centreOf(*jobs));
                EXPECT_TRUE(find("accept1")) << where;
                checkLegible(where + ", jobs");

                const uiDisplayBase* close = find("close");
                ASSERT_TRUE(close);
                clickAt(centreOf(*close));
                EXPECT_TRUE(universe->displays.empty()) << where;
                universe->displays.clear();
            }
    EXPECT_GE(planetId, 14);
    EXPECT_GT(scrolled, 0) << "no shipped planet needs the scroller any more: this test no longer covers it";
    std::printf("planet windows: gathered labels at most %d levels from labels drawn one by one\n", largestGap);
}

TEST_F(ShippedWindows, FlightWindowIsLegible) {
    // Seven weapons make the longest window.
    for (const char* weapon : {"Seeker Missile", "Cluster Shell", "Shockwave Bomb", "Plasma Lance"}) {
        std::string out = captureOutput([&] {
            lua_getglobal(L, "installEquipment");
            lua_pushstring(L, weapon);
            ASSERT_EQ(0, lua_pcall(L, 1, 0, 0));
        });
    }
    // Three jobs, the longest descriptions of the shipped content.
    std::vector<luaStringPair> data = universe->player->getExtraData();
    data.push_back({"job_1", "delivery;a;0;9990;Medicine;8;13"});
    data.push_back({"job_2", "bounty;b;0;1200;5;4;3;2"});
    data.push_back({"job_3", "delivery;c;0;990;Luxuries;8;2"});
    captureOutput([&] { universe->player->setExtraData(data); });
    pressE();
    checkLegible("flight window");
    EXPECT_TRUE(find("abandon3"));
}

TEST_F(ShippedWindows, ALabelThatALaterElementCoversStaysCovered) {
    uiDisplay window("order");
    auto* covered = new uiBox(10, 10, 40, 20, "Covered by the panel", font.get(), true);
    covered->hasColour = true;
    auto* panel = new uiBox(5, 5, 45, 25, "", font.get(), false);
    panel->hasFill = true;
    const float opaqueBlue[4] = {0.1f, 0.2f, 0.8f, 1.0f};
    std::copy(opaqueBlue, opaqueBlue + 4, panel->fill);
    auto* above = new uiBox(10, 50, 40, 60, "Drawn after the panel", font.get(), true);
    window.addDisplay(covered, "covered");
    window.addDisplay(panel, "panel");
    window.addDisplay(above, "above");
    universe->displays.clear();
    universe->displays.push_back(std::move(window));

    const std::vector<unsigned char> gathered = drawWindow(true);
    const std::vector<unsigned char> oneByOne = drawWindow(false);
    const PictureDifference gap = comparePictures(gathered, oneByOne);
    EXPECT_LE(gap.largest, 2);
    EXPECT_GT(gap.lit, 1000) << "the labels should show";
    // Under the panel only its blue shows.
    int white = 0;
    for (int y = h * 10 / 100; y < h * 20 / 100; ++y)
        for (int x = w * 10 / 100; x < w * 40 / 100; ++x) {
            const unsigned char* p = &gathered[(static_cast<size_t>(y) * w + x) * 3];
            if (p[0] > 200 && p[1] > 200) ++white;
        }
    EXPECT_EQ(0, white) << "the covered label was drawn over the panel";
    universe->displays.clear();
}
