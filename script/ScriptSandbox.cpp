#include "script/ScriptSandbox.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include <lua.hpp>

// The C functions below raise Lua errors, which unwind with longjmp: none of
// them keeps a C++ object with a destructor alive while it calls into Lua.
// Path checks that need strings run in their own functions and return first.

namespace {

enum class Access { Allowed, Outside, Missing };

// Whether `path` names an existing file inside the directory whose resolved
// path is `root` (empty when that directory does not exist). Symbolic links
// are followed, so a link under the directory cannot lead out of it. On
// Missing, `error` holds the reason.
Access Check(const char* path, const char* root, int& error)
{
    char* resolved = realpath(path, nullptr);
    if (!resolved) {
        error = errno;
        return Access::Missing;
    }
    const size_t length = strlen(root);
    const bool inside = length > 0 && strncmp(resolved, root, length) == 0 && resolved[length] == '/';
    free(resolved);
    return inside ? Access::Allowed : Access::Outside;
}

std::string Resolve(const std::string& directory)
{
    char* resolved = realpath(directory.c_str(), nullptr);
    if (!resolved)
        return std::string();
    std::string result(resolved);
    free(resolved);
    return result;
}

int NotAvailable(lua_State* L)
{
    return luaL_error(L, "%s is not available to game scripts", lua_tostring(L, lua_upvalueindex(1)));
}

// Sets `table[name]` (table at an absolute index) to a function that raises
// the refusal naming "<prefix><name>".
void Refuse(lua_State* L, int table, const char* prefix, const char* name)
{
    lua_pushfstring(L, "%s%s", prefix, name);
    lua_pushcclosure(L, NotAvailable, 1);
    lua_setfield(L, table, name);
}

// Upvalues of the readers: 1 the library's own function, 2 the resolved data
// directory, 3 the data directory as scripts name it.
int OpenForReading(lua_State* L)
{
    const char* path = luaL_checkstring(L, 1);
    const char* mode = luaL_optstring(L, 2, "r");
    if (strcmp(mode, "r") != 0 && strcmp(mode, "rb") != 0)
        return luaL_error(L, "io.open with mode \"%s\" is not available to game scripts (only \"r\" and \"rb\")", mode);
    int error = 0;
    switch (Check(path, lua_tostring(L, lua_upvalueindex(2)), error)) {
    case Access::Outside:
        return luaL_error(L, "io.open of %s is not available to game scripts (only files under %s)", path,
                          lua_tostring(L, lua_upvalueindex(3)));
    case Access::Missing:
        lua_pushnil(L);
        lua_pushfstring(L, "%s: %s", path, strerror(error));
        lua_pushinteger(L, error);
        return 3;
    case Access::Allowed: break;
    }
    // The mode is pushed while its argument is still on the stack to keep it alive.
    lua_settop(L, 2);
    lua_pushstring(L, mode);
    lua_replace(L, 2);
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, 2, LUA_MULTRET);
    return lua_gettop(L);
}

int LinesForReading(lua_State* L)
{
    const char* path = luaL_checkstring(L, 1);
    int error = 0;
    switch (Check(path, lua_tostring(L, lua_upvalueindex(2)), error)) {
    case Access::Outside:
        return luaL_error(L, "io.lines of %s is not available to game scripts (only files under %s)", path,
                          lua_tostring(L, lua_upvalueindex(3)));
    case Access::Missing: return luaL_error(L, "%s: %s", path, strerror(error));
    case Access::Allowed: break;
    }
    lua_settop(L, 1);
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, 1, 1);
    return 1;
}

// Upvalues of the code loaders: 1 the resolved scripts directory, 2 the
// scripts directory as scripts name it.
// Pushes the chunk of a source file under the scripts directory, or returns
// non-zero with the reason pushed; raises for a file outside it.
int LoadScriptFile(lua_State* L, const char* function, const char* path)
{
    int error = 0;
    switch (Check(path, lua_tostring(L, lua_upvalueindex(1)), error)) {
    case Access::Outside:
        return luaL_error(L, "%s of %s is not available to game scripts (only files under %s)", function, path,
                          lua_tostring(L, lua_upvalueindex(2)));
    case Access::Missing:
        lua_pushfstring(L, "cannot open %s: %s", path, strerror(error));
        return LUA_ERRFILE;
    case Access::Allowed: break;
    }
    return ScriptSandbox::LoadSourceFile(L, path);
}

int SafeLoadfile(lua_State* L)
{
    const char* path = luaL_checkstring(L, 1);
    if (LoadScriptFile(L, "loadfile", path) == 0)
        return 1;
    lua_pushnil(L);
    lua_insert(L, -2);
    return 2;
}

int SafeDofile(lua_State* L)
{
    const char* path = luaL_checkstring(L, 1);
    lua_settop(L, 1);
    if (LoadScriptFile(L, "dofile", path) != 0)
        return lua_error(L);
    lua_call(L, 0, LUA_MULTRET);
    return lua_gettop(L) - 1;
}

