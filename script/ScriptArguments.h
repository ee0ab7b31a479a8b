// Checked reading of the arguments of a game function that scripts call (the
// `Vantrel` table). A function with N arguments reads the last N values on
// the stack, so extra leading values are ignored. A call with fewer values,
// or a value of the wrong type, raises a Lua error naming the function, the
// argument and what was received, at the script's line:
//   Vantrel.ShootEnemyPlasma: argument 1 (type) must be a number, got string
// Numbers accept numeric strings and strings accept numbers, as Lua does.
//
// The functions added for sound read from argument 1 on instead, so that
// their last arguments may be left out (`CheckLeading`); an argument left
// out or nil is then absent (`Has`).
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
    template <int N>
    static ScriptArguments CheckLeading(lua_State* L, const char* function, const char* const (&names)[N],
                                        int required)
    {
        return CheckLeading(L, function, names, N, required);
    }
    static ScriptArguments CheckLeading(lua_State* L, const char* function, const char* const* names, int count,
                                        int required);

    bool Has(int argument) const;

    // Argument 1 to N.
    double Number(int argument) const;
    float Float(int argument) const { return static_cast<float>(Number(argument)); }
    // A string, or a number in its string form (which then replaces the
    // number on the stack); valid while the value stays on the stack.
    const char* String(int argument, size_t* length) const;

private:
    ScriptArguments(lua_State* L, const char* function, const char* const* names, int first)
        : L(L), function(function), names(names), first(first)
    {
    }
    // Stack indices are absolute, so a converted string stays where it was.
    int Index(int argument) const { return first + argument - 1; }
    [[noreturn]] static void Missing(lua_State* L, const char* function, const char* const* names, int count,
                                     int given);
    [[noreturn]] void Refuse(int argument, const char* expected) const;

    lua_State* L;
    const char* function;
    const char* const* names;
    int first;  // stack index of argument 1
};
