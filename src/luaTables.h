// Small helpers through which engine code reads and writes Lua values and tables, the registry
// entries of the engine, and the stack diagnostic.
#pragma once

#include <string>

extern "C" {
#include <lua5.1/lauxlib.h>
#include <lua5.1/lua.h>
#include <lua5.1/lualib.h>
}

void registryInsert(lua_State* L, float& value, const char* key);
void registryInsert(lua_State* L, int* value, const char* key);
void registryInsert(lua_State* L, bool* value, const char* key);
void registryInsert(lua_State* L, const char* text, const char* key);
// Any pointer published as light userdata under `key`.
void registryInsertPointer(lua_State* L, void* pointer, const char* key);
// The light userdata under `key`, or null.
void* registryGet(lua_State* L, const char* key);
float getLuaFloat(lua_State* L, const char* key);

std::string getLuaTableString(lua_State* L, const char* key, int stackIndex);
void pullLuaTable(lua_State* L, const char* key, int& target);
void pullLuaTable(lua_State* L, const char* key, float& target);
void pullLuaTable(lua_State* L, const char* key, double& target);
void pullLuaTable(lua_State* L, const char* key, std::string& target);
float getLuaTableFloat(lua_State* L, const char* key, int stackIndex);
bool getLuaTableBool(lua_State* L, const char* key, int stackIndex);
void pushBoolOnTable(lua_State* L, const char* key, bool value);
void pushFloatOnTable(lua_State* L, const char* key, float value);
void pushStringOnTable(lua_State* L, const char* key, const std::string& value);
std::string luaAnyToString(lua_State* L, int stackIndex);
void luaDisplay(lua_State* L, int stackIndex);
void stackDump(lua_State* L);
// Text of an error value for messages (an error object need not be a string).
std::string luaErrorText(lua_State* L, int stackIndex);

// How an engine function turns a bad argument down without a Lua error: prints "Error, <reason>"
// for the modder and answers nil and the reason (2 results).
int refuseCall(lua_State* L, const std::string& reason);
