// Per-frame debug hook, called by System::SwapBuffers. Holds no state.
#pragma once

class Debug {
public:
    virtual ~Debug() = default;
    void Frame() {}
};
