#include "core/Letterbox.h"

#include <algorithm>

Letterbox Letterbox::Fit(int outerWidth, int outerHeight, int pictureWidth, int pictureHeight)
{
    const long long ow = std::max(outerWidth, 1), oh = std::max(outerHeight, 1);
    const long long pw = std::max(pictureWidth, 1), ph = std::max(pictureHeight, 1);
    Letterbox box;
    // Compared by cross products so that no rounding decides which side fits.
    if (ow * ph >= oh * pw) {
        box.height = static_cast<int>(oh);
        box.width = static_cast<int>(std::max(1LL, (oh * pw + ph / 2) / ph));
    } else {
        box.width = static_cast<int>(ow);
        box.height = static_cast<int>(std::max(1LL, (ow * ph + pw / 2) / pw));
    }
    box.x = static_cast<int>((ow - box.width) / 2);
    box.y = static_cast<int>((oh - box.height) / 2);
    return box;
}
