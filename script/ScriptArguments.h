// Checked reading of the arguments of a game function that scripts call (the
// `Vantrel` table). A function with N arguments reads the last N values on
// the stack, so extra leading values are ignored. A call with fewer values,
// or a value of the wrong type, raises a Lua error naming the function, the
// argument and what was received, at the script's line:
//   Vantrel.ShootEnemyPlasma: argument 1 (type) must be a number, got string
// Numbers accept numeric strings and strings accept numbers, as Lua does.
//
// The errors unwind with longjmp: read every argument before any C++ object
// with a destructor is alive in the calling function's frame.
//
//   static const char* const kNames[] = {"x", "y"};
//   const ScriptArguments args = ScriptArguments::Check(L, "Explode", kNames);
//   const float x = args.Float(1);
#pragma once

#include <cstddef>

struct lua_State;

class ScriptArguments {
public:
    template <int N>
    static ScriptArguments Check(lua_State* L, const char* function, const char* const (&names)[N])
    {
        return Check(L, function, names, N);
    }
    static ScriptArguments Check(lua_State* L, const char* function, const char* const* names, int count);

    // Argument 1 to N.
    double Number(int argument) const;
    float Float(int argument) const { return static_cast<float>(Number(argument)); }
    // A string, or a number in its string form (which then replaces the
    // number on the stack); valid while the value stays on the stack.
    const char* String(int argument, size_t* length) const;

private:
    ScriptArguments(lua_State* L, const char* function, const char* const* names, int count)
        : L(L), function(function), names(names), count(count)
    {
    }
    int Index(int argument) const { return argument - count - 1; }
    [[noreturn]] void Refuse(int argument, const char* expected) const;

    lua_State* L;
    const char* function;
    const char* const* names;
    int count;
};
