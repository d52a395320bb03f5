// The one line of guidance the script shows the pilot ("showHint"), kept until it is replaced.
#pragma once

#include <string>

class HintLine {
public:
    // Replaces the hint; an empty text clears it. A text other than the one showing is printed
    // once on standard output as "Hint: <text>", so a player's log (and a test) can follow it.
    void show(const std::string& text);
    const std::string& text() const { return current; }

private:
    std::string current;
};
