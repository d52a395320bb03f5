// Script-built windows: input forwarding to their elements, and the "addUI" / "updateUI"
// exchange with the script.
#include "uiDisplay.h"

#include <iostream>
#include <memory>

#include "basics.h"
#include "clampedNumber.h"
#include "luaTables.h"
#include "scriptGuard.h"
#include "worldState.h"

namespace {

// Kind codes of the element types, as exported and as decoded from "type".
const char* const TYPE_NAMES[] = {"button", "slider", "bar", "scroller", "box", "text"};

// The report table of one element from its export, pushed onto the stack; false (with the
// message) when the export is too short for its kind.
bool pushReport(lua_State* L, const uiDisplayBase& element, const std::vector<float>& f,
                const std::vector<std::string>& s) {
    int kind = clampedInt(f[0]);
    auto corners = [&]() {
        pushFloatOnTable(L, "x1", f[1]);
        pushFloatOnTable(L, "y1", f[2]);
        pushFloatOnTable(L, "x2", f[3]);
        pushFloatOnTable(L, "y2", f[4]);
    };
    switch (kind) {
        case 1: {
            bool ok = true;
            if (s.empty()) {
                std::cout << "Error, not enough strings in button" << std::endl;
                ok = false;
            }
            if (f.size() < 6) {
                std::cout << "Error, not enough floats in button" << std::endl;
                ok = false;
            }
            if (!ok) return false;
            lua_newtable(L);
            pushStringOnTable(L, "name", element.name);
            pushFloatOnTable(L, "state", f[1]);
            pushFloatOnTable(L, "x1", f[2]);
            pushFloatOnTable(L, "y1", f[3]);
            pushFloatOnTable(L, "x2", f[4]);
            pushFloatOnTable(L, "y2", f[5]);
            pushStringOnTable(L, "text", s[0]);
            pushBoolOnTable(L, "modified", element.modified);
            return true;
        }
        case 2:
        case 4: {
            if (f.size() < 9) {
                std::cout << (kind == 2 ? "Error, not enough floats in slider" : "Error, not enough floats in scroller")
                          << std::endl;
                return false;
            }
            lua_newtable(L);
            pushStringOnTable(L, "name", element.name);
            corners();
            pushFloatOnTable(L, "arrowWidth", f[5]);
            pushFloatOnTable(L, "leftVal", f[6]);
            pushFloatOnTable(L, "rightVal", f[7]);
            pushFloatOnTable(L, "curVal", f[8]);
            pushBoolOnTable(L, "modified", element.modified);
            return true;
        }
        case 3: {
            if (f.size() < 8) {
                std::cout << "Error, not enough floats in bar" << std::endl;
                return false;
            }
            lua_newtable(L);
            pushStringOnTable(L, "name", element.name);
            corners();
            pushFloatOnTable(L, "leftVal", f[5]);
            pushFloatOnTable(L, "rightVal", f[6]);
            pushFloatOnTable(L, "curVal", f[7]);
            pushBoolOnTable(L, "modified", element.modified);
            return true;
        }
        case 5:
        case 6: {
            const char* what = kind == 5 ? "box" : "text";
            bool ok = true;
            if (s.empty()) {
                std::cout << "Error, not enough strings in " << what << std::endl;
                ok = false;
            }
            if (f.size() < 5) {
                std::cout << "Error, not enough floats in " << what << std::endl;
                ok = false;
            }
            if (!ok) return false;
            lua_newtable(L);
            pushStringOnTable(L, "name", element.name);
            corners();
            pushStringOnTable(L, "text", s[0]);
            pushBoolOnTable(L, "modified", element.modified);
            return true;
        }
        default:
            std::cout << "Error, bad element number type" << kind << std::endl;
            return false;
    }
}

// The font at a script-given index; font 0 stands in for an index outside the list.
Font* pickFont(const std::vector<Font*>& fonts, double index) {
    if (fonts.empty()) return nullptr;
    int i = clampedInt(index);
    if (i < 0 || static_cast<size_t>(i) >= fonts.size()) return fonts[0];
    return fonts[i];
}

// Whether field "delete" of the table on top is exactly the number 1.
bool deleteRequested(lua_State* L) {
    lua_pushstring(L, "delete");
    lua_rawget(L, -2);
    bool result = lua_type(L, -1) == LUA_TNUMBER && lua_tonumber(L, -1) == 1.0;
    lua_pop(L, 1);
    return result;
}

}  // namespace

