// The toolkit's file and colour dialogs, over the window that is active.
#pragma once

#include <QStringList>

#include "platform/dialogs.h"

namespace lumaret {

class QtDialogs : public Dialogs {
 public:
  std::vector<std::string> openFiles(const FileDialogOptions& options) override;
  std::optional<std::string> saveFile(const FileDialogOptions& options) override;
  std::optional<std::uint32_t> chooseColor(std::uint32_t initial) override;
};

// "Lumaret files (*.lmt)|*.lmt|All pictures|*.BMP;*.GIF" as the toolkit's name
// filters: "Lumaret files (*.lmt)", "All pictures (*.BMP *.GIF)".
QStringList NameFilters(const std::string& filter);

}  // namespace lumaret
