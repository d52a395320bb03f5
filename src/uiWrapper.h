// The UI element kinds that script-built windows are made of: buttons, sliders, bars,
// scrollers, outlined boxes and text labels. Geometry is in percent of the screen.
#pragma once

#include <string>
#include <vector>

#include "basics.h"

struct lua_State;
class Font;
class LabelBatch;
class Universe;

// Strict inside test: a point exactly on an edge is outside.
bool mouseOver2(const point& p, const point& minCorner, const point& maxCorner);

class uiDisplayBase {
public:
    uiDisplayBase(float x1, float y1, float x2, float y2);
    virtual ~uiDisplayBase() = default;

    virtual void draw() = 0;
    virtual void handleKeys(const std::string& key, Universe& universe, lua_State* L) {}
    virtual void handleMouseHover(point& cursor) {}
    virtual void handleMouseDrag(point& cursor, int& dt, Universe& universe, lua_State* L) {}
    virtual void handleMouseClick(point& cursor, Universe& universe, lua_State* L) {}
    virtual void modify(std::vector<float>& floats, std::vector<std::string>& strings) {}
    // Reads the table on top of the Lua stack.
    virtual void importVals(lua_State* L) = 0;
    // Appends the kind code and values to the floats, texts to the strings.
    virtual void exportVals(std::vector<float>& floats, std::vector<std::string>& strings) = 0;

    bool mouseOver(const point& p) const { return mouseOver2(p, minCorner, maxCorner); }
    // Draws the element with its label held in `labels`, to go to GL with the window's others.
    void drawHoldingLabels(LabelBatch& labels) {
        heldLabels = &labels;
        draw();
        heldLabels = nullptr;
    }

    // Reads "colour" = {r, g, b} and "fill" = {r, g, b, a} (0 to 1) of the table on top of the
    // stack, when it has them.
    void importColour(lua_State* L);

    point minCorner;
    point maxCorner;
    std::string name;
    bool modified = false;
    // A colour the script chose: the tint of a button, the outline and label of a box or text,
    // the value mark of a bar, slider or scroller. Without one an element keeps the colours it
    // always had, and a label takes whatever colour the element before it left.
    bool hasColour = false;
    float colour[3] = {1.0f, 1.0f, 1.0f};
    // A box may be filled (a translucent panel behind a window's text); no other kind uses it.
    bool hasFill = false;
    float fill[4] = {0.0f, 0.0f, 0.0f, 0.0f};

protected:
    // Where draw() puts its label instead of drawing it (none: drawn at once).
    LabelBatch* heldLabels = nullptr;
    // The corners of the table on top of the stack, and its colour when it gives one.
    void importCorners(lua_State* L);
    // The colour of an element's value mark: its own, or the red it always had.
    void setMarkColour() const;
};

class uiButton : public uiDisplayBase {
public:
    uiButton(float x1, float y1, float x2, float y2, Font* font, std::string text, int initialState);
    void draw() override;
    void handleMouseHover(point& cursor) override;
    void handleMouseClick(point& cursor, Universe& universe, lua_State* L) override;
    void importVals(lua_State* L) override;
    void exportVals(std::vector<float>& floats, std::vector<std::string>& strings) override;

    int buttonState;
    std::vector<unsigned> stateTextures;
    std::string text;
    Font* font;
};

// Shared arrows-and-track behaviour of sliders and scrollers.
class uiTrackElement : public uiDisplayBase {
public:
    uiTrackElement(float x1, float y1, float x2, float y2, float arrowWidth, float leftVal, float rightVal,
                   float curVal);
    void handleMouseDrag(point& cursor, int& dt, Universe& universe, lua_State* L) override;
    void handleMouseClick(point& cursor, Universe& universe, lua_State* L) override;
    void importVals(lua_State* L) override;

    float arrowWidth;
    unsigned arrowTexture;
    float leftVal;
    float rightVal;
    float curVal;
    int holdTimer = 0;
    bool arrowHeld = false;
    bool vertical;

protected:
    // The coordinate along which the element reacts, and its extent on that axis.
    virtual float axisOf(const point& p) const = 0;
    virtual float axisLow() const = 0;
    virtual float axisHigh() const = 0;
    virtual bool clickMarksModified() const { return false; }
    void finishDraw();
};

class uiSlider : public uiTrackElement {
public:
    uiSlider(float x1, float y1, float x2, float y2, float arrowWidth, float leftVal, float rightVal, float curVal);
    uiSlider(float x1, float y1, float x2, float y2, float leftVal, float rightVal, float curVal);
    void draw() override;
    void exportVals(std::vector<float>& floats, std::vector<std::string>& strings) override;

protected:
    float axisOf(const point& p) const override { return p.x; }
    float axisLow() const override { return minCorner.x; }
    float axisHigh() const override { return maxCorner.x; }
};

class uiScroller : public uiTrackElement {
public:
    uiScroller(float x1, float y1, float x2, float y2, float arrowWidth, float leftVal, float rightVal,
               float curVal);
    uiScroller(float x1, float y1, float x2, float y2, float leftVal, float rightVal, float curVal);
    void draw() override;
    void exportVals(std::vector<float>& floats, std::vector<std::string>& strings) override;

protected:
    float axisOf(const point& p) const override { return vertical ? p.y : p.x; }
    float axisLow() const override { return vertical ? minCorner.y : minCorner.x; }
    float axisHigh() const override { return vertical ? maxCorner.y : maxCorner.x; }
    bool clickMarksModified() const override { return true; }
};

class uiBar : public uiDisplayBase {
public:
    uiBar(float x1, float y1, float x2, float y2, float leftVal, float rightVal, float curVal);
    void draw() override;
    void importVals(lua_State* L) override;
    void exportVals(std::vector<float>& floats, std::vector<std::string>& strings) override;
    void updateVal(float newLeft, float newRight, float newCur);
    void updateVal(float newCur) { curVal = newCur; }

    float leftVal;
    float rightVal;
    float curVal;
};

class uiBox : public uiDisplayBase {
public:
    uiBox(float x1, float y1, float x2, float y2, std::string text, Font* font, bool textOnly);
    void draw() override;
    void modify(std::vector<float>& floats, std::vector<std::string>& strings) override;
    void importVals(lua_State* L) override;
    void exportVals(std::vector<float>& floats, std::vector<std::string>& strings) override;

    float boxColour[3] = {0.8f, 0.8f, 0.8f};
    std::string text;
    Font* font;
    bool textOnly;
};
