#include <cstdio>
#include <cstring>
#include <string>

#include "cli/commands.h"
#include "platform/cleanup_on_signal.h"

namespace {

constexpr const char* kHelp =
    "Usage: lumaret-cli COMMAND ...\n"
    "\n"
    "Makes, reads and exports Lumaret slideshow projects (.lmt) without a window.\n"
    "\n"
    "Commands:\n"
    "  make OUT.lmt [options] PICTURE...   a new project from pictures, in the order given\n"
    "  show PROJECT.lmt                    the settings and the pictures with their captions\n"
    "  export [--svg-only] [--keep-jpeg] PROJECT.lmt OUT.pdf\n"
    "                                      the slideshow PDF, as \"Save PDF file\" makes it\n"
    "  svg PROJECT.lmt OUT.svg             the slideshow text exactly as the PDF embeds it\n"
    "  preview [--keep-jpeg] PROJECT.lmt OUT.html\n"
    "                                      a page that plays the slideshow in a browser\n"
    "\n"
    "Options of make:\n"
    "  --fade MS                 fade duration in milliseconds, 1 to 1000000 (1000)\n"
    "  --stop MS                 time each picture stays, 1 to 1000000 (3000)\n"
    "  --cross-fade              cross fade the pictures instead of fading through\n"
    "                            the background\n"
    "  --full-screen             play the show in full screen\n"
    "  --no-show-pdf             do not open the PDF after an export\n"
    "  --background #RRGGBB      background colour (#FFFFFF)\n"
    "  --text-color #RRGGBB      caption colour (#FFFF00)\n"
    "  --text-border #RRGGBB     caption outline colour (#000000)\n"
    "  --text-x N, --text-y N    caption position in percent of the show (2, 95)\n"
    "  --font-size N             caption size (40)\n"
    "  --caption-from-filename   caption each picture with its file name\n"
    "\n"
    "Options of export:\n"
    "  --svg-only                the slideshow's own file alone, without the picture\n"
    "                            pages for today's PDF viewers\n"
    "  --keep-jpeg               keep JPEG pictures unchanged (faster, no quality\n"
    "                            loss); also for preview\n"
    "\n"
    "Environment:\n"
    "  LUMARET_THREADS           pictures made at once (default: the processors\n"
    "                            available); the file is the same for any number\n"
    "\n"
    "  --help                    this text\n"
    "  --version                 the program's version\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace lumaret::cli;
  // Ctrl-C during an export must not leave the half-written file behind.
  lumaret::RemoveTemporariesOnSignal();
  if (argc < 2) {
    std::fputs(kHelp, stderr);
    return kUsage;
  }
  const std::string command = argv[1];
  const Arguments args(argv + 2, argv + argc);
  if (command == "--help" || command == "-h" || command == "help") {
    std::fputs(kHelp, stdout);
    return kSuccess;
  }
  if (command == "--version") {
    std::printf("lumaret-cli %s\n", LUMARET_VERSION);
    return kSuccess;
  }
  if (command == "make")
    return Make(args);
  if (command == "show")
    return Show(args);
  if (command == "export")
    return Export(args);
  if (command == "svg")
    return Svg(args);
  if (command == "preview")
    return Preview(args);
  Fail("unknown command '" + command + "' (try lumaret-cli --help)");
  return kUsage;
}