void uiDisplay::draw() {
    // Labels wait to be drawn together until something is drawn where one of them lies, so
    // every pixel still sees the elements in their order.
    for (auto& element : elements) {
        if (labels.overlaps(element->minCorner, element->maxCorner)) labels.flush();
        element->drawHoldingLabels(labels);
    }
    labels.flush();
}

void uiDisplay::mouseHover(point& cursor) {
    for (auto& element : elements) element->handleMouseHover(cursor);
}

void uiDisplay::mouseDrag(point& cursor, int& dt, Universe& universe, lua_State* L) {
    for (auto& element : elements) element->handleMouseDrag(cursor, dt, universe, L);
}

void uiDisplay::mouseClick(point& cursor, Universe& universe, lua_State* L) {
    // An element that takes the click marks itself changed; that is the click to be heard.
    bool answered = false;
    for (auto& element : elements) {
        const bool before = element->modified;
        element->handleMouseClick(cursor, universe, L);
        answered = answered || (element->modified && !before);
    }
    if (answered && universe.player && static_cast<size_t>(universe.player->getWorld()) < universe.worlds.size())
        universe.currentWorld().soundCues.push_back({SoundKind::Click, cursor, true});
}

void uiDisplay::addDisplay(uiDisplayBase* element, const std::string& elementName) {
    element->name = elementName;
    elements.emplace_back(element);
}

void uiDisplay::exportVals(std::vector<std::vector<float>>& floats, std::vector<std::vector<std::string>>& strings) {
    floats.resize(elements.size());
    strings.resize(elements.size());
    std::cout << "Size:" << elements.size() << std::endl;
    for (size_t i = 0; i < elements.size(); ++i) {
        strings[i].push_back(name);
        elements[i]->exportVals(floats[i], strings[i]);
    }
}

void uiDisplay::modify(std::vector<std::vector<float>>& floats, std::vector<std::vector<std::string>>& strings) {
    floats.resize(elements.size());
    strings.resize(elements.size());
    for (size_t i = 0; i < elements.size(); ++i) elements[i]->modify(floats[i], strings[i]);
}

bool uiDisplay::update(Universe& universe, std::vector<Font*> fonts, lua_State* L) {
    bool anyModified = false;
    for (auto& element : elements) anyModified = anyModified || element->modified;
    if (!anyModified || !L) return true;

    // Only what this exchange leaves above `base` is taken as the script's answers.
    int base = lua_gettop(L);
    if (!lua_checkstack(L, static_cast<int>(elements.size()) + 8)) {
        std::cout << "LUA encountered an error in uiDisplay update function: too many elements" << std::endl;
        for (auto& element : elements) element->modified = false;
        return true;
    }
    lua_getglobal(L, "updateUI");
    lua_pushlstring(L, name.data(), name.size());
    int pushed = 0;
    for (size_t i = 0; i < elements.size(); ++i) {
        std::vector<float> floats;
        std::vector<std::string> strings;
        elements[i]->exportVals(floats, strings);
        if (floats.empty()) {
            std::cout << "Error, no floats returned from exportVals call, failed element export" << std::endl;
            continue;
        }
        std::cout << "i:" << i << ", type" << clampedInt(floats[0]) << std::endl;
        if (pushReport(L, *elements[i], floats, strings)) ++pushed;
    }

    stackDump(L);
    callScript(L, 1 + pushed, LUA_MULTRET, "LUA encountered an error in uiDisplay update function: ");
    stackDump(L);
    for (auto& element : elements) element->modified = false;

    // Answers are handled from the last returned to the first.
    while (lua_gettop(L) > base) {
        stackDump(L);
        if (!lua_istable(L, -1)) {
            std::cout << "Error in uidisplay, update function: LUA script returned non-table type: "
                      << lua_typename(L, lua_type(L, -1)) << std::endl;
            lua_pop(L, 1);
            continue;
        }
        std::string target = getLuaTableString(L, "name", -1);
        bool remove = deleteRequested(L);
        for (size_t i = 0; i < elements.size();) {
            if (elements[i]->name != target) {
                std::cout << elements[i]->name << " - " << target << std::endl;
                ++i;
            } else if (remove) {
                elements.erase(elements.begin() + static_cast<long>(i));
            } else {
                elements[i]->importVals(L);
                ++i;
            }
        }
        if (getLuaTableBool(L, "new", -1))
            addElement(universe, fonts, L);
        else
            lua_pop(L, 1);
    }
    lua_settop(L, base);
    return !elements.empty();
}

