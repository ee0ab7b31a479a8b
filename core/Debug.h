// Per-frame debug hooks. System::SwapBuffers calls Frame; the drawing code
// calls Pass at the end of each pass of the frame (ground, models, bloom...).
// Both do nothing unless a tool, the frame-time harness, installs a pass
// hook, which may then finish the GL work and charge the time to the pass.
#pragma once

#include <functional>
#include <utility>

class Debug {
public:
    virtual ~Debug() = default;
    void Frame() {}
    void Pass(const char* name)
    {
        if (passHook)
            passHook(name);
    }
    void SetPassHook(std::function<void(const char* name)> hook) { passHook = std::move(hook); }
    // Pass on the System's Debug, for the drawing code.
    static void EndOfPass(const char* name);

private:
    std::function<void(const char* name)> passHook;
};
