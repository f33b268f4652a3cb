// Names for temporary files beside TempFolder, and the path form the document
// opener takes.
#pragma once

#include <string>
#include <string_view>

namespace lumaret {

// Creates folder/prefix<n>extension for the lowest n whose name is free,
// exclusively and without following links, so that nobody can plant a file or
// link under the name first. The path, or empty when none could be created.
std::string TempFileName(const std::string& folder, std::string_view prefix,
                         std::string_view extension);

// The form of a path handed to the document opener; the path itself here.
std::string ShortPathOf(const std::string& path);

}  // namespace lumaret
