// The script's hint line: what it says now, and the one log line for each new text.
#include "hintLine.h"

#include <iostream>

void HintLine::show(const std::string& text) {
    // One line on screen and in the log: line breaks become spaces.
    std::string line = text;
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    if (line == current) return;
    current = line;
    if (!current.empty()) std::cout << "Hint: " << current << std::endl;
}
