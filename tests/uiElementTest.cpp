// Tests of the UI elements: hit tests, buttons, sliders and scrollers, value exchange and what
// their drawing hands to OpenGL.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>

#include "glHeaders.h"
#include "startLua.h"
#include "testSupport.h"
#include "uiWrapper.h"
#include "worldState.h"

namespace {

// What a draw call handed to OpenGL, captured in feedback mode under a 0-100 projection.
struct Picture {
    int lines = 0;
    int polygons = 0;
    std::vector<std::array<float, 2>> vertices;  // in 0-100 units
    bool allFinite() const {
        for (const auto& v : vertices)
            if (!std::isfinite(v[0]) || !std::isfinite(v[1])) return false;
        return true;
    }
};

Picture capture(const std::function<void()>& draw) {
    ensureGlContext();
    // A known state: whatever earlier tests left must not cull or clip the captured shapes.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_SCISSOR_TEST);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    const GLint viewport[4] = {0, 0, 320, 256};
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    std::vector<GLfloat> buffer(1 << 16);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0, 100, 0, 100);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_2D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    GLint count = glRenderMode(GL_RENDER);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();

    Picture picture;
    float sx = 100.0f / static_cast<float>(viewport[2]);
    float sy = 100.0f / static_cast<float>(viewport[3]);
    auto take = [&](GLint& i, int n) {
        for (int k = 0; k < n; ++k, i += 2) picture.vertices.push_back({buffer[i] * sx, buffer[i + 1] * sy});
    };
    for (GLint i = 0; i < count;) {
        GLint token = static_cast<GLint>(buffer[i++]);
        if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            ++picture.lines;
            take(i, 2);
        } else if (token == GL_POLYGON_TOKEN) {
            ++picture.polygons;
            take(i, static_cast<int>(buffer[i++]));
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            i += 1;
        } else {
            i += 2;
        }
    }
    return picture;
}

class UiElements : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new TempDir();
        writeContent(*dir);
        captureOutput([] { universe = buildUniverse(*dir).release(); });
    }
    static void TearDownTestSuite() {
        delete universe;
        delete dir;
    }

    void click(uiDisplayBase& element, float x, float y) {
        point p{x, y};
        element.handleMouseClick(p, *universe, L);
    }
    void drag(uiDisplayBase& element, float x, float y, int dt) {
        point p{x, y};
        element.handleMouseDrag(p, dt, *universe, L);
    }
    void hover(uiDisplayBase& element, float x, float y) {
        point p{x, y};
        element.handleMouseHover(p);
    }
    // Runs a chunk that leaves one table on the stack.
    void pushTable(const std::string& expression) {
        std::string chunk = "return " + expression;
        ASSERT_EQ(0, luaL_loadstring(L, chunk.c_str()));
        ASSERT_EQ(0, lua_pcall(L, 0, 1, 0));
    }

    static TempDir* dir;
    static Universe* universe;
    LuaState lua;
    lua_State* L = lua.get();
};

TempDir* UiElements::dir = nullptr;
Universe* UiElements::universe = nullptr;

TEST_F(UiElements, CornersAreSorted) {
    uiBar bar(50, 40, 10, 20, 0, 1, 0);
    EXPECT_FLOAT_EQ(10, bar.minCorner.x);
    EXPECT_FLOAT_EQ(20, bar.minCorner.y);
    EXPECT_FLOAT_EQ(50, bar.maxCorner.x);
    EXPECT_FLOAT_EQ(40, bar.maxCorner.y);
}

struct HitCase {
    float x, y;
    bool inside;
};

class MouseOverEdges : public testing::TestWithParam<HitCase> {};

TEST_P(MouseOverEdges, EdgesAreOutside) {
    point p{GetParam().x, GetParam().y};
    EXPECT_EQ(GetParam().inside, mouseOver2(p, point{10, 20}, point{30, 40}));
}

INSTANTIATE_TEST_SUITE_P(Points, MouseOverEdges,
                         testing::Values(HitCase{20, 30, true}, HitCase{10, 30, false}, HitCase{30, 30, false},
                                         HitCase{20, 20, false}, HitCase{20, 40, false}, HitCase{10.01f, 39.99f, true},
                                         HitCase{9, 30, false}, HitCase{20, 41, false}));

struct ButtonCase {
    int state;
    bool over;
    int afterHover;
    int afterClick;
};

class ButtonStates : public UiElements, public testing::WithParamInterface<ButtonCase> {};

