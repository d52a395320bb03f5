// Tests of the XML value helpers, indexed lists and XmlFile.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "testSupport.h"
#include "xmlValues.h"

namespace {
// A parsed one-element document for attribute tests.
struct Element {
    XmlFile file;
    XmlNode* node = nullptr;
    explicit Element(const std::string& text) {
        std::string error;
        EXPECT_TRUE(file.parse(text, "e", "test", error)) << error;
        node = file.root();
    }
};

std::vector<std::string> attributeNames(XmlNode* node) {
    std::vector<std::string> names;
    for (XmlAttr* a = node->first_attribute(); a; a = a->next_attribute()) names.push_back(a->name());
    return names;
}
}  // namespace

TEST(XmlValues, ReadsPresentAndMissingAttributes) {
    Element e(R"(<e name="Sol" size="12.5" word="abc"/>)");
    EXPECT_EQ(getVal(e.node, "name"), "Sol");
    EXPECT_EQ(getVal(e.node, "missing"), "");
    EXPECT_EQ(getVal(e.node, "missing", "fallback"), "fallback");
    EXPECT_TRUE(checkVal(e.node, "size"));
    EXPECT_FALSE(checkVal(e.node, "Size"));  // names are case-sensitive
    EXPECT_FLOAT_EQ(getValF(e.node, "size"), 12.5f);
    EXPECT_FLOAT_EQ(getValF(e.node, "missing"), 0.0f);
    EXPECT_FLOAT_EQ(getValF(e.node, "word"), 0.0f);
    EXPECT_FLOAT_EQ(getValF(e.node, "missing", 7.0f), 7.0f);
    EXPECT_FLOAT_EQ(getValF(e.node, "size", 7.0f), 12.5f);
}

TEST(XmlValues, RequiredValuesReportWhenMissing) {
    Element e(R"(<e big="1.5e+06" f="2.25"/>)");
    std::string out = captureOutput([&] {
        EXPECT_EQ(getValLIND(e.node, "big"), 1);  // atol stops at the point
        EXPECT_FLOAT_EQ(getValFND(e.node, "f"), 2.25f);
    });
    EXPECT_EQ(out, "");
    out = captureOutput([&] {
        EXPECT_EQ(getValND(e.node, "gone"), "");
        EXPECT_EQ(getValLIND(e.node, "gone"), 0);
        EXPECT_FLOAT_EQ(getValFND(e.node, "gone"), 0.0f);
    });
    std::string line = "Error, XML value gone not present, and is required\n";
    EXPECT_EQ(out, line + line + line);
}

TEST(XmlValues, ChangeMovesTheAttributeToTheEnd) {
    Element e(R"(<e a="1" b="2" c="3"/>)");
    changeAttribValue(e.file.doc(), e.node, "a", std::string("x"));
    changeAttribValue(e.file.doc(), e.node, "new", 2500000.0f);
    changeAttribValue(e.file.doc(), e.node, "b", "y");
    EXPECT_EQ(attributeNames(e.node), (std::vector<std::string>{"c", "a", "new", "b"}));
    EXPECT_EQ(getVal(e.node, "a"), "x");
    EXPECT_EQ(getVal(e.node, "new"), "2.5e+06");
    EXPECT_EQ(getVal(e.node, "b"), "y");
}

TEST(XmlValues, AddAppendsWithoutRemoving) {
    Element e(R"(<e a="1"/>)");
    addAttribValue(e.file.doc(), e.node, "a", 2.0f);
    addAttribValue(e.file.doc(), e.node, std::string("n") + "um", 0.1f);
    addAttribValue(e.file.doc(), e.node, "text", std::string("hello"));
    EXPECT_EQ(attributeNames(e.node), (std::vector<std::string>{"a", "a", "num", "text"}));
    EXPECT_EQ(getVal(e.node, "a"), "1");  // the first one wins
    EXPECT_EQ(getVal(e.node, "num"), "0.1");
}

