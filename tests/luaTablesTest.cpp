// Tests of the Lua value and table helpers and the stack dump.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "luaTables.h"
#include "startLua.h"
#include "testSupport.h"

namespace {

class LuaTables : public testing::Test {
protected:
    LuaState lua;
    lua_State* L = lua.get();

    // Pushes the value of a Lua expression.
    void push(const std::string& expression) {
        std::string chunk = "return " + expression;
        ASSERT_EQ(0, luaL_loadstring(L, chunk.c_str()));
        ASSERT_EQ(0, lua_pcall(L, 0, 1, 0));
    }
};

TEST_F(LuaTables, TableStringReadsTextsAndNumbersOnly) {
    push("{name = 'Terra', count = 12, flag = true, inner = {}}");
    EXPECT_EQ("Terra", getLuaTableString(L, "name", -1));
    EXPECT_EQ("12", getLuaTableString(L, "count", -1));
    EXPECT_EQ("", getLuaTableString(L, "flag", -1));
    EXPECT_EQ("", getLuaTableString(L, "inner", -1));
    EXPECT_EQ("", getLuaTableString(L, "missing", -1));
    EXPECT_EQ("Terra", getLuaTableString(L, "name", 1));
    EXPECT_EQ(1, lua_gettop(L));
    // The number in the table was not turned into a string in place.
    lua_getfield(L, -1, "count");
    EXPECT_EQ(LUA_TNUMBER, lua_type(L, -1));
}

TEST_F(LuaTables, TableStringRefusesBadIndices) {
    push("{name = 'x'}");
    push("7");
    std::string out = captureOutput([&] {
        EXPECT_EQ("", getLuaTableString(L, "name", 0));
        EXPECT_EQ("", getLuaTableString(L, "name", 3));
        EXPECT_EQ("", getLuaTableString(L, "name", -3));
        // A slot without a table reads as a missing field.
        EXPECT_EQ("", getLuaTableString(L, "name", -1));
    });
    EXPECT_EQ("Bad argument to getLuaTableString, stackIndex == 0\n"
              "Bad argument to getLuaTableString, stackIndex 3 is bigger than stack size\n"
              "Bad argument to getLuaTableString, stackIndex -3 is smaller than negative stack size\n",
              out);
    EXPECT_EQ("x", getLuaTableString(L, "name", -2));
    EXPECT_EQ(2, lua_gettop(L));
}

TEST_F(LuaTables, PullKeepsTargetWhenFieldIsNil) {
    push("{i = 7.9, n = -7.9, f = 2.5, d = 0.1, s = 'text', num = 42, t = {}}");
    int i = 1, n = 1, missingInt = 99;
    float f = 0.0f, missingFloat = 3.0f;
    double d = 0.0;
    std::string s, fromNumber, fromTable = "old", missingText = "kept";
    pullLuaTable(L, "i", i);
    pullLuaTable(L, "n", n);
    pullLuaTable(L, "missing", missingInt);
    pullLuaTable(L, "f", f);
    pullLuaTable(L, "missing", missingFloat);
    pullLuaTable(L, "d", d);
    pullLuaTable(L, "s", s);
    pullLuaTable(L, "num", fromNumber);
    pullLuaTable(L, "t", fromTable);
    pullLuaTable(L, "missing", missingText);
    EXPECT_EQ(7, i);
    EXPECT_EQ(-7, n);
    EXPECT_EQ(99, missingInt);
    EXPECT_FLOAT_EQ(2.5f, f);
    EXPECT_FLOAT_EQ(3.0f, missingFloat);
    EXPECT_DOUBLE_EQ(0.1, d);
    EXPECT_EQ("text", s);
    EXPECT_EQ("42", fromNumber);
    EXPECT_EQ("", fromTable);
    EXPECT_EQ("kept", missingText);
    EXPECT_EQ(1, lua_gettop(L));
}

TEST_F(LuaTables, PullClampsNumbersAnIntCannotHold) {
    push("{big = 1e300, small = -1e300, nan = 0/0}");
    int big = 0, small = 0, nan = 5;
    pullLuaTable(L, "big", big);
    pullLuaTable(L, "small", small);
    pullLuaTable(L, "nan", nan);
    EXPECT_EQ(std::numeric_limits<int>::max(), big);
    EXPECT_EQ(std::numeric_limits<int>::min(), small);
    EXPECT_EQ(0, nan);
}

TEST_F(LuaTables, FloatAndBoolFields) {
    push("{a = 1.5, text = '12', word = 'abc', yes = true, zero = 0, no = false}");
    push("'on top'");
    EXPECT_FLOAT_EQ(1.5f, getLuaTableFloat(L, "a", -2));
    EXPECT_FLOAT_EQ(12.0f, getLuaTableFloat(L, "text", -2));
    EXPECT_FLOAT_EQ(0.0f, getLuaTableFloat(L, "word", -2));
    EXPECT_FLOAT_EQ(0.0f, getLuaTableFloat(L, "missing", -2));
    EXPECT_TRUE(getLuaTableBool(L, "yes", -2));
    EXPECT_TRUE(getLuaTableBool(L, "zero", -2));
    EXPECT_FALSE(getLuaTableBool(L, "no", -2));
    EXPECT_FALSE(getLuaTableBool(L, "missing", -2));
    // Not a table: everything reads as missing.
    EXPECT_FLOAT_EQ(0.0f, getLuaTableFloat(L, "a", -1));
    EXPECT_EQ(2, lua_gettop(L));
}

TEST_F(LuaTables, PushersSetFieldsAndKeepTableOnTop) {
    lua_newtable(L);
    pushBoolOnTable(L, "b", true);
    pushFloatOnTable(L, "f", 2.5f);
    pushStringOnTable(L, "s", "hi");
    ASSERT_EQ(1, lua_gettop(L));
    lua_setglobal(L, "t");
    ASSERT_EQ(0, luaL_dostring(L, "assert(t.b == true and t.f == 2.5 and t.s == 'hi')"));
}

struct AnyToStringCase {
    const char* expression;
    const char* text;
    bool reportsError;
};

class LuaAnyToString : public LuaTables, public testing::WithParamInterface<AnyToStringCase> {};

TEST_P(LuaAnyToString, ConvertsWithSixDigits) {
    push(GetParam().expression);
    std::string result;
    std::string out = captureOutput([&] { result = luaAnyToString(L, -1); });
    EXPECT_EQ(GetParam().text, result);
    EXPECT_EQ(GetParam().reportsError, out == "Error, unable to convert LUA value to string in luaAnyToString\n");
    EXPECT_EQ(LUA_TSTRING == lua_type(L, -1), std::string(GetParam().expression).front() == '\'');
}

INSTANTIATE_TEST_SUITE_P(Values, LuaAnyToString,
                         testing::Values(AnyToStringCase{"1234567", "1.23457e+06", false},
                                         AnyToStringCase{"2.5", "2.5", false},
                                         AnyToStringCase{"'words'", "words", false},
                                         AnyToStringCase{"true", "1", false},
                                         AnyToStringCase{"false", "0", false},
                                         AnyToStringCase{"{}", "", true},
                                         AnyToStringCase{"nil", "", true}));

TEST_F(LuaTables, DisplayPrintsWithoutLineEnd) {
    push("true");
    push("3.5");
    push("'abc'");
    push("{}");
    std::string out = captureOutput([&] {
        for (int i = 1; i <= 4; ++i) luaDisplay(L, i);
    });
    EXPECT_EQ("13.5abctable", out);
}

TEST_F(LuaTables, StackDumpOfEmptyStack) {
    EXPECT_EQ("Stack dump.  Size: 0\n\n End of stack dump\n", captureOutput([&] { stackDump(L); }));
}

TEST_F(LuaTables, StackDumpShowsEveryKind) {
    push("false");
    push("0.25");
    push("'text'");
    push("{name = 'Panel'}");
    push("{name = ''}");
    push("{}");
    push("print");
    push("nil");
    EXPECT_EQ("Stack dump.  Size: 8\n"
              "false . 0.25 . `text' . Table Panel . Unnamed table . Unnamed table . function . nil . \n"
              " End of stack dump\n",
              captureOutput([&] { stackDump(L); }));
    EXPECT_EQ(8, lua_gettop(L));
}

TEST_F(LuaTables, RegistryEntries) {
    float value = 4.5f;
    int number = 3;
    registryInsert(L, value, "testVal");
    registryInsert(L, &number, "n");
    registryInsert(L, "words", "text");
    EXPECT_FLOAT_EQ(4.5f, getLuaFloat(L, "testVal"));
    EXPECT_EQ(&number, registryGet(L, "n"));
    EXPECT_EQ(nullptr, registryGet(L, "text"));  // not a light userdata
    EXPECT_FLOAT_EQ(0.0f, getLuaFloat(L, "nothing"));
    EXPECT_EQ(0, lua_gettop(L));
}

TEST_F(LuaTables, ErrorTextOfAnyValue) {
    push("'boom'");
    push("{}");
    EXPECT_EQ("boom", luaErrorText(L, -2));
    EXPECT_EQ("(error value of type table)", luaErrorText(L, -1));
    EXPECT_EQ(2, lua_gettop(L));
}

}  // namespace