TEST_P(ButtonStates, HoverAndClickFollowTheTable) {
    uiButton button(10, 10, 20, 20, nullptr, "", GetParam().state);
    float x = GetParam().over ? 15.0f : 25.0f;
    hover(button, x, 15);
    EXPECT_EQ(GetParam().afterHover, button.buttonState);
    uiButton clicked(10, 10, 20, 20, nullptr, "", GetParam().state);
    click(clicked, x, 15);
    EXPECT_EQ(GetParam().afterClick, clicked.buttonState);
    EXPECT_EQ(GetParam().over, clicked.modified);
}

INSTANTIATE_TEST_SUITE_P(Table, ButtonStates,
                         testing::Values(ButtonCase{0, true, 1, 3}, ButtonCase{1, true, 1, 3}, ButtonCase{2, true, 3, 1},
                                         ButtonCase{3, true, 3, 1}, ButtonCase{0, false, 0, 0},
                                         ButtonCase{1, false, 0, 1}, ButtonCase{2, false, 2, 2},
                                         ButtonCase{3, false, 2, 3}));

TEST_F(UiElements, ButtonTogglesAndReportsPressed) {
    uiButton button(10, 10, 20, 20, nullptr, "Go", 0);
    click(button, 15, 15);
    std::vector<float> floats;
    std::vector<std::string> strings;
    button.exportVals(floats, strings);
    EXPECT_EQ((std::vector<float>{1, 1, 10, 10, 20, 20}), floats);
    EXPECT_EQ((std::vector<std::string>{"Go"}), strings);
    button.modified = false;
    click(button, 15, 15);
    EXPECT_EQ(1, button.buttonState);
    EXPECT_TRUE(button.modified);
}

TEST_F(UiElements, ButtonInitialAndImportedStates) {
    uiButton button(10, 10, 20, 20, nullptr, "", 1);
    EXPECT_EQ(1, button.buttonState);
    hover(button, 50, 50);
    EXPECT_EQ(0, button.buttonState);
    pushTable("{x1 = 30, y1 = 40, x2 = 5, y2 = 6, state = 1, text = 'On'}");
    button.importVals(L);
    EXPECT_EQ(2, button.buttonState);
    EXPECT_EQ("On", button.text);
    EXPECT_FLOAT_EQ(5, button.minCorner.x);
    EXPECT_FLOAT_EQ(40, button.maxCorner.y);
    std::vector<float> floats;
    std::vector<std::string> strings;
    button.exportVals(floats, strings);
    EXPECT_FLOAT_EQ(1, floats[1]);
    lua_pop(L, 1);
    pushTable("{state = 3}");
    button.importVals(L);
    EXPECT_EQ(0, button.buttonState);
    EXPECT_EQ("", button.text);
    EXPECT_FALSE(button.modified);
}

TEST_F(UiElements, ButtonStateOutOfRangeIsClamped) {
    uiButton high(10, 10, 20, 20, nullptr, "", 7);
    uiButton low(10, 10, 20, 20, nullptr, "", -3);
    EXPECT_EQ(3, high.buttonState);
    EXPECT_EQ(0, low.buttonState);
    high.buttonState = 99;  // even a state set from outside draws
    Picture picture = capture([&] { high.draw(); });
    EXPECT_EQ(2, picture.polygons);  // a quad comes back as two triangles
}

TEST_F(UiElements, SliderDragSetsValueAlongTrack) {
    uiSlider slider(10, 0, 50, 4, 5, 0, 100, 0);
    EXPECT_FALSE(slider.vertical);
    drag(slider, 30, 2, 16);
    EXPECT_FLOAT_EQ(50, slider.curVal);
    EXPECT_TRUE(slider.modified);
    // Exactly on an inner edge: nothing.
    slider.curVal = 7;
    drag(slider, 15, 2, 16);
    EXPECT_FLOAT_EQ(7, slider.curVal);
}

TEST_F(UiElements, ArrowClicksStepAndClamp) {
    uiSlider slider(10, 0, 50, 4, 5, 0, 3, 1);
    click(slider, 12, 2);
    EXPECT_FLOAT_EQ(0, slider.curVal);
    click(slider, 12, 2);
    EXPECT_FLOAT_EQ(0, slider.curVal);
    EXPECT_TRUE(slider.modified);
    slider.modified = false;
    click(slider, 30, 2);  // the track: nothing by itself
    EXPECT_FALSE(slider.modified);
    for (int i = 0; i < 5; ++i) click(slider, 48, 2);
    EXPECT_FLOAT_EQ(3, slider.curVal);
}

TEST_F(UiElements, HoldingAnArrowRepeatsAfterTheDelay) {
    uiSlider slider(10, 0, 50, 4, 5, 0, 100, 50);
    Picture ignored = capture([&] { slider.draw(); });  // nothing held: timer reset
    EXPECT_EQ(-1000, slider.holdTimer);
    int frames = 0;
    while (slider.curVal == 50 && frames < 1000) {
        drag(slider, 48, 2, 99);
        ++frames;
        capture([&] { slider.draw(); });
    }
    // -1000 + 100 per frame passes 300 on the fourteenth frame.
    EXPECT_EQ(14, frames);
    EXPECT_FLOAT_EQ(51, slider.curVal);
    EXPECT_EQ(0, slider.holdTimer);
}

