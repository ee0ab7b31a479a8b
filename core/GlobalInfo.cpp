#include "core/GlobalInfo.h"

GlobalInfo& GlobalInfo::Instance()
{
    static GlobalInfo instance;
    return instance;
}
