#include "script/ScriptArguments.h"

#include <cstdlib>

#include <lua.hpp>

ScriptArguments ScriptArguments::Check(lua_State* L, const char* function, const char* const* names, int count)
{
    const int given = lua_gettop(L);
    if (given < count) {
        lua_checkstack(L, 2 * count + 1);
        for (int i = 0; i < count; ++i) {
            if (i > 0)
                lua_pushstring(L, ", ");
            lua_pushstring(L, names[i]);
        }
        lua_concat(L, count > 0 ? 2 * count - 1 : 0);
        luaL_error(L, "Vantrel.%s expects %d arguments (%s), got %d", function, count, lua_tostring(L, -1), given);
    }
    return ScriptArguments(L, function, names, count);
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
