#include "script/ScriptArguments.h"

#include <cstdlib>

#include <lua.hpp>

void ScriptArguments::Missing(lua_State* L, const char* function, const char* const* names, int count, int given)
{
    lua_checkstack(L, 2 * count + 1);
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            lua_pushstring(L, ", ");
        lua_pushstring(L, names[i]);
    }
    lua_concat(L, count > 0 ? 2 * count - 1 : 0);
    luaL_error(L, "Vantrel.%s expects %d argument%s (%s), got %d", function, count, count == 1 ? "" : "s",
               lua_tostring(L, -1), given);
    std::abort();  // not reached: luaL_error does not return
}

ScriptArguments ScriptArguments::Check(lua_State* L, const char* function, const char* const* names, int count)
{
    const int given = lua_gettop(L);
    if (given < count)
        Missing(L, function, names, count, given);
    return ScriptArguments(L, function, names, given - count + 1);
}

ScriptArguments ScriptArguments::CheckLeading(lua_State* L, const char* function, const char* const* names,
                                              int count, int required)
{
    const int given = lua_gettop(L);
    if (given < required)
        Missing(L, function, names, required, given);
    // Arguments past the ones it reads are ignored, as Lua functions do.
    lua_settop(L, count);
    return ScriptArguments(L, function, names, 1);
}

bool ScriptArguments::Has(int argument) const
{
    return !lua_isnoneornil(L, Index(argument));
}

void ScriptArguments::Refuse(int argument, const char* expected) const
{
    luaL_error(L, "Vantrel.%s: argument %d (%s) must be %s, got %s", function, argument, names[argument - 1],
               expected, luaL_typename(L, Index(argument)));
    std::abort();  // not reached: luaL_error does not return
}

double ScriptArguments::Number(int argument) const
{
    if (!lua_isnumber(L, Index(argument)))
        Refuse(argument, "a number");
    return lua_tonumber(L, Index(argument));
}

const char* ScriptArguments::String(int argument, size_t* length) const
{
    if (!lua_isstring(L, Index(argument)))
        Refuse(argument, "a string");
    return lua_tolstring(L, Index(argument), length);
}