TEST(XmlValues, IndexedListsRoundTrip) {
    Element e("<e/>");
    writeIndexedList(e.file.doc(), e.node, "gunCooling", std::vector<unsigned>{5, 0, 2500000});
    writeIndexedList(e.file.doc(), e.node, "empty", std::vector<short>{});
    EXPECT_EQ(e.node->first_node("empty"), nullptr);
    XmlNode* list = e.node->first_node("gunCooling");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(attributeNames(list), (std::vector<std::string>{"index0", "index1", "index2"}));
    EXPECT_EQ(readIndexedList(e.node, "gunCooling"), (std::vector<double>{5, 0, 2500000}));
    EXPECT_TRUE(readIndexedList(e.node, "empty").empty());
}

TEST(XmlValues, IndexedListGrowsWithZerosAndRefusesFarPositions) {
    Element e(R"(<e><l index3="7" index1="-2" index99999999999="1" index5000="4"/></e>)");
    std::vector<double> values;
    std::string out = captureOutput([&] { values = readIndexedList(e.node, "l", 4096); });
    EXPECT_EQ(values, (std::vector<double>{0, -2, 0, 7}));
    EXPECT_NE(out.find("Error, position 99999999999 of list l"), std::string::npos) << out;
    EXPECT_NE(out.find("Error, position 5000 of list l"), std::string::npos) << out;
}

TEST(XmlFile, ReportsParseErrorsWithFileAndLine) {
    XmlFile file;
    std::string error;
    EXPECT_FALSE(file.parse("<a>\n<b/>\n<c x=1/>\n</a>\n", "a", "broken.xml", error));
    EXPECT_EQ(error.rfind("broken.xml: ", 0), 0u) << error;
    EXPECT_NE(error.find(" at line 3"), std::string::npos) << error;
    EXPECT_EQ(file.root(), nullptr);  // unchanged
}

TEST(XmlFile, RefusesTheWrongRootAndEmptyText) {
    XmlFile file;
    std::string error;
    EXPECT_FALSE(file.parse("<ships/>", "universe", "u.xml", error));
    EXPECT_EQ(error, "u.xml: root element is \"ships\", expected \"universe\"");
    EXPECT_FALSE(file.parse("", "universe", "u.xml", error));
    EXPECT_EQ(error, "u.xml: no root element, expected \"universe\"");
}

TEST(XmlFile, MissingFileIsNamed) {
    XmlFile file;
    std::string error;
    EXPECT_FALSE(file.load("/nonexistent/dir/universe.xml", "universe", error));
    EXPECT_EQ(error, "/nonexistent/dir/universe.xml: cannot open file");
}

TEST(XmlFile, FailedParseLeavesLoadedContentAlone) {
    XmlFile file;
    std::string error;
    ASSERT_TRUE(file.parse(R"(<u name="old"/>)", "u", "t", error));
    EXPECT_FALSE(file.parse("<u", "u", "t", error));
    EXPECT_EQ(getVal(file.root(), "name"), "old");
}

TEST(XmlFile, SwapKeepsDocumentsUsable) {
    XmlFile a, b;
    std::string error;
    ASSERT_TRUE(a.parse(R"(<u name="first"/>)", "u", "t", error));
    ASSERT_TRUE(b.parse(R"(<u name="second"><c/></u>)", "u", "t", error));
    XmlNode* firstRoot = a.root();
    a.swap(b);
    EXPECT_EQ(getVal(a.root(), "name"), "second");
    EXPECT_EQ(getVal(b.root(), "name"), "first");
    EXPECT_EQ(b.root(), firstRoot);
    // Edits go to the document that now holds the root.
    appendElement(a.doc(), a.root(), "added");
    EXPECT_NE(a.root()->first_node("added"), nullptr);
}

TEST(XmlFile, LineOfANode) {
    XmlFile file;
    std::string error;
    ASSERT_TRUE(file.parse("<u>\n  <a/>\n\n  <b/>\n</u>", "u", "t", error));
    EXPECT_EQ(xmlLineOf(file.text(), file.root()), 1);
    EXPECT_EQ(xmlLineOf(file.text(), file.root()->first_node("b")), 4);
    EXPECT_EQ(xmlLineOf(file.text(), nullptr), 0);
}
