// Tests of the displays and the "addUI" / "updateUI" protocol, with inline scripts.
#include <gtest/gtest.h>

#include "startLua.h"
#include "testSupport.h"
#include "uiDisplay.h"
#include "worldState.h"

namespace {

class UiDisplays : public testing::Test {
protected:
    void SetUp() override {
        writeContent(dir);
        universe = buildUniverse(dir);
        ASSERT_TRUE(universe);
        captureOutput([&] { initLua(*universe, L); });
        fonts = {fontA(), fontB()};
    }

    // Stand-ins for fonts: only their addresses are compared, nothing is drawn with them.
    static Font* fontA() { static int a; return reinterpret_cast<Font*>(&a); }
    static Font* fontB() { static int b; return reinterpret_cast<Font*>(&b); }

    void script(const std::string& code) {
        ASSERT_EQ(0, luaL_dostring(L, code.c_str())) << lua_tostring(L, -1);
        lua_settop(L, 0);
    }
    // Raises the key-e event; answers what was printed.
    std::string event() {
        std::vector<float> numbers{1.0f, 6.4f, 9.4f, -94.0f};
        std::string out = captureOutput([&] { uiEvent(*universe, numbers, fonts, L); });
        EXPECT_EQ(0, lua_gettop(L));
        return out;
    }
    bool update(uiDisplay& display, std::string* out = nullptr) {
        bool result = true;
        std::string printed = captureOutput([&] { result = display.update(*universe, fonts, L); });
        if (out) *out = printed;
        EXPECT_EQ(0, lua_gettop(L));
        return result;
    }
    void click(float x, float y) {
        point p{x, y};
        for (uiDisplay& display : universe->displays) display.mouseClick(p, *universe, L);
    }
    double number(const char* global) {
        lua_getglobal(L, global);
        double value = lua_tonumber(L, -1);
        lua_pop(L, 1);
        return value;
    }

