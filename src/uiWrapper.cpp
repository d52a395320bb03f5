// The UI element kinds: their drawing, hit tests, reaction to the cursor and value exchange.
#include "uiWrapper.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <utility>

#include "font.h"
#include "glHeaders.h"
#include "labelBatch.h"
#include "luaTables.h"
#include "textures.h"

namespace {

const int BUTTON_STATES = 4;
const int ARROW_SLOT = 4;
const int REPEAT_DELAY = 300;
const int HOLD_RESET = -1000;

// No NaN or infinity may reach OpenGL, whatever the script imported.
void vertex(float x, float y) { glVertex2f(std::isfinite(x) ? x : 0.0f, std::isfinite(y) ? y : 0.0f); }

// Share of `span` that `offset` covers; 0 when the span is empty or the result is not a number.
float ratio(float offset, float span) {
    if (span == 0.0f) return 0.0f;
    float r = offset / span;
    return std::isfinite(r) ? r : 0.0f;
}

// Five-vertex closed outline of a box.
void outline(float x1, float y1, float x2, float y2) {
    glBegin(GL_LINE_STRIP);
    vertex(x1, y1);
    vertex(x1, y2);
    vertex(x2, y2);
    vertex(x2, y1);
    vertex(x1, y1);
    glEnd();
}

// Quad with one texture coordinate per corner: lower-left, upper-left, upper-right, lower-right.
void texturedQuad(float x1, float y1, float x2, float y2, const float coords[4][2]) {
    glBegin(GL_QUADS);
    glTexCoord2f(coords[0][0], coords[0][1]);
    vertex(x1, y1);
    glTexCoord2f(coords[1][0], coords[1][1]);
    vertex(x1, y2);
    glTexCoord2f(coords[2][0], coords[2][1]);
    vertex(x2, y2);
    glTexCoord2f(coords[3][0], coords[3][1]);
    vertex(x2, y1);
    glEnd();
}

const float UPRIGHT[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
const float HALF_TURN[4][2] = {{1, 1}, {1, 0}, {0, 0}, {0, 1}};
const float QUARTER_TURN_HIGH[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
const float QUARTER_TURN_LOW[4][2] = {{1, 0}, {0, 0}, {0, 1}, {1, 1}};

void sortCorners(point& low, point& high) {
    if (low.x > high.x) std::swap(low.x, high.x);
    if (low.y > high.y) std::swap(low.y, high.y);
}

void drawLabel(LabelBatch* held, Font* font, const std::string& text, const point& low, const point& high) {
    if (text.empty() || !font) return;
    const point centre{low.x + (high.x - low.x) / 2.0f, low.y + (high.y - low.y) / 2.0f};
    if (held)
        held->add(*font, text, centre.x, centre.y, 1.0f);
    else
        font->displayText(text, centre.x, centre.y, 1.0f, true);
}

}  // namespace

bool mouseOver2(const point& p, const point& minCorner, const point& maxCorner) {
    return minCorner.x < p.x && p.x < maxCorner.x && minCorner.y < p.y && p.y < maxCorner.y;
}

uiDisplayBase::uiDisplayBase(float x1, float y1, float x2, float y2)
    : minCorner{std::min(x1, x2), std::min(y1, y2)}, maxCorner{std::max(x1, x2), std::max(y1, y2)} {}

void uiDisplayBase::importCorners(lua_State* L) {
    minCorner = {getLuaTableFloat(L, "x1", -1), getLuaTableFloat(L, "y1", -1)};
    maxCorner = {getLuaTableFloat(L, "x2", -1), getLuaTableFloat(L, "y2", -1)};
    sortCorners(minCorner, maxCorner);
    importColour(L);
}

namespace {

// Reads `count` numbers 0 to 1 from the list in field `key` of the table on top of the stack
// into `target`; true when the field held them all (anything else leaves `target` alone).
bool readUnitList(lua_State* L, const char* key, int count, float* target) {
    lua_pushstring(L, key);
    lua_rawget(L, -2);
    bool complete = lua_istable(L, -1);
    float values[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    for (int i = 0; complete && i < count; ++i) {
        lua_rawgeti(L, -1, i + 1);
        double v = lua_type(L, -1) == LUA_TNUMBER ? lua_tonumber(L, -1) : -1.0;
        lua_pop(L, 1);
        if (!(v >= 0.0)) complete = false;  // also refuses NaN
        values[i] = static_cast<float>(std::min(v, 1.0));
    }
    lua_pop(L, 1);
    if (complete) std::copy(values, values + count, target);
    return complete;
}

}  // namespace

void uiDisplayBase::importColour(lua_State* L) {
    if (!lua_istable(L, -1)) return;
    if (readUnitList(L, "colour", 3, colour)) hasColour = true;
    if (readUnitList(L, "fill", 4, fill)) hasFill = true;
}

void uiDisplayBase::setMarkColour() const {
    if (hasColour)
        glColor3fv(colour);
    else
        glColor3f(1.0f, 0.0f, 0.0f);
}

// ---- uiButton ----

uiButton::uiButton(float x1, float y1, float x2, float y2, Font* font, std::string text, int initialState)
    : uiDisplayBase(x1, y1, x2, y2),
      // A state without a picture would index past the textures.
      buttonState(std::clamp(initialState, 0, BUTTON_STATES - 1)),
      text(std::move(text)),
      font(font) {
    for (int slot = 0; slot < BUTTON_STATES; ++slot) stateTextures.push_back(uiTextureSlot(slot));
}

void uiButton::draw() {
    if (hasColour) glColor3fv(colour);
    int state = std::clamp(buttonState, 0, BUTTON_STATES - 1);
    glBindTexture(GL_TEXTURE_2D, stateTextures[state]);
    texturedQuad(minCorner.x, minCorner.y, maxCorner.x, maxCorner.y, UPRIGHT);
    glBindTexture(GL_TEXTURE_2D, 0);
    drawLabel(heldLabels, font, text, minCorner, maxCorner);
}

void uiButton::handleMouseHover(point& cursor) {
    bool over = mouseOver(cursor);
    if (buttonState == 2 || buttonState == 3)
        buttonState = over ? 3 : 2;
    else
        buttonState = over ? 1 : 0;
}

void uiButton::handleMouseClick(point& cursor, Universe& universe, lua_State* L) {
    if (!mouseOver(cursor)) return;
    buttonState = (buttonState == 2 || buttonState == 3) ? 1 : 3;
    modified = true;
}

void uiButton::importVals(lua_State* L) {
    importCorners(L);
    buttonState = getLuaTableFloat(L, "state", -1) == 1.0f ? 2 : 0;
    text = getLuaTableString(L, "text", -1);
}

void uiButton::exportVals(std::vector<float>& floats, std::vector<std::string>& strings) {
    floats.push_back(1.0f);
    floats.push_back(buttonState == 2 || buttonState == 3 ? 1.0f : 0.0f);
    floats.push_back(minCorner.x);
    floats.push_back(minCorner.y);
    floats.push_back(maxCorner.x);
    floats.push_back(maxCorner.y);
    strings.push_back(text);
}

// ---- sliders and scrollers ----

uiTrackElement::uiTrackElement(float x1, float y1, float x2, float y2, float arrowWidth, float leftVal,
                               float rightVal, float curVal)
    : uiDisplayBase(x1, y1, x2, y2),
      arrowWidth(arrowWidth),
      arrowTexture(uiTextureSlot(ARROW_SLOT)),
      leftVal(leftVal),
      rightVal(rightVal),
      curVal(curVal) {
    // Measured on the sorted corners, so corners given in either order mean the same element.
    float width = maxCorner.x - minCorner.x;
    float height = maxCorner.y - minCorner.y;
    vertical = !(width > height);
    if (this->arrowWidth == 0.0f) this->arrowWidth = vertical ? width : height;
}

void uiTrackElement::handleMouseClick(point& cursor, Universe& universe, lua_State* L) {
    if (!mouseOver(cursor)) return;
    if (clickMarksModified()) modified = true;
    float c = axisOf(cursor);
    if (c < axisLow() + arrowWidth) {
        curVal -= 1.0f;
        if (curVal < leftVal) curVal = leftVal;
        modified = true;
    }
    if (c > axisHigh() - arrowWidth) {
        curVal += 1.0f;
        if (curVal > rightVal) curVal = rightVal;
        modified = true;
    }
}

void uiTrackElement::handleMouseDrag(point& cursor, int& dt, Universe& universe, lua_State* L) {
    if (!mouseOver(cursor)) return;
    float c = axisOf(cursor);
    float trackStart = axisLow() + arrowWidth;
    float trackEnd = axisHigh() - arrowWidth;
    if (c < trackStart) {
        arrowHeld = true;
        holdTimer += 1 + dt;
        if (holdTimer > REPEAT_DELAY) {
            holdTimer = 0;
            curVal -= 1.0f;
            if (curVal < leftVal) curVal = leftVal;
            modified = true;
        }
    } else if (c > trackEnd) {
        arrowHeld = true;
        holdTimer += 1 + dt;
        if (holdTimer > REPEAT_DELAY) {
            holdTimer = 0;
            curVal += 1.0f;
            if (curVal > rightVal) curVal = rightVal;
            modified = true;
        }
    } else if (c > trackStart && c < trackEnd) {
        curVal = ratio(c - trackStart, trackEnd - trackStart) * (rightVal - leftVal) + leftVal;
        modified = true;
    }
}

void uiTrackElement::importVals(lua_State* L) {
    importCorners(L);
    arrowWidth = getLuaTableFloat(L, "arrowWidth", -1);
    leftVal = getLuaTableFloat(L, "leftVal", -1);
    rightVal = getLuaTableFloat(L, "rightVal", -1);
    curVal = getLuaTableFloat(L, "curVal", -1);
}

void uiTrackElement::finishDraw() {
    // Letting go of an arrow (or leaving it) for one frame restarts the repeat delay.
    if (!arrowHeld) holdTimer = HOLD_RESET;
    arrowHeld = false;
}

namespace {

void exportTrack(float kind, const uiTrackElement& e, std::vector<float>& floats) {
    floats.insert(floats.end(), {kind, e.minCorner.x, e.minCorner.y, e.maxCorner.x, e.maxCorner.y, e.arrowWidth,
                                 e.leftVal, e.rightVal, e.curVal});
}

}  // namespace

uiSlider::uiSlider(float x1, float y1, float x2, float y2, float arrowWidth, float leftVal, float rightVal,
                   float curVal)
    : uiTrackElement(x1, y1, x2, y2, arrowWidth, leftVal, rightVal, curVal) {}

uiSlider::uiSlider(float x1, float y1, float x2, float y2, float leftVal, float rightVal, float curVal)
    : uiTrackElement(x1, y1, x2, y2, 0.0f, leftVal, rightVal, curVal) {}

void uiSlider::draw() {
    point savedMin = minCorner;
    point savedMax = maxCorner;
    point centre{minCorner.x + (maxCorner.x - minCorner.x) / 2.0f, minCorner.y + (maxCorner.y - minCorner.y) / 2.0f};
    if (vertical) {
        // Drawn as a horizontal slider turned a quarter about its centre.
        float halfLength = (maxCorner.y - minCorner.y) / 2.0f;
        float halfThickness = (maxCorner.x - minCorner.x) / 2.0f;
        minCorner = {centre.x - halfLength, centre.y - halfThickness};
        maxCorner = {centre.x + halfLength, centre.y + halfThickness};
        glPushMatrix();
        glTranslatef(centre.x, centre.y, 0.0f);
        glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
        glTranslatef(-centre.x, -centre.y, 0.0f);
    }
    glBindTexture(GL_TEXTURE_2D, arrowTexture);
    texturedQuad(maxCorner.x - arrowWidth, minCorner.y, maxCorner.x, maxCorner.y, UPRIGHT);
    texturedQuad(minCorner.x, minCorner.y, minCorner.x + arrowWidth, maxCorner.y, HALF_TURN);
    glBindTexture(GL_TEXTURE_2D, 0);

    float trackStart = minCorner.x + arrowWidth;
    float trackEnd = maxCorner.x - arrowWidth;
    glColor3f(0.9f, 0.9f, 0.9f);
    outline(trackStart, minCorner.y, trackEnd, maxCorner.y);
    float p = ratio(curVal - leftVal, rightVal - leftVal) * (trackEnd - trackStart) + trackStart;
    setMarkColour();
    outline(trackStart, minCorner.y, p, maxCorner.y);

    if (vertical) {
        glPopMatrix();
        minCorner = savedMin;
        maxCorner = savedMax;
    }
    finishDraw();
}

void uiSlider::exportVals(std::vector<float>& floats, std::vector<std::string>& strings) {
    exportTrack(2.0f, *this, floats);
}

uiScroller::uiScroller(float x1, float y1, float x2, float y2, float arrowWidth, float leftVal, float rightVal,
                       float curVal)
    : uiTrackElement(x1, y1, x2, y2, arrowWidth, leftVal, rightVal, curVal) {}

uiScroller::uiScroller(float x1, float y1, float x2, float y2, float leftVal, float rightVal, float curVal)
    : uiTrackElement(x1, y1, x2, y2, 0.0f, leftVal, rightVal, curVal) {}

void uiScroller::draw() {
    float lo = axisLow();
    float hi = axisHigh();
    float centre = ratio(curVal - leftVal, rightVal - leftVal) * ((hi - 1.5f * arrowWidth) - (lo + 1.5f * arrowWidth)) +
                   (lo + 1.5f * arrowWidth);
    glBindTexture(GL_TEXTURE_2D, arrowTexture);
    if (vertical) {
        texturedQuad(minCorner.x, maxCorner.y - arrowWidth, maxCorner.x, maxCorner.y, QUARTER_TURN_HIGH);
        texturedQuad(minCorner.x, minCorner.y, maxCorner.x, minCorner.y + arrowWidth, QUARTER_TURN_LOW);
    } else {
        texturedQuad(maxCorner.x - arrowWidth, minCorner.y, maxCorner.x, maxCorner.y, UPRIGHT);
        texturedQuad(minCorner.x, minCorner.y, minCorner.x + arrowWidth, maxCorner.y, HALF_TURN);
    }
    glBindTexture(GL_TEXTURE_2D, 0);

    glColor3f(0.9f, 0.9f, 0.9f);
    if (vertical)
        outline(minCorner.x, lo + arrowWidth, maxCorner.x, hi - arrowWidth);
    else
        outline(lo + arrowWidth, minCorner.y, hi - arrowWidth, maxCorner.y);
    setMarkColour();
    float half = arrowWidth / 2.0f;
    if (vertical)
        outline(minCorner.x, centre - half, maxCorner.x, centre + half);
    else
        outline(centre - half, minCorner.y, centre + half, maxCorner.y);
    finishDraw();
}

void uiScroller::exportVals(std::vector<float>& floats, std::vector<std::string>& strings) {
    exportTrack(4.0f, *this, floats);
}

// ---- uiBar ----

uiBar::uiBar(float x1, float y1, float x2, float y2, float leftVal, float rightVal, float curVal)
    : uiDisplayBase(x1, y1, x2, y2), leftVal(leftVal), rightVal(rightVal), curVal(curVal) {}

void uiBar::draw() {
    glBindTexture(GL_TEXTURE_2D, 0);
    glColor3f(0.9f, 0.9f, 0.9f);
    outline(minCorner.x, minCorner.y, maxCorner.x, maxCorner.y);
    float p = ratio(curVal - leftVal, rightVal - leftVal) * (maxCorner.x - minCorner.x) + minCorner.x;
    setMarkColour();
    outline(minCorner.x, minCorner.y, p, maxCorner.y);
}

void uiBar::importVals(lua_State* L) {
    importCorners(L);
    leftVal = getLuaTableFloat(L, "leftVal", -1);
    rightVal = getLuaTableFloat(L, "rightVal", -1);
    curVal = getLuaTableFloat(L, "curVal", -1);
}

void uiBar::exportVals(std::vector<float>& floats, std::vector<std::string>& strings) {
    floats.insert(floats.end(),
                  {3.0f, minCorner.x, minCorner.y, maxCorner.x, maxCorner.y, leftVal, rightVal, curVal});
}

void uiBar::updateVal(float newLeft, float newRight, float newCur) {
    leftVal = newLeft;
    rightVal = newRight;
    curVal = newCur;
}

// ---- uiBox ----

uiBox::uiBox(float x1, float y1, float x2, float y2, std::string text, Font* font, bool textOnly)
    : uiDisplayBase(x1, y1, x2, y2), text(std::move(text)), font(font), textOnly(textOnly) {}

void uiBox::draw() {
    if (hasFill) {
        glBindTexture(GL_TEXTURE_2D, 0);
        glColor4fv(fill);
        glBegin(GL_QUADS);
        vertex(minCorner.x, minCorner.y);
        vertex(minCorner.x, maxCorner.y);
        vertex(maxCorner.x, maxCorner.y);
        vertex(maxCorner.x, minCorner.y);
        glEnd();
        glColor4f(fill[0], fill[1], fill[2], 1.0f);
    }
    if (!textOnly) {
        glBindTexture(GL_TEXTURE_2D, 0);
        glColor3fv(hasColour ? colour : boxColour);
        outline(minCorner.x, minCorner.y, maxCorner.x, maxCorner.y);
    } else if (hasColour) {
        glColor3fv(colour);
    }
    drawLabel(heldLabels, font, text, minCorner, maxCorner);
}

void uiBox::modify(std::vector<float>& floats, std::vector<std::string>& strings) {
    std::cout << "Box mod hit" << std::endl;
    if (floats.size() >= 4 && floats[0] == 0.0f) {
        boxColour[0] = floats[1];
        boxColour[1] = floats[2];
        boxColour[2] = floats[3];
    }
    if (floats.size() >= 5 && floats[0] == 1.0f) {
        minCorner = {floats[1], floats[2]};
        maxCorner = {floats[3], floats[4]};
        sortCorners(minCorner, maxCorner);
        std::cout << "x1 " << minCorner.x << std::endl;
    }
    if (!floats.empty() && floats[0] == 2.0f && !strings.empty()) text = strings[0];
}

void uiBox::importVals(lua_State* L) {
    importCorners(L);
    text = getLuaTableString(L, "text", -1);
}

void uiBox::exportVals(std::vector<float>& floats, std::vector<std::string>& strings) {
    floats.insert(floats.end(), {5.0f, minCorner.x, minCorner.y, maxCorner.x, maxCorner.y});
    strings.push_back(text);
}
