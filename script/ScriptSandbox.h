// What game scripts may use. Scripts come with mods that players download, so
// the interpreter gets only what game logic needs instead of every standard
// library:
//   - the base library, string, table, math and coroutine, with `dofile` and
//     `loadfile` limited to files under the scripts directory;
//   - os.time, os.clock, os.date, os.difftime and os.getenv;
//   - reading files under the data directory: io.open with a read mode,
//     io.lines, and reading from such a handle;
//   - `require` of Lua files under the scripts directory;
//   - debug.traceback, for messages.
// Everything that writes, renames or removes files, runs programs, leaves the
// process, loads C code or reaches into the interpreter is replaced by a
// function that raises "<name> is not available to game scripts".
// Precompiled bytecode is refused everywhere a chunk is loaded: crafted
// bytecode can read and write the game's memory.
#pragma once

#include <string>

struct lua_State;

namespace ScriptSandbox {

// Opens the allowed libraries in a fresh interpreter. `dataDirectory` (with
// or without a trailing "/") is the only tree scripts may read; its
// "scripts/" subdirectory is the only one they may load code from.
void Open(lua_State* L, const std::string& dataDirectory);

// Loads a Lua source file as a chunk onto the stack, like luaL_loadfile, but
// refuses precompiled bytecode. Returns 0 or a Lua error status with the
// message on the stack.
int LoadSourceFile(lua_State* L, const char* path);

}  // namespace ScriptSandbox
