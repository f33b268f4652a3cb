// The project reader must refuse damaged input without crashing or reading
// past it, and whatever it accepts must survive a save and load unchanged.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "document/project_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace lumaret;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const ParsedProject parsed = ParseProject(bytes);
  if (parsed.status != ParsedProject::Status::Ok)
    return 0;

  std::size_t textBytes = 0;
  SlideDocument document;
  document.Settings = parsed.settings;
  for (const ProjectEntry& stored : parsed.entries) {
    SlideEntry& entry = document.Slides.Append();
    entry.FileName = stored.FileName;
    entry.Caption = stored.Caption;
    textBytes += stored.FileName.size() + stored.Caption.size();
  }
  if (textBytes > size)
    std::abort();

  const ParsedProject again = ParseProject(EncodeProject(document));
  if (again.status != ParsedProject::Status::Ok || !(again.settings == parsed.settings) ||
      again.entries.size() != parsed.entries.size())
    std::abort();
  for (std::size_t i = 0; i < again.entries.size(); ++i)
    if (again.entries[i].FileName != parsed.entries[i].FileName ||
        again.entries[i].Caption != parsed.entries[i].Caption)
      std::abort();
  return 0;
}
