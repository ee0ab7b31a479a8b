// Whole-file reads for the text loaders, which parse from memory.
#pragma once

#include <string>

// Reads the file's bytes into `text`. False (and `text` empty) when it cannot be opened.
bool ReadWholeFile(const std::string& path, std::string& text);
