#include "contentFileReader.h"

#include <cstdlib>
#include <iostream>
#include <utility>

#include "clampedNumber.h"

ContentFileReader::ContentFileReader(const XmlFile& file)
    : file(file), fileName(file.source().substr(file.source().find_last_of('/') + 1)) {}

float ContentFileReader::number(XmlNode* node, const char* key) const {
    checkNumber(node, key);
    return getValF(node, key);
}

float ContentFileReader::number(XmlNode* node, const char* key, float fallback) const {
    checkNumber(node, key);
    return getValF(node, key, fallback);
}

int ContentFileReader::wholeNumber(XmlNode* node, const char* key, int fallback) const {
    return checkVal(node, key) ? clampedInt(number(node, key)) : fallback;
}

void ContentFileReader::unknownElement(const XmlNode* node) const {
    std::cout << where(node) << "unknown element <" << std::string(node->name(), node->name_size())
              << "> left out" << std::endl;
}

void ContentFileReader::checkNumber(XmlNode* node, const char* key) const {
    if (!checkVal(node, key)) return;
    std::string text = getVal(node, key);
    char* end = nullptr;
    std::strtod(text.c_str(), &end);
    // Only text of which nothing reads as a number; "12abc" still gives 12, as it always did.
    if (end != text.c_str()) return;
    std::cout << where(node) << key << "=\"" << text << "\" is not a number, 0 used" << std::endl;
}

std::string ContentFileReader::where(const XmlNode* node) const {
    return "Error, " + fileName + " line " + std::to_string(xmlLineOf(file.text(), node)) + ": ";
}
