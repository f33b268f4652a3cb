#pragma once

#include <string>

#include "document/slide_document.h"
#include "platform/messages.h"
#include "platform/progress.h"
#include "platform/shell.h"

namespace lumaret {

struct ExportOptions {
  // Pages with fades and timings after the slideshow's own file, for the PDF
  // viewers of today; off, the file is the slideshow's alone.
  bool PicturePages = true;
};

// Writes the show as a PDF. Errors are shown through messages; the file named
// fileName is replaced only by a complete file. When the settings ask for it
// and an opener is given, the finished file is handed to it.
bool ExportPdf(const SlideDocument& document, const std::string& fileName, Messages& messages,
               ProgressSink* progress, Shell* opener, const ExportOptions& options = {},
               const std::string& tempFolder = TempFolder());

}  // namespace lumaret