TEST_F(UiElements, HoldingAtTheLimitStillMarksModified) {
    uiSlider slider(10, 0, 50, 4, 5, 0, 100, 0);
    slider.holdTimer = 300;
    drag(slider, 12, 2, 0);
    EXPECT_FLOAT_EQ(0, slider.curVal);
    EXPECT_TRUE(slider.modified);
    EXPECT_TRUE(slider.arrowHeld);
}

TEST_F(UiElements, VerticalSliderReactsToXScrollerToY) {
    uiSlider slider(0, 10, 4, 50, 1, 0, 100, 0);
    uiScroller scroller(0, 10, 4, 50, 5, 0, 100, 0);
    EXPECT_TRUE(slider.vertical);
    EXPECT_TRUE(scroller.vertical);
    // The slider's track along x is 1..3.
    drag(slider, 2, 30, 16);
    EXPECT_FLOAT_EQ(50, slider.curVal);
    drag(scroller, 2, 30, 16);
    EXPECT_FLOAT_EQ(50, scroller.curVal);
    scroller.modified = false;
    click(scroller, 2, 30);  // a scroller marks any click inside
    EXPECT_TRUE(scroller.modified);
    click(scroller, 2, 48);
    EXPECT_FLOAT_EQ(51, scroller.curVal);
}

TEST_F(UiElements, SquareIsVerticalAndZeroArrowIsThickness) {
    uiScroller square(0, 0, 10, 10, 0, 1, 0);
    EXPECT_TRUE(square.vertical);
    EXPECT_FLOAT_EQ(10, square.arrowWidth);
    uiSlider flat(0, 0, 40, 4, 0, 0, 1, 0);
    EXPECT_FALSE(flat.vertical);
    EXPECT_FLOAT_EQ(4, flat.arrowWidth);
    uiSlider reversed(40, 4, 0, 0, 0, 1, 0);
    EXPECT_FALSE(reversed.vertical);
    EXPECT_FLOAT_EQ(4, reversed.arrowWidth);
}

TEST_F(UiElements, ExportLayouts) {
    std::vector<float> f;
    std::vector<std::string> s;
    uiSlider(1, 2, 30, 4, 2, 0, 9, 3).exportVals(f, s);
    EXPECT_EQ((std::vector<float>{2, 1, 2, 30, 4, 2, 0, 9, 3}), f);
    f.clear();
    uiScroller(1, 2, 30, 4, 2, 0, 9, 3).exportVals(f, s);
    EXPECT_EQ((std::vector<float>{4, 1, 2, 30, 4, 2, 0, 9, 3}), f);
    f.clear();
    uiBar(1, 2, 30, 4, 0, 9, 3).exportVals(f, s);
    EXPECT_EQ((std::vector<float>{3, 1, 2, 30, 4, 0, 9, 3}), f);
    EXPECT_TRUE(s.empty());
    f.clear();
    uiBox(1, 2, 30, 4, "label", nullptr, true).exportVals(f, s);
    EXPECT_EQ((std::vector<float>{5, 1, 2, 30, 4}), f);
    EXPECT_EQ((std::vector<std::string>{"label"}), s);
}

TEST_F(UiElements, ImportsReadMissingValuesAsZero) {
    uiSlider slider(1, 2, 30, 4, 2, 0, 9, 3);
    pushTable("{x1 = 5, x2 = 1, y2 = 8, leftVal = 1, rightVal = 2, curVal = 'abc'}");
    slider.importVals(L);
    EXPECT_FLOAT_EQ(1, slider.minCorner.x);
    EXPECT_FLOAT_EQ(0, slider.minCorner.y);
    EXPECT_FLOAT_EQ(0, slider.arrowWidth);
    EXPECT_FLOAT_EQ(0, slider.curVal);
    EXPECT_FALSE(slider.vertical);
    uiBar bar(0, 0, 1, 1, 0, 1, 0);
    bar.importVals(L);
    EXPECT_FLOAT_EQ(2, bar.rightVal);
    uiBox box(0, 0, 1, 1, "old", nullptr, false);
    box.importVals(L);
    EXPECT_EQ("", box.text);
    EXPECT_EQ(1, lua_gettop(L));
}

