// The loading half of start-up, shared by the game and vantrel-check so both
// read data/ with the same loaders, in the same order, with the same console
// lines.
#pragma once

class Simulation;
class SoundManager;

namespace Loading {

// A blank line, every shader of "data/shaders/", a blank line, every texture
// of "data/textures/", a blank line. With `gl` false (no context) shader files
// are only read and split and PNGs only decoded.
void LoadResources(bool gl);

// Start-up without a window: the banner, the resources as above, the sounds
// of "data/sounds/" into `sounds` (when given; it is published for the
// scripts) and the world with its level, then the closing blank line. False
// when the level did not load fully.
bool StartWithoutWindow(Simulation& simulation, bool gl, SoundManager* sounds = nullptr);

}  // namespace Loading
