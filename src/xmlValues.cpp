// Attribute reading and writing helpers, indexed lists, and the parsed-file holder XmlFile.
#include "xmlValues.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <utility>

#include "basics.h"

namespace {
const size_t INDEX_PREFIX_LENGTH = 5;  // "index"

XmlAttr* findAttribute(XmlNode* node, const std::string& name) {
    if (!node) return nullptr;
    return node->first_attribute(name.c_str(), name.size());
}

// Copies text into the document's pool so it lives as long as the document.
char* poolString(XmlDoc& doc, const std::string& text) { return doc.allocate_string(text.c_str(), text.size() + 1); }

// 1-based line of `where` inside `buffer`; 0 when it points elsewhere.
int lineAt(const std::vector<char>& buffer, const char* where) {
    if (buffer.empty() || !where || where < buffer.data() || where > buffer.data() + buffer.size()) return 0;
    return 1 + static_cast<int>(std::count(buffer.data(), where, '\n'));
}
}  // namespace

std::string getVal(XmlNode* node, const std::string& name) {
    XmlAttr* attr = findAttribute(node, name);
    return attr ? std::string(attr->value(), attr->value_size()) : std::string();
}

std::string getVal(XmlNode* node, const std::string& name, const std::string& fallback) {
    XmlAttr* attr = findAttribute(node, name);
    return attr ? std::string(attr->value(), attr->value_size()) : fallback;
}

std::string getValND(XmlNode* node, const std::string& name) {
    XmlAttr* attr = findAttribute(node, name);
    if (!attr) {
        std::cout << "Error, XML value " << name << " not present, and is required" << std::endl;
        return std::string();
    }
    return std::string(attr->value(), attr->value_size());
}

bool checkVal(XmlNode* node, const std::string& name) { return findAttribute(node, name) != nullptr; }

float getValF(XmlNode* node, const std::string& name) {
    XmlAttr* attr = findAttribute(node, name);
    return attr ? static_cast<float>(std::atof(attr->value())) : 0.0f;
}

float getValF(XmlNode* node, const std::string& name, float fallback) {
    XmlAttr* attr = findAttribute(node, name);
    return attr ? static_cast<float>(std::atof(attr->value())) : fallback;
}

long getValLIND(XmlNode* node, const std::string& name) { return std::atol(getValND(node, name).c_str()); }

float getValFND(XmlNode* node, const std::string& name) {
    return static_cast<float>(std::atof(getValND(node, name).c_str()));
}

void changeAttribValue(XmlDoc& doc, XmlNode* node, const std::string& name, const char* value) {
    if (XmlAttr* old = findAttribute(node, name)) node->remove_attribute(old);
    node->append_attribute(doc.allocate_attribute(poolString(doc, name), poolString(doc, value ? value : "")));
}

void changeAttribValue(XmlDoc& doc, XmlNode* node, const std::string& name, const std::string& value) {
    changeAttribValue(doc, node, name, value.c_str());
}

void changeAttribValue(XmlDoc& doc, XmlNode* node, const std::string& name, float value) {
    changeAttribValue(doc, node, name, toString(value).c_str());
}

void addAttribValue(XmlDoc& doc, XmlNode* node, const char* name, float value) {
    addAttribValue(doc, node, name, toString(value));
}

void addAttribValue(XmlDoc& doc, XmlNode* node, const char* name, const std::string& value) {
    node->append_attribute(doc.allocate_attribute(poolString(doc, name), poolString(doc, value)));
}

void addAttribValue(XmlDoc& doc, XmlNode* node, const std::string& name, float value) {
    addAttribValue(doc, node, name.c_str(), toString(value));
}

bool isAttributeName(const std::string& key) {
    if (key.empty()) return false;
    for (char c : key)
        if (std::strchr(" \t\r\n/<>=?!&\"'", c) || c == '\0') return false;
    return true;
}

std::vector<std::pair<std::string, std::string>> xmlAttributePairs(const XmlNode* node) {
    std::vector<std::pair<std::string, std::string>> pairs;
    for (XmlAttr* a = node ? node->first_attribute() : nullptr; a; a = a->next_attribute())
        pairs.emplace_back(std::string(a->name(), a->name_size()), std::string(a->value(), a->value_size()));
    return pairs;
}

XmlNode* appendElement(XmlDoc& doc, XmlNode* parent, const std::string& name) {
    XmlNode* element = doc.allocate_node(rapidxml::node_element, poolString(doc, name));
    parent->append_node(element);
    return element;
}

std::vector<double> readIndexedList(XmlNode* parent, const std::string& name, size_t maxSize) {
    std::vector<double> values;
    XmlNode* list = parent ? parent->first_node(name.c_str(), name.size()) : nullptr;
    if (!list) return values;
    for (XmlAttr* attr = list->first_attribute(); attr; attr = attr->next_attribute()) {
        const char* digits = attr->name_size() > INDEX_PREFIX_LENGTH ? attr->name() + INDEX_PREFIX_LENGTH : "";
        char* end = nullptr;
        errno = 0;
        long long position = std::strtoll(digits, &end, 10);
        // A position that is negative or past the limit would make us allocate without bound.
        if (position < 0 || errno == ERANGE || static_cast<unsigned long long>(position) >= maxSize) {
            std::cout << "Error, position " << digits << " of list " << name << " is outside 0 to "
                      << (maxSize == 0 ? 0 : maxSize - 1) << ", skipped" << std::endl;
            continue;
        }
        size_t slot = static_cast<size_t>(position);
        if (values.size() <= slot) values.resize(slot + 1, 0.0);
        values[slot] = std::atof(attr->value());
    }
    return values;
}

int xmlLineOf(const std::vector<char>& buffer, const XmlNode* node) {
    return node ? lineAt(buffer, node->name()) : 0;
}

bool XmlFile::load(const std::string& path, const std::string& rootName, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot open file";
        return false;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = path + ": cannot read file";
        return false;
    }
    return parse(text, rootName, path, error);
}

bool XmlFile::parse(const std::string& text, const std::string& rootName, const std::string& label,
                    std::string& error) {
    XmlFile fresh;
    fresh.buffer.assign(text.begin(), text.end());
    fresh.buffer.push_back('\0');
    try {
        fresh.document->parse<0>(fresh.buffer.data());
    } catch (const rapidxml::parse_error& e) {
        error = label + ": " + e.what();
        int line = lineAt(fresh.buffer, e.where<char>());
        if (line > 0) error += " at line " + std::to_string(line);
        return false;
    }
    XmlNode* root = fresh.document->first_node();
    if (!root) {
        error = label + ": no root element, expected \"" + rootName + "\"";
        return false;
    }
    if (std::string(root->name(), root->name_size()) != rootName) {
        error = label + ": root element is \"" + std::string(root->name(), root->name_size()) + "\", expected \"" +
                rootName + "\"";
        return false;
    }
    fresh.rootNode = root;
    fresh.sourceName = label;
    swap(fresh);
    return true;
}

void XmlFile::swap(XmlFile& other) {
    // The document points into the buffer's heap block, which moves along with the vector.
    buffer.swap(other.buffer);
    document.swap(other.document);
    std::swap(rootNode, other.rootNode);
    sourceName.swap(other.sourceName);
}