const char* const kBytecodeRefused = "precompiled bytecode is not accepted by game scripts (load Lua source)";

// Loads the string on top of the stack as a chunk named `name`; pushes the
// function, or nil and the reason.
int LoadText(lua_State* L, const char* name)
{
    size_t length = 0;
    const char* text = lua_tolstring(L, -1, &length);
    if (length > 0 && text[0] == LUA_SIGNATURE[0]) {
        lua_pushnil(L);
        lua_pushstring(L, kBytecodeRefused);
        return 2;
    }
    if (luaL_loadbuffer(L, text, length, name) == 0)
        return 1;
    lua_pushnil(L);
    lua_insert(L, -2);
    return 2;
}

int SafeLoadstring(lua_State* L)
{
    const char* text = luaL_checkstring(L, 1);
    const char* name = luaL_optstring(L, 2, text);
    lua_settop(L, 2);
    lua_pushvalue(L, 1);
    return LoadText(L, name);
}

// load(reader [, name]): the pieces are joined first, so a binary chunk is
// seen before any of it is loaded.
int SafeLoad(lua_State* L)
{
    luaL_checktype(L, 1, LUA_TFUNCTION);
    const char* name = luaL_optstring(L, 2, "=(load)");
    lua_settop(L, 2);
    luaL_Buffer buffer;
    luaL_buffinit(L, &buffer);
    for (;;) {
        lua_pushvalue(L, 1);
        lua_call(L, 0, 1);
        if (lua_isnil(L, -1)) {
            lua_pop(L, 1);
            break;
        }
        if (!lua_isstring(L, -1))
            return luaL_error(L, "reader function must return a string");
        if (lua_objlen(L, -1) == 0) {
            lua_pop(L, 1);
            break;
        }
        luaL_addvalue(&buffer);
    }
    luaL_pushresult(&buffer);
    return LoadText(L, name);
}

// The Lua-file searcher of `require`: "a.b" is "<scripts>a/b.lua".
int LoadModule(lua_State* L)
{
    const char* name = luaL_checkstring(L, 1);
    const char* file = luaL_gsub(L, name, ".", "/");
    const char* path = lua_pushfstring(L, "%s%s.lua", lua_tostring(L, lua_upvalueindex(2)), file);
    int error = 0;
    switch (Check(path, lua_tostring(L, lua_upvalueindex(1)), error)) {
    case Access::Outside:
        return luaL_error(L, "require of %s is not available to game scripts (only files under %s)", path,
                          lua_tostring(L, lua_upvalueindex(2)));
    case Access::Missing: lua_pushfstring(L, "\n\tno file '%s'", path); return 1;
    case Access::Allowed: break;
    }
    if (ScriptSandbox::LoadSourceFile(L, path) != 0)
        return luaL_error(L, "error loading module '%s' from file '%s':\n\t%s", name, path, lua_tostring(L, -1));
    return 1;
}

void OpenLibrary(lua_State* L, lua_CFunction open, const char* name)
{
    lua_pushcfunction(L, open);
    lua_pushstring(L, name);
    lua_call(L, 1, 0);
}

// Pushes a closure of `function` over the original `table[name]` (table at
// an absolute index) and the two directory strings.
void PushReader(lua_State* L, int table, const char* name, lua_CFunction function, const std::string& resolved,
                const std::string& shown)
{
    lua_getfield(L, table, name);
    lua_pushstring(L, resolved.c_str());
    lua_pushstring(L, shown.c_str());
    lua_pushcclosure(L, function, 3);
}

void PushLoader(lua_State* L, lua_CFunction function, const std::string& resolved, const std::string& shown)
{
    lua_pushstring(L, resolved.c_str());
    lua_pushstring(L, shown.c_str());
    lua_pushcclosure(L, function, 2);
}

// Copies `table[name]` (table at an absolute index) into the table on top.
void Keep(lua_State* L, int from, const char* name)
{
    lua_getfield(L, from, name);
    lua_setfield(L, -2, name);
}

}  // namespace

