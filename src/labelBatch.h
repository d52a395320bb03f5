// A window's labels held back and sent to GL together: one vertex array per font atlas instead of
// one draw per label, which a software renderer pays for dearly when a window shows 80 of them.
#pragma once

#include <vector>

#include "basics.h"

class Font;

class LabelBatch {
public:
    // Holds `text` as Font::displayText draws it centred on (x, y) at `size`, in the current
    // colour (the colour a label drawn now would take).
    void add(const Font& font, const std::string& text, float x, float y, float size);
    // Whether a held label comes within reach of the box: drawing there must wait for them.
    bool overlaps(point low, point high) const;
    // Draws the held labels in the order they came and forgets them; the current colour, the
    // client arrays and the bound texture are left as displayText leaves them.
    void flush();

private:
    struct Run {
        unsigned atlas = 0;
        size_t firstVertex = 0;
        size_t vertexCount = 0;
    };
    struct Box {
        point low, high;
    };
    std::vector<float> vertices;  // x, y, u, v for each corner
    std::vector<float> colours;   // r, g, b, a for each corner
    std::vector<Run> runs;
    std::vector<Box> boxes;
};
