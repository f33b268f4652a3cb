// export, svg and preview: the show as the PDF, as its slideshow text, and as
// a web page that plays that same slideshow in any current browser.
#include <cstdio>

#include "cli/commands.h"
#include "document/project_file.h"
#include "export/export_pdf.h"
#include "export/picture_jpeg.h"
#include "export/svg_text.h"
#include "imagora/imagora.h"
#include "platform/console_messages.h"
#include "platform/safe_file_writer.h"

namespace lumaret::cli {

namespace {

std::string Base64(std::string_view bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const std::uint32_t v = std::uint32_t(std::uint8_t(bytes[i])) << 16 |
                            std::uint32_t(std::uint8_t(bytes[i + 1])) << 8 |
                            std::uint8_t(bytes[i + 2]);
    out += kDigits[v >> 18];
    out += kDigits[v >> 12 & 63];
    out += kDigits[v >> 6 & 63];
    out += kDigits[v & 63];
  }
  if (i < bytes.size()) {
    std::uint32_t v = std::uint32_t(std::uint8_t(bytes[i])) << 16;
    if (i + 1 < bytes.size())
      v |= std::uint32_t(std::uint8_t(bytes[i + 1])) << 8;
    out += kDigits[v >> 18];
    out += kDigits[v >> 12 & 63];
    out += i + 1 < bytes.size() ? kDigits[v >> 6 & 63] : '=';
    out += '=';
  }
  return out;
}

// Loads the project named by args[0] for a command that writes args[1].
bool LoadForOutput(const Arguments& args, const char* command, SlideDocument& document) {
  if (args.size() != 2) {
    Fail(std::string(command) +
         " needs a project file and an output file (try lumaret-cli --help)");
    return false;
  }
  ConsoleMessages messages("lumaret-cli: " + args[0] + ": ");
  return OpenFileNow(document, args[0], messages);
}

bool WriteWhole(const std::string& path, std::string_view bytes) {
  SafeFileWriter file;
  if (!file.open(path)) {
    Fail(path + ": can not be created (" + file.reason() + ")");
    return false;
  }
  if (!file.write(bytes) || !file.commit()) {
    Fail(path + ": can not be written (" + file.reason() + "); nothing was written");
    return false;
  }
  return true;
}

}  // namespace

int Export(const Arguments& args) {
  SlideDocument document;
  if (!LoadForOutput(args, "export", document))
    return args.size() != 2 ? kUsage : kFailure;
  ConsoleMessages messages("lumaret-cli: " + args[1] + ": ");
  return ExportPdf(document, args[1], messages, nullptr, nullptr) ? kSuccess : kFailure;
}

int Svg(const Arguments& args) {
  SlideDocument document;
  if (!LoadForOutput(args, "svg", document))
    return args.size() != 2 ? kUsage : kFailure;
  return WriteWhole(args[1], BuildSvgText(document.Slides, document.Settings)) ? kSuccess
                                                                               : kFailure;
}

int Preview(const Arguments& args) {
  SlideDocument document;
  if (!LoadForOutput(args, "preview", document))
    return args.size() != 2 ? kUsage : kFailure;
  if (document.Slides.Count() > 9999) {
    Fail(args[1] + ": a slideshow can hold at most 9999 pictures");
    return kFailure;
  }

  // The very slideshow text of the PDF, each picture's resource name replaced
  // by the JPEG the PDF embeds.
  std::string svg = BuildSvgText(document.Slides, document.Settings);
  imagora::SetJPEGQual(kExportJpegQuality);
  std::uint32_t position = 0;
  for (const SlideEntry& entry : document.Slides) {
    ++position;
    PictureJpeg jpeg;
    if (!MakePictureJpeg(entry.FileName, TempFolder(), nullptr, jpeg)) {
      Fail(args[1] + ": no picture could be written to the temporary folder " + TempFolder());
      return kFailure;
    }
    const std::string reference = "xlink:href=\"" + PictureResourceName(position) + "\"";
    const std::size_t at = svg.find(reference);
    if (at != std::string::npos)
      svg.replace(at, reference.size(),
                  "xlink:href=\"data:image/jpeg;base64," + Base64(jpeg.Bytes) + "\"");
  }

  // The page parses the slideshow text as the SVG document it is and shows
  // it inline, where a script can reach its clock: a click starts the show
  // again, and "#t=SECONDS" in the address holds it at that moment.
  const std::string page = R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Lumaret slideshow</title>
<style>
  html, body { margin: 0; height: 100%; background: #000; overflow: hidden; }
  svg { display: block; width: 100vw; height: 100vh; }
</style>
</head>
<body>
<script>
  const text = atob(")" + Base64(svg) +
                           R"(");
  const parsed = new DOMParser().parseFromString(text, "image/svg+xml");
  const show = document.importNode(parsed.documentElement, true);
  document.body.appendChild(show);
  const held = /^#t=([0-9.]+)$/.exec(location.hash);
  if (held) {
    show.pauseAnimations();
    show.setCurrentTime(parseFloat(held[1]));
  }
  document.addEventListener("click", () => {
    show.setCurrentTime(0);
    show.unpauseAnimations();
  });
</script>
</body>
</html>
)";
  return WriteWhole(args[1], page) ? kSuccess : kFailure;
}

}  // namespace lumaret::cli
