// Reading and writing Lua values and tables from engine code, registry entries, and the stack dump.
#include "luaTables.h"

#include <cstdio>
#include <iostream>

#include "basics.h"
#include "clampedNumber.h"

void registryInsert(lua_State* L, float& value, const char* key) { registryInsertPointer(L, &value, key); }

void registryInsert(lua_State* L, int* value, const char* key) { registryInsertPointer(L, value, key); }

void registryInsert(lua_State* L, bool* value, const char* key) { registryInsertPointer(L, value, key); }

void registryInsert(lua_State* L, const char* text, const char* key) {
    lua_pushstring(L, key);
    lua_pushstring(L, text);
    lua_settable(L, LUA_REGISTRYINDEX);
}

void registryInsertPointer(lua_State* L, void* pointer, const char* key) {
    lua_pushstring(L, key);
    lua_pushlightuserdata(L, pointer);
    lua_settable(L, LUA_REGISTRYINDEX);
}

void* registryGet(lua_State* L, const char* key) {
    lua_pushstring(L, key);
    lua_gettable(L, LUA_REGISTRYINDEX);
    void* pointer = lua_islightuserdata(L, -1) ? lua_touserdata(L, -1) : nullptr;
    lua_pop(L, 1);
    return pointer;
}

float getLuaFloat(lua_State* L, const char* key) {
    // Nothing publishes a float by default; an empty entry reads as 0.
    const float* value = static_cast<const float*>(registryGet(L, key));
    return value ? *value : 0.0f;
}

std::string getLuaTableString(lua_State* L, const char* key, int stackIndex) {
    int height = lua_gettop(L);
    if (stackIndex == 0) {
        std::cout << "Bad argument to getLuaTableString, stackIndex == 0" << std::endl;
        return "";
    }
    if (stackIndex > height) {
        std::cout << "Bad argument to getLuaTableString, stackIndex " << stackIndex << " is bigger than stack size"
                  << std::endl;
        return "";
    }
    if (stackIndex < -height) {
        std::cout << "Bad argument to getLuaTableString, stackIndex " << stackIndex
                  << " is smaller than negative stack size" << std::endl;
        return "";
    }
    // lua_gettable on a non-table would raise an error outside any protected call.
    // A raw read: a slot without a table reads as nil, and no script metamethod can raise an
    // error here, outside any protected call.
    if (!lua_istable(L, stackIndex)) return "";
    lua_pushstring(L, key);
    lua_rawget(L, stackIndex < 0 ? stackIndex - 1 : stackIndex);
    std::string result;
    if (lua_type(L, -1) == LUA_TSTRING || lua_type(L, -1) == LUA_TNUMBER) {
        // Copy the number to text without converting the table's value in place.
        lua_pushvalue(L, -1);
        size_t length = 0;
        const char* text = lua_tolstring(L, -1, &length);
        result.assign(text, length);
        lua_pop(L, 1);
    }
    lua_pop(L, 1);
    return result;
}

namespace {

// Pushes field `key` of the table at `stackIndex` (a negative index relative to the top before
// the call), or nil when the slot holds no table. Raw, so that no script code runs here.
void pushField(lua_State* L, const char* key, int stackIndex) {
    if (!lua_istable(L, stackIndex)) {
        lua_pushnil(L);
        return;
    }
    lua_pushstring(L, key);
    lua_rawget(L, stackIndex < 0 ? stackIndex - 1 : stackIndex);
}

}  // namespace

void pullLuaTable(lua_State* L, const char* key, int& target) {
    pushField(L, key, -1);
    if (!lua_isnil(L, -1)) {
        target = clampedInt(lua_tonumber(L, -1));
    }
    lua_pop(L, 1);
}

void pullLuaTable(lua_State* L, const char* key, float& target) {
    pushField(L, key, -1);
    if (!lua_isnil(L, -1)) target = static_cast<float>(lua_tonumber(L, -1));
    lua_pop(L, 1);
}

void pullLuaTable(lua_State* L, const char* key, double& target) {
    pushField(L, key, -1);
    if (!lua_isnil(L, -1)) target = lua_tonumber(L, -1);
    lua_pop(L, 1);
}

void pullLuaTable(lua_State* L, const char* key, std::string& target) {
    pushField(L, key, -1);
    if (!lua_isnil(L, -1)) {
        target.clear();
        if (lua_type(L, -1) == LUA_TSTRING || lua_type(L, -1) == LUA_TNUMBER) {
            lua_pushvalue(L, -1);
            size_t length = 0;
            const char* text = lua_tolstring(L, -1, &length);
            target.assign(text, length);
            lua_pop(L, 1);
        }
    }
    lua_pop(L, 1);
}

