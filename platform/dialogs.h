// The common dialogs: choosing files to open, a file to save, and a colour.
// Commands ask through this interface so that tests can answer for the user.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumaret {

// One file dialog of a window, with the options it keeps for the whole run.
struct FileDialogOptions {
  // Pairs of description and patterns, all joined by "|":
  // "Lumaret files (*.lmt)|*.lmt|All files (*.*)|*.*". The first pair is shown first.
  std::string filter;
  std::string defaultExtension;  // without the dot; added to a name typed without one
  bool multiSelect = false;
  bool confirmOverwrite = false;
  // The name last chosen in this dialog, offered again the next time it opens.
  std::string fileName;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // Files chosen to open, in the dialog's order; empty when cancelled. Only
  // one unless the options allow several.
  virtual std::vector<std::string> openFiles(const FileDialogOptions& options) = 0;

  // The file to write; nothing when cancelled.
  virtual std::optional<std::string> saveFile(const FileDialogOptions& options) = 0;

  // A colour (0x00BBGGRR) starting from initial; nothing when cancelled.
  virtual std::optional<std::uint32_t> chooseColor(std::uint32_t initial) = 0;
};

// For tests: remembers every dialog shown and answers from queues; an empty
// queue answers like a user who cancels.
class RecordingDialogs : public Dialogs {
 public:
  enum class Kind { Open, Save, Color };
  struct Shown {
    Kind kind;
    FileDialogOptions options;   // for the file dialogs
    std::uint32_t initialColor;  // for the colour dialog
  };

  std::vector<std::string> openFiles(const FileDialogOptions& options) override;
  std::optional<std::string> saveFile(const FileDialogOptions& options) override;
  std::optional<std::uint32_t> chooseColor(std::uint32_t initial) override;

  std::vector<Shown> shown;
  std::vector<std::vector<std::string>> openAnswers;  // taken from the front
  std::vector<std::optional<std::string>> saveAnswers;
  std::vector<std::optional<std::uint32_t>> colorAnswers;
};

}  // namespace lumaret
