// Directory listing for the resource managers.
#pragma once

#include <string>
#include <vector>

// Bare names of the regular files in `directory` that end in `extension`
// (".png"), sorted by byte value so every machine loads in the same order.
// A missing directory gives an empty list.
std::vector<std::string> ListFilesWithExtension(const std::string& directory, const std::string& extension);
