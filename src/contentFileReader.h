// Reads the attributes of one parsed content file as the loaders need them, and tells the
// modder about what the file holds that the game cannot use: a number that is not one, an
// element the game does not know. Each such line names the file and the line, and loading
// goes on with the value the game has always used.
#pragma once

#include <string>

#include "xmlValues.h"

class ContentFileReader {
public:
    // Messages name the file by its name without the folder, such as "universe.xml" or, for a
    // loaded game, "universeSAV.xml".
    explicit ContentFileReader(const XmlFile& file);

    // getValF's value: the number, or 0 when missing; text that is no number gives 0, reported.
    float number(XmlNode* node, const char* key) const;
    // The same with `fallback` for a missing attribute; text that is no number still gives 0.
    float number(XmlNode* node, const char* key, float fallback) const;
    // A number truncated to an int (clampedInt), `fallback` when missing.
    int wholeNumber(XmlNode* node, const char* key, int fallback) const;
    // Reports an element the loader has no use for; the loader then passes over it.
    void unknownElement(const XmlNode* node) const;

private:
    // Reports `key`'s text when it holds no number (the C library would read it as 0).
    void checkNumber(XmlNode* node, const char* key) const;
    // "Error, <file> line <n>: " for a message about `node`.
    std::string where(const XmlNode* node) const;

    const XmlFile& file;
    std::string fileName;
};