int typeDecoder(lua_State* L) {
    std::string type = getLuaTableString(L, "type", -1);
    // Only a string names a type; a number's text matches none of the names anyway.
    for (int kind = 1; kind <= 6; ++kind)
        if (type == TYPE_NAMES[kind - 1]) return kind;
    return 0;
}

void addElement(Universe& universe, std::vector<Font*> fonts, lua_State* L) {
    int kind = typeDecoder(L);
    if (kind == 0) {
        std::cout << "Error, bad LUA UI element number.  Full stack dump follows." << std::endl;
        stackDump(L);
        lua_pop(L, 1);
        return;
    }
    float x1 = getLuaTableFloat(L, "x1", -1);
    float y1 = getLuaTableFloat(L, "y1", -1);
    float x2 = getLuaTableFloat(L, "x2", -1);
    float y2 = getLuaTableFloat(L, "y2", -1);
    std::unique_ptr<uiDisplayBase> element;
    switch (kind) {
        case 1:
            element = std::make_unique<uiButton>(x1, y1, x2, y2, pickFont(fonts, getLuaTableFloat(L, "font", -1)),
                                                 getLuaTableString(L, "text", -1),
                                                 clampedInt(getLuaTableFloat(L, "initialState", -1)));
            break;
        case 2:
            element = std::make_unique<uiSlider>(x1, y1, x2, y2, getLuaTableFloat(L, "arrowWidth", -1),
                                                 getLuaTableFloat(L, "leftVal", -1), getLuaTableFloat(L, "rightVal", -1),
                                                 getLuaTableFloat(L, "curVal", -1));
            break;
        case 3:
            element = std::make_unique<uiBar>(x1, y1, x2, y2, getLuaTableFloat(L, "leftVal", -1),
                                              getLuaTableFloat(L, "rightVal", -1), getLuaTableFloat(L, "curVal", -1));
            break;
        case 4:
            element = std::make_unique<uiScroller>(x1, y1, x2, y2, getLuaTableFloat(L, "arrowWidth", -1),
                                                   getLuaTableFloat(L, "leftVal", -1),
                                                   getLuaTableFloat(L, "rightVal", -1), getLuaTableFloat(L, "curVal", -1));
            break;
        default:
            element = std::make_unique<uiBox>(x1, y1, x2, y2, getLuaTableString(L, "text", -1),
                                              pickFont(fonts, getLuaTableFloat(L, "font", -1)), kind == 6);
            break;
    }
    element->importColour(L);
    std::string elementName = getLuaTableString(L, "name", -1);
    lua_pop(L, 1);
    if (universe.displays.empty()) {
        std::cout << "Error, no display to add a UI element to" << std::endl;
        return;
    }
    universe.displays.back().addDisplay(element.release(), elementName);
}

void uiEvent(Universe& universe, std::vector<float>& event, std::vector<Font*> fonts, lua_State* L) {
    if (event.empty() || !L) return;
    int base = lua_gettop(L);
    if (!lua_checkstack(L, static_cast<int>(event.size()) + 8)) return;
    lua_getglobal(L, "addUI");
    for (float number : event) lua_pushnumber(L, number);
    std::cout << "Event type " << toString(event[0]) << " calling" << std::endl;
    if (!callScript(L, static_cast<int>(event.size()), LUA_MULTRET, "Lua event error, ")) {
        lua_settop(L, base);
        return;
    }
    std::cout << "LUA called" << std::endl;
    stackDump(L);
    int answers = lua_gettop(L) - base;
    if (answers == 1) {
        lua_settop(L, base);
        return;
    }
    // No answer at all has no name either.
    if (answers == 0 || lua_type(L, -1) != LUA_TSTRING) {
        std::cout << "Error, display name undefined in LUA, aborting, LUA stack dump follows" << std::endl;
        stackDump(L);
        // Dropped now: left on the stack they would be taken for answers of a later update.
        lua_settop(L, base);
        return;
    }
    std::string displayName = lua_tostring(L, -1);
    universe.displays.emplace_back(displayName);
    std::cout << "Set name: " << displayName << std::endl;
    lua_pop(L, 1);
    while (lua_gettop(L) > base) addElement(universe, fonts, L);
}