float getLuaTableFloat(lua_State* L, const char* key, int stackIndex) {
    pushField(L, key, stackIndex);
    float value = static_cast<float>(lua_tonumber(L, -1));
    lua_pop(L, 1);
    return value;
}

bool getLuaTableBool(lua_State* L, const char* key, int stackIndex) {
    pushField(L, key, stackIndex);
    bool value = lua_toboolean(L, -1) != 0;
    lua_pop(L, 1);
    return value;
}

void pushBoolOnTable(lua_State* L, const char* key, bool value) {
    lua_pushstring(L, key);
    lua_pushboolean(L, value ? 1 : 0);
    lua_settable(L, -3);
}

void pushFloatOnTable(lua_State* L, const char* key, float value) {
    lua_pushstring(L, key);
    lua_pushnumber(L, value);
    lua_settable(L, -3);
}

void pushStringOnTable(lua_State* L, const char* key, const std::string& value) {
    lua_pushstring(L, key);
    lua_pushlstring(L, value.data(), value.size());
    lua_settable(L, -3);
}

std::string luaAnyToString(lua_State* L, int stackIndex) {
    switch (lua_type(L, stackIndex)) {
        case LUA_TNUMBER:
            return toString(static_cast<float>(lua_tonumber(L, stackIndex)));
        case LUA_TSTRING: {
            size_t length = 0;
            const char* text = lua_tolstring(L, stackIndex, &length);
            return std::string(text, length);
        }
        case LUA_TBOOLEAN:
            return toString(lua_toboolean(L, stackIndex) ? 1.0f : 0.0f);
        default:
            std::cout << "Error, unable to convert LUA value to string in luaAnyToString" << std::endl;
            return "";
    }
}

void luaDisplay(lua_State* L, int stackIndex) {
    switch (lua_type(L, stackIndex)) {
        case LUA_TBOOLEAN:
            std::cout << (lua_toboolean(L, stackIndex) ? 1 : 0);
            break;
        case LUA_TNUMBER:
            std::cout << lua_tonumber(L, stackIndex);
            break;
        case LUA_TSTRING:
            std::cout << lua_tostring(L, stackIndex);
            break;
        default:
            std::cout << lua_typename(L, lua_type(L, stackIndex));
            break;
    }
}

void stackDump(lua_State* L) {
    if (!L) return;
    int height = lua_gettop(L);
    std::cout << "Stack dump.  Size: " << height << std::endl;
    for (int i = 1; i <= height; ++i) {
        switch (lua_type(L, i)) {
            case LUA_TBOOLEAN:
                std::cout << (lua_toboolean(L, i) ? "true" : "false");
                break;
            case LUA_TNUMBER: {
                char text[64];
                std::snprintf(text, sizeof text, "%g", lua_tonumber(L, i));
                std::cout << text;
                break;
            }
            case LUA_TSTRING:
                std::cout << '`' << lua_tostring(L, i) << '\'';
                break;
            case LUA_TTABLE: {
                bool named = false;
                lua_pushstring(L, "name");
                lua_rawget(L, i);
                named = lua_type(L, -1) == LUA_TSTRING && lua_objlen(L, -1) > 0;
                lua_pop(L, 1);
                if (named)
                    std::cout << "Table " << getLuaTableString(L, "name", i);
                else
                    std::cout << "Unnamed table";
                break;
            }
            default:
                std::cout << lua_typename(L, lua_type(L, i));
                break;
        }
        std::cout << " . ";
    }
    std::cout << std::endl << " End of stack dump" << std::endl;
}

std::string luaErrorText(lua_State* L, int stackIndex) {
    int type = lua_type(L, stackIndex);
    if (type == LUA_TSTRING || type == LUA_TNUMBER) {
        lua_pushvalue(L, stackIndex);
        size_t length = 0;
        const char* text = lua_tolstring(L, -1, &length);
        std::string result(text, length);
        lua_pop(L, 1);
        return result;
    }
    return std::string("(error value of type ") + lua_typename(L, type) + ")";
}

int refuseCall(lua_State* L, const std::string& reason) {
    std::cout << "Error, " << reason << std::endl;
    lua_pushnil(L);
    lua_pushlstring(L, reason.data(), reason.size());
    return 2;
}