TEST_F(UiElements, BoxModify) {
    uiBox box(0, 0, 10, 10, "a", nullptr, false);
    std::vector<float> colour{0, 0.1f, 0.2f, 0.3f};
    std::vector<float> corners{1, 50, 60, 40, 30};
    std::vector<float> label{2};
    std::vector<std::string> strings{"new"};
    std::vector<std::string> none;
    std::string out = captureOutput([&] {
        box.modify(colour, none);
        box.modify(corners, none);
        box.modify(label, strings);
    });
    EXPECT_EQ("Box mod hit\nBox mod hit\nx1 40\nBox mod hit\n", out);
    EXPECT_FLOAT_EQ(0.2f, box.boxColour[1]);
    EXPECT_FLOAT_EQ(30, box.minCorner.y);
    EXPECT_FLOAT_EQ(60, box.maxCorner.y);
    EXPECT_EQ("new", box.text);
    // Other kinds ignore modify.
    uiBar bar(0, 0, 1, 1, 0, 1, 0);
    EXPECT_EQ("", captureOutput([&] { bar.modify(corners, none); }));
    EXPECT_FLOAT_EQ(1, bar.maxCorner.x);
}

TEST_F(UiElements, SliderPictureShowsTheValue) {
    uiSlider slider(10, 0, 50, 4, 5, 0, 100, 50);
    Picture picture = capture([&] { slider.draw(); });
    EXPECT_EQ(4, picture.polygons);  // two arrow quads, two triangles each
    EXPECT_EQ(8, picture.lines);     // two closed outlines of four segments
    float furthest = 0;
    for (int i = 8; i < 16; ++i) furthest = std::max(furthest, picture.vertices[picture.vertices.size() - 16 + i][0]);
    EXPECT_NEAR(30, furthest, 0.5);
}

struct DegenerateCase {
    const char* kind;
    float left, right, cur, arrow;
};

class DegenerateTracks : public UiElements, public testing::WithParamInterface<DegenerateCase> {};

// Equal end values, arrows that meet, or values that are not numbers draw a finite picture.
TEST_P(DegenerateTracks, DrawFinitePictures) {
    const DegenerateCase& c = GetParam();
    std::unique_ptr<uiDisplayBase> element;
    std::string kind = c.kind;
    if (kind == "slider") element = std::make_unique<uiSlider>(10, 0, 50, 4, c.arrow, c.left, c.right, c.cur);
    if (kind == "vslider") element = std::make_unique<uiSlider>(0, 10, 4, 50, c.arrow, c.left, c.right, c.cur);
    if (kind == "scroller") element = std::make_unique<uiScroller>(10, 0, 50, 4, c.arrow, c.left, c.right, c.cur);
    if (kind == "vscroller") element = std::make_unique<uiScroller>(0, 10, 4, 50, c.arrow, c.left, c.right, c.cur);
    if (kind == "bar") element = std::make_unique<uiBar>(10, 0, 50, 4, c.left, c.right, c.cur);
    ASSERT_TRUE(element);
    Picture picture = capture([&] { element->draw(); });
    EXPECT_TRUE(picture.allFinite());
    EXPECT_EQ(8, picture.lines);
    EXPECT_EQ(GL_NO_ERROR, glGetError());
    int dt = 16;
    point p{30, 30};
    element->handleMouseDrag(p, dt, *universe, L);
    point q{30, 2};
    element->handleMouseDrag(q, dt, *universe, L);
}

const float NOT_A_NUMBER = std::numeric_limits<float>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Cases, DegenerateTracks,
    testing::Values(DegenerateCase{"slider", 5, 5, 5, 5}, DegenerateCase{"vslider", 5, 5, 5, 5},
                    DegenerateCase{"scroller", 5, 5, 5, 5}, DegenerateCase{"vscroller", 5, 5, 5, 5},
                    DegenerateCase{"bar", 5, 5, 5, 0}, DegenerateCase{"slider", 0, 10, 5, 20},
                    DegenerateCase{"scroller", 0, 10, 5, 20}, DegenerateCase{"slider", 0, 10, NOT_A_NUMBER, 5},
                    DegenerateCase{"bar", 0, NOT_A_NUMBER, 1, 0}, DegenerateCase{"scroller", -3e38f, 3e38f, 0, 5}));

TEST_F(UiElements, ElementsWithoutFontsDrawNoText) {
    uiBox box(10, 10, 20, 20, "label", nullptr, false);
    uiBox text(10, 10, 20, 20, "label", nullptr, true);
    uiButton button(10, 10, 20, 20, nullptr, "label", 0);
    EXPECT_EQ(4, capture([&] { box.draw(); }).lines);
    Picture onlyText = capture([&] { text.draw(); });
    EXPECT_EQ(0, onlyText.lines + onlyText.polygons);
    EXPECT_EQ(2, capture([&] { button.draw(); }).polygons);
}

}  // namespace