    TempDir dir;
    std::unique_ptr<Universe> universe;
    LuaState lua;
    lua_State* L = lua.get();
    std::vector<Font*> fonts;
};

TEST_F(UiDisplays, SingleAnswerMakesNoDisplay) {
    script("function addUI(...) return 'only a name' end");
    std::string out = event();
    EXPECT_TRUE(universe->displays.empty());
    EXPECT_NE(std::string::npos, out.find("Event type 1 calling\nLUA called\nStack dump.  Size: 1\n"));
    script("function addUI(...) return nil end");
    out = event();
    EXPECT_TRUE(universe->displays.empty());
    EXPECT_EQ(std::string::npos, out.find("Error"));
}

TEST_F(UiDisplays, NoAnswerAtAllHasNoDisplayName) {
    script("function addUI(...) end");
    std::string out = event();
    EXPECT_TRUE(universe->displays.empty());
    EXPECT_NE(std::string::npos, out.find("LUA called\nStack dump.  Size: 0\n\n End of stack dump\n"
                                          "Error, display name undefined in LUA, aborting, LUA stack dump follows\n"
                                          "Stack dump.  Size: 0\n"))
        << out;
}

TEST_F(UiDisplays, NumberInsteadOfNameIsRefused) {
    script("function addUI(...) return {type = 'box'}, {type = 'bar'}, 5 end");
    std::string out = event();
    EXPECT_TRUE(universe->displays.empty());
    EXPECT_NE(std::string::npos, out.find("Error, display name undefined in LUA, aborting, LUA stack dump follows\n"));
}

TEST_F(UiDisplays, FirstReturnedIsDrawnOnTop) {
    script("function addUI(...) return {type = 'box', name = 'A'}, {type = 'button', name = 'B'}, 'win' end");
    std::string out = event();
    ASSERT_EQ(1u, universe->displays.size());
    uiDisplay& display = universe->displays[0];
    EXPECT_EQ("win", display.getName());
    ASSERT_EQ(2u, display.size());
    EXPECT_EQ("B", display.element(0)->name);
    EXPECT_EQ("A", display.element(1)->name);
    EXPECT_NE(std::string::npos, out.find("Set name: win\n"));
}

TEST_F(UiDisplays, EventErrorsLeaveTheListUnchanged) {
    script("function addUI(...) error('nope') end");
    std::string out = event();
    EXPECT_NE(std::string::npos, out.find("Lua event error, "));
    EXPECT_TRUE(universe->displays.empty());
    std::vector<float> none;
    EXPECT_EQ("", captureOutput([&] { uiEvent(*universe, none, fonts, L); }));
}

TEST_F(UiDisplays, CreationTablesBuildEveryKind) {
    script("function addUI(...) return "
           "{type = 'button', name = 'b', x1 = 1, y1 = 2, x2 = 3, y2 = 4, font = 1, text = 'Hi', initialState = 2.7},"
           "{type = 'slider', name = 's', x1 = 0, y1 = 0, x2 = 40, y2 = 4, arrowWidth = 2, leftVal = 0, rightVal = 9, curVal = 3},"
           "{type = 'bar', name = 'r', x2 = 10, y2 = 2, rightVal = 5, curVal = 1},"
           "{type = 'scroller', name = 'c', x2 = 4, y2 = 40, rightVal = 5},"
           "{type = 'box', name = 'x', x2 = 4, y2 = 4, text = 'box', font = 7},"
           "{type = 'text', name = 't', text = 'label', font = -1},"
           "{type = 'circle', name = 'no'}, {name = 'none'}, 'win' end");
    std::string out = event();
    ASSERT_EQ(1u, universe->displays.size());
    uiDisplay& display = universe->displays[0];
    ASSERT_EQ(6u, display.size());
    size_t errors = 0;
    for (size_t at = out.find("Error, bad LUA UI element number.  Full stack dump follows."); at != std::string::npos;
         at = out.find("Error, bad LUA UI element number.  Full stack dump follows.", at + 1))
        ++errors;
    EXPECT_EQ(2u, errors);
    auto* text = dynamic_cast<uiBox*>(display.element(0));
    auto* box = dynamic_cast<uiBox*>(display.element(1));
    auto* scroller = dynamic_cast<uiScroller*>(display.element(2));
    auto* bar = dynamic_cast<uiBar*>(display.element(3));
    auto* slider = dynamic_cast<uiSlider*>(display.element(4));
    auto* button = dynamic_cast<uiButton*>(display.element(5));
    ASSERT_TRUE(text && box && scroller && bar && slider && button);
    EXPECT_TRUE(text->textOnly);
    EXPECT_FALSE(box->textOnly);
    // Fonts outside the list fall back to font 0.
    EXPECT_EQ(fontA(), text->font);
    EXPECT_EQ(fontA(), box->font);
    EXPECT_EQ(fontB(), button->font);
    EXPECT_EQ(2, button->buttonState);
    EXPECT_EQ("Hi", button->text);
    EXPECT_FLOAT_EQ(3, slider->curVal);
    EXPECT_FLOAT_EQ(2, slider->arrowWidth);
    EXPECT_TRUE(scroller->vertical);
    EXPECT_FLOAT_EQ(4, scroller->arrowWidth);
    EXPECT_FLOAT_EQ(5, bar->rightVal);
}

TEST_F(UiDisplays, TypeDecoder) {
    const char* names[] = {"nil", "'button'", "'slider'", "'bar'", "'scroller'", "'box'", "'text'", "'Button'", "1", "{}"};
    int expected[] = {0, 1, 2, 3, 4, 5, 6, 0, 0, 0};
    for (int i = 0; i < 10; ++i) {
        std::string chunk = std::string("return {type = ") + names[i] + "}";
        ASSERT_EQ(0, luaL_dostring(L, chunk.c_str()));
        EXPECT_EQ(expected[i], typeDecoder(L)) << names[i];
        EXPECT_EQ(1, lua_gettop(L));
        lua_settop(L, 0);
    }
}

// A window of two overlapping buttons and a label; "updateUI" answers with `answer`.
class UiUpdates : public UiDisplays {
protected:
    void build(const std::string& answer) {
        script("calls = 0\n"
               "function addUI(...) return "
               "{type = 'button', name = 'one', x1 = 10, y1 = 10, x2 = 30, y2 = 20, text = 'One'},"
               "{type = 'button', name = 'two', x1 = 20, y1 = 10, x2 = 40, y2 = 20, text = 'Two'},"
               "{type = 'text', name = 'label', x1 = 10, y1 = 30, x2 = 40, y2 = 40, text = 'Label'}, 'win' end\n"
               "function updateUI(name, ...)\n"
               "  calls = calls + 1; lastName = name; reports = {...}\n"
               "  " + answer + "\nend");
        event();
        ASSERT_EQ(1u, universe->displays.size());
    }
    uiDisplay& display() { return universe->displays[0]; }
};

TEST_F(UiUpdates, IdleDisplayDoesNotCallTheScript) {
    build("");
    EXPECT_TRUE(update(display()));
    EXPECT_EQ(0, number("calls"));
}

TEST_F(UiUpdates, OverlappingButtonsBothToggleAndReport) {
    build("");
    click(25, 15);
    EXPECT_EQ(3, dynamic_cast<uiButton*>(display().element(1))->buttonState);
    EXPECT_EQ(3, dynamic_cast<uiButton*>(display().element(2))->buttonState);
    std::string out;
    EXPECT_TRUE(update(display(), &out));
    EXPECT_EQ(1, number("calls"));
    EXPECT_NE(std::string::npos, out.find("i:0, type5\ni:1, type1\ni:2, type1\n"));
    script("r = lastName .. #reports .. reports[1].name .. reports[1].text .. tostring(reports[1].modified) .. "
           "reports[3].name .. reports[3].state .. reports[3].x1 .. reports[3].y2 .. reports[3].text .. "
           "tostring(reports[3].modified)");
    lua_getglobal(L, "r");
    EXPECT_STREQ("win3labelLabelfalseone11020Onetrue", lua_tostring(L, -1));
    lua_pop(L, 1);
    // Flags were cleared: no second call.
    EXPECT_TRUE(update(display()));
    EXPECT_EQ(1, number("calls"));
}

TEST_F(UiUpdates, DeleteNeedsTheNumberOne) {
    build("return {name = 'one', delete = true, x1 = 1, y1 = 2, x2 = 3, y2 = 4, state = 1, text = 'Kept'}");
    click(12, 15);
    EXPECT_TRUE(update(display()));
    ASSERT_EQ(3u, display().size());
    auto* one = dynamic_cast<uiButton*>(display().element(2));
    EXPECT_EQ("Kept", one->text);
    EXPECT_EQ(2, one->buttonState);
    EXPECT_FLOAT_EQ(3, one->maxCorner.x);
    script("function updateUI(name, ...) return {name = 'one', delete = 1} end");
    click(2, 3);
    EXPECT_TRUE(update(display()));
    EXPECT_EQ(2u, display().size());
}

TEST_F(UiUpdates, DeletingEveryElementEndsTheDisplay) {
    build("return {name = 'label', delete = 1}, {name = 'two', delete = 1}, {name = 'one', delete = 1}");
    click(25, 15);
    EXPECT_FALSE(update(display()));
    EXPECT_EQ(0u, display().size());
}

TEST_F(UiUpdates, NewWithZeroBuildsAnElement) {
    build("return {name = 'extra', new = 0, type = 'bar', x1 = 50, x2 = 60, y2 = 5, rightVal = 2}");
    click(12, 15);
    std::string out;
    EXPECT_TRUE(update(display(), &out));
    ASSERT_EQ(4u, display().size());
    EXPECT_EQ("extra", display().element(3)->name);
    EXPECT_NE(nullptr, dynamic_cast<uiBar*>(display().element(3)));
    EXPECT_NE(std::string::npos, out.find("label - extra\ntwo - extra\none - extra\n"));
}

TEST_F(UiUpdates, UnmatchedNameChangesNothing) {
    build("return {name = 'ghost', text = 'x'}");
    click(12, 15);
    std::string out;
    EXPECT_TRUE(update(display(), &out));
    EXPECT_EQ(3u, display().size());
    EXPECT_NE(std::string::npos, out.find("label - ghost\ntwo - ghost\none - ghost\n"));
    EXPECT_EQ("Label", dynamic_cast<uiBox*>(display().element(0))->text);
}

TEST_F(UiUpdates, AnswersAreHandledLastToFirst) {
    build("return {name = 'label', text = 'first'}, {name = 'label', text = 'second'}");
    click(12, 15);
    update(display());
    EXPECT_EQ("first", dynamic_cast<uiBox*>(display().element(0))->text);
}

TEST_F(UiUpdates, ScriptErrorsStillClearTheFlags) {
    build("error('broken')");
    click(12, 15);
    std::string out;
    EXPECT_TRUE(update(display(), &out));
    EXPECT_NE(std::string::npos, out.find("LUA encountered an error in uiDisplay update function: "));
    EXPECT_NE(std::string::npos, out.find("broken"));
    EXPECT_FALSE(display().element(2)->modified);
}

TEST_F(UiUpdates, GarbageAnswersNeverCrash) {
    build("return 'text', 5, nil, true, function() end, {name = {}}, {name = 'label', text = {}, x1 = 0/0, "
          "x2 = 1e300, y1 = 'abc', new = 'yes', type = 'nonsense'}, {name = 'one', state = 0/0, x1 = -1e300}");
    click(12, 15);
    std::string out;
    EXPECT_TRUE(update(display(), &out));
    EXPECT_NE(std::string::npos,
              out.find("Error in uidisplay, update function: LUA script returned non-table type: string\n"));
    EXPECT_NE(std::string::npos, out.find("returned non-table type: function\n"));
    EXPECT_NE(std::string::npos, out.find("returned non-table type: nil\n"));
    EXPECT_NE(std::string::npos, out.find("Error, bad LUA UI element number."));
    EXPECT_EQ(3u, display().size());
}

TEST_F(UiDisplays, DisplayOfUnknownTypesIsNeverRemoved) {
    script("function addUI(...) return {type = 'x'}, {type = 'y'}, 'empty' end");
    event();
    ASSERT_EQ(1u, universe->displays.size());
    EXPECT_EQ(0u, universe->displays[0].size());
    EXPECT_TRUE(update(universe->displays[0]));
}

TEST_F(UiDisplays, DisplayExportAndModify) {
    script("function addUI(...) return {type = 'box', name = 'b', x2 = 10, y2 = 10, text = 'T'}, "
           "{type = 'bar', name = 'r', x2 = 10, y2 = 1}, 'win' end");
    event();
    uiDisplay& display = universe->displays[0];
    std::vector<std::vector<float>> floats;
    std::vector<std::vector<std::string>> strings;
    EXPECT_EQ("Size:2\n", captureOutput([&] { display.exportVals(floats, strings); }));
    EXPECT_EQ((std::vector<std::string>{"win"}), strings[0]);
    EXPECT_EQ((std::vector<std::string>{"win", "T"}), strings[1]);
    EXPECT_FLOAT_EQ(3, floats[0][0]);
    std::vector<std::vector<float>> changes{{}, {2}};
    std::vector<std::vector<std::string>> texts{{}, {"U"}};
    EXPECT_EQ("Box mod hit\n", captureOutput([&] { display.modify(changes, texts); }));
    EXPECT_EQ("U", dynamic_cast<uiBox*>(display.element(1))->text);
}

TEST_F(UiDisplays, NewElementsGoToTheNewestDisplay) {
    script("function addUI(...) return {type = 'button', name = 'b', x1 = 0, y1 = 0, x2 = 10, y2 = 10}, 'win' end\n"
           "function updateUI(name, ...) return {name = 'added', new = true, type = 'box'} end");
    event();
    event();
    ASSERT_EQ(2u, universe->displays.size());
    point p{5, 5};
    universe->displays[0].mouseClick(p, *universe, L);
    update(universe->displays[0]);
    EXPECT_EQ(1u, universe->displays[0].size());
    EXPECT_EQ(2u, universe->displays[1].size());
}

TEST_F(UiDisplays, StackStaysBalancedOverManyFrames) {
    script("function addUI(...) return {type = 'slider', name = 's', x1 = 10, y1 = 0, x2 = 50, y2 = 4, "
           "arrowWidth = 5, rightVal = 100}, 'win' end\n"
           "function updateUI(name, t) t.curVal = t.curVal; return t, 7 end");
    event();
    for (int frame = 0; frame < 50; ++frame) {
        point p{30, 2};
        int dt = 16;
        universe->displays[0].mouseDrag(p, dt, *universe, L);
        EXPECT_TRUE(update(universe->displays[0]));
    }
    EXPECT_EQ(0, lua_gettop(L));
}

}  // namespace
