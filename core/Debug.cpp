#include "core/Debug.h"

#include "core/System.h"

void Debug::EndOfPass(const char* name)
{
    if (Debug* debug = System::Instance().GetDebug())
        debug->Pass(name);
}