namespace ScriptSandbox {

int LoadSourceFile(lua_State* L, const char* path)
{
    FILE* file = fopen(path, "rb");
    if (!file) {
        lua_pushfstring(L, "cannot open %s: %s", path, strerror(errno));
        return LUA_ERRFILE;
    }
    // The same first-line rule as the interpreter's own loader: a "#" line
    // is skipped, and what follows decides whether the chunk is binary.
    int c = getc(file);
    if (c == '#') {
        while ((c = getc(file)) != EOF && c != '\n') {
        }
        if (c == '\n')
            c = getc(file);
    }
    fclose(file);
    if (c == LUA_SIGNATURE[0]) {
        lua_pushfstring(L, "%s: %s", path, kBytecodeRefused);
        return LUA_ERRSYNTAX;
    }
    return luaL_loadfile(L, path);
}

void Open(lua_State* L, const std::string& dataDirectory)
{
    std::string shownData = dataDirectory;
    if (!shownData.empty() && shownData.back() != '/')
        shownData += '/';
    const std::string shownScripts = shownData + "scripts/";
    const std::string data = Resolve(shownData);
    const std::string scripts = Resolve(shownScripts);
    const int top = lua_gettop(L);

    OpenLibrary(L, luaopen_base, "");  // with coroutine
    OpenLibrary(L, luaopen_package, LUA_LOADLIBNAME);
    OpenLibrary(L, luaopen_table, LUA_TABLIBNAME);
    OpenLibrary(L, luaopen_string, LUA_STRLIBNAME);
    OpenLibrary(L, luaopen_math, LUA_MATHLIBNAME);
    // Opened only to take the few functions that stay; the libraries
    // themselves are replaced below, in the globals and in package.loaded.
    OpenLibrary(L, luaopen_io, LUA_IOLIBNAME);
    OpenLibrary(L, luaopen_os, LUA_OSLIBNAME);
    OpenLibrary(L, luaopen_debug, LUA_DBLIBNAME);

    PushLoader(L, SafeLoadfile, scripts, shownScripts);
    lua_setglobal(L, "loadfile");
    PushLoader(L, SafeDofile, scripts, shownScripts);
    lua_setglobal(L, "dofile");
    lua_pushcfunction(L, SafeLoadstring);
    lua_setglobal(L, "loadstring");
    lua_pushcfunction(L, SafeLoad);
    lua_setglobal(L, "load");

    lua_getglobal(L, LUA_IOLIBNAME);
    const int io = lua_gettop(L);
    lua_newtable(L);
    PushReader(L, io, "open", OpenForReading, data, shownData);
    lua_setfield(L, -2, "open");
    PushReader(L, io, "lines", LinesForReading, data, shownData);
    lua_setfield(L, -2, "lines");
    Keep(L, io, "type");
    for (const char* name : {"close", "flush", "input", "output", "popen", "read", "tmpfile", "write"})
        Refuse(L, lua_gettop(L), "io.", name);
    const int safeIo = lua_gettop(L);
    // Handles only ever come from the read-only io.open and io.lines.
    luaL_getmetatable(L, "FILE*");
    for (const char* name : {"write", "flush", "setvbuf"})
        Refuse(L, lua_gettop(L), "file:", name);
    lua_pop(L, 1);

    lua_getglobal(L, LUA_OSLIBNAME);
    const int os = lua_gettop(L);
    lua_newtable(L);
    for (const char* name : {"clock", "date", "difftime", "getenv", "time"})
        Keep(L, os, name);
    for (const char* name : {"execute", "exit", "remove", "rename", "setlocale", "tmpname"})
        Refuse(L, lua_gettop(L), "os.", name);
    const int safeOs = lua_gettop(L);

    lua_getglobal(L, LUA_DBLIBNAME);
    const int debug = lua_gettop(L);
    lua_newtable(L);
    Keep(L, debug, "traceback");
    for (const char* name : {"debug", "getfenv", "gethook", "getinfo", "getlocal", "getmetatable", "getregistry",
                             "getupvalue", "setfenv", "sethook", "setlocal", "setmetatable", "setupvalue"})
        Refuse(L, lua_gettop(L), "debug.", name);
    const int safeDebug = lua_gettop(L);

    lua_getglobal(L, LUA_LOADLIBNAME);
    const int package = lua_gettop(L);
    lua_getfield(L, package, "loaded");
    const int loaded = lua_gettop(L);
    const std::pair<const char*, int> replaced[] = {
        {LUA_IOLIBNAME, safeIo}, {LUA_OSLIBNAME, safeOs}, {LUA_DBLIBNAME, safeDebug}};
    for (const auto& [name, table] : replaced) {
        lua_pushvalue(L, table);
        lua_setfield(L, loaded, name);
        lua_pushvalue(L, table);
        lua_setglobal(L, name);
    }
    lua_pushstring(L, "");
    lua_setfield(L, package, "cpath");
    lua_pushstring(L, (shownScripts + "?.lua").c_str());
    lua_setfield(L, package, "path");
    Refuse(L, package, "package.", "loadlib");
    // The preload searcher stays; the Lua searcher is the checked one; the
    // two C-library searchers go.
    lua_getfield(L, package, "loaders");
    const int loaders = lua_gettop(L);
    PushLoader(L, LoadModule, scripts, shownScripts);
    lua_rawseti(L, loaders, 2);
    lua_pushnil(L);
    lua_rawseti(L, loaders, 4);
    lua_pushnil(L);
    lua_rawseti(L, loaders, 3);

    lua_settop(L, top);
}

}  // namespace ScriptSandbox
