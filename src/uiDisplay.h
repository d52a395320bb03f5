// A script-built window: a named list of UI elements, and the protocol through which the
// script creates windows ("addUI") and answers the user's changes ("updateUI").
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "labelBatch.h"
#include "uiWrapper.h"

struct lua_State;
class Font;
class Universe;

// Owns its elements; they are freed when the script deletes them or the display goes.
class uiDisplay {
public:
    uiDisplay() : name("default") {}
    explicit uiDisplay(std::string name) : name(std::move(name)) {}
    uiDisplay(uiDisplay&&) = default;
    uiDisplay& operator=(uiDisplay&&) = default;

    // Draws every element in order, their labels gathered into as few draws as the order allows.
    void draw();
    void mouseHover(point& cursor);
    void mouseDrag(point& cursor, int& dt, Universe& universe, lua_State* L);
    void mouseClick(point& cursor, Universe& universe, lua_State* L);
    void keys(const std::string& key, Universe& universe, lua_State* L) {}
    // The "updateUI" exchange; false when the display has no elements left.
    bool update(Universe& universe, std::vector<Font*> fonts, lua_State* L);
    void addDisplay(uiDisplayBase* element, const std::string& elementName);
    size_t size() const { return elements.size(); }
    void exportVals(std::vector<std::vector<float>>& floats, std::vector<std::vector<std::string>>& strings);
    void modify(std::vector<std::vector<float>>& floats, std::vector<std::vector<std::string>>& strings);
    const std::string& getName() const { return name; }
    uiDisplayBase* element(size_t i) const { return elements[i].get(); }

private:
    std::string name;
    std::vector<std::unique_ptr<uiDisplayBase>> elements;
    LabelBatch labels;  // kept from frame to frame to spare its allocations
};

// Calls "addUI" with the event's numbers and builds a display from the answers.
void uiEvent(Universe& universe, std::vector<float>& event, std::vector<Font*> fonts, lua_State* L);
// Builds one element from the creation table on top of the stack, adds it to the newest
// display and removes the table.
void addElement(Universe& universe, std::vector<Font*> fonts, lua_State* L);
// Kind code 0 to 6 from the "type" of the table on top of the stack.
int typeDecoder(lua_State* L);
