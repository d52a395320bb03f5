// Every read and write of an XML attribute goes through these helpers; XmlFile keeps a parsed
// document together with the text buffer it points into.
#pragma once

#include <rapidxml/rapidxml.hpp>

#include <memory>
#include <string>
#include <utility>
#include <vector>

using XmlNode = rapidxml::xml_node<char>;
using XmlDoc = rapidxml::xml_document<char>;
using XmlAttr = rapidxml::xml_attribute<char>;

std::string getVal(XmlNode* node, const std::string& name);
std::string getVal(XmlNode* node, const std::string& name, const std::string& fallback);
std::string getValND(XmlNode* node, const std::string& name);
bool checkVal(XmlNode* node, const std::string& name);
float getValF(XmlNode* node, const std::string& name);
float getValF(XmlNode* node, const std::string& name, float fallback);
long getValLIND(XmlNode* node, const std::string& name);
float getValFND(XmlNode* node, const std::string& name);

void changeAttribValue(XmlDoc& doc, XmlNode* node, const std::string& name, const char* value);
void changeAttribValue(XmlDoc& doc, XmlNode* node, const std::string& name, const std::string& value);
void changeAttribValue(XmlDoc& doc, XmlNode* node, const std::string& name, float value);
void addAttribValue(XmlDoc& doc, XmlNode* node, const char* name, float value);
void addAttribValue(XmlDoc& doc, XmlNode* node, const char* name, const std::string& value);
void addAttribValue(XmlDoc& doc, XmlNode* node, const std::string& name, float value);

// Whether `key` can be written as an attribute name that reads back as the same key.
bool isAttributeName(const std::string& key);

// Every attribute of an element as (name, value) pairs, in document order; none for null.
std::vector<std::pair<std::string, std::string>> xmlAttributePairs(const XmlNode* node);

// A new element named `name` (copied into the pool), appended to `parent`.
XmlNode* appendElement(XmlDoc& doc, XmlNode* parent, const std::string& name);

// Writes a vector of numbers as one child named `name` with attributes index0, index1, ...
// Nothing is written for an empty vector.
template <typename T>
void writeIndexedList(XmlDoc& doc, XmlNode* parent, const std::string& name, const std::vector<T>& values) {
    if (values.empty()) return;
    XmlNode* list = appendElement(doc, parent, name);
    for (size_t i = 0; i < values.size(); ++i)
        addAttribValue(doc, list, "index" + std::to_string(i), static_cast<float>(values[i]));
}

// Reads an indexed list written by writeIndexedList from the first child named `name`.
// Positions beyond `maxSize` are refused with a message (a corrupt save must not allocate
// without bound).
std::vector<double> readIndexedList(XmlNode* parent, const std::string& name, size_t maxSize = 4096);

// 1-based line of a node in the buffer it was parsed from, for messages.
int xmlLineOf(const std::vector<char>& buffer, const XmlNode* node);

// A parsed XML file: the text buffer and the document that points into it.
class XmlFile {
public:
    XmlFile() = default;
    XmlFile(const XmlFile&) = delete;
    XmlFile& operator=(const XmlFile&) = delete;

    // Reads and parses `path`, requiring the root element `rootName`. On failure returns false,
    // leaves this object unchanged and describes the problem (naming the file) in `error`.
    bool load(const std::string& path, const std::string& rootName, std::string& error);
    // The same from text already in memory; `label` names the source in messages.
    bool parse(const std::string& text, const std::string& rootName, const std::string& label,
               std::string& error);
    // Takes over another file's content (used to commit a load only after it fully succeeded).
    void swap(XmlFile& other);

    XmlDoc& doc() { return *document; }
    XmlNode* root() const { return rootNode; }
    const std::vector<char>& text() const { return buffer; }
    // Where the text came from: the path given to load, or parse's label.
    const std::string& source() const { return sourceName; }

private:
    std::vector<char> buffer;
    std::string sourceName;
    std::unique_ptr<XmlDoc> document = std::make_unique<XmlDoc>();
    XmlNode* rootNode = nullptr;
};
