#include "export/export_pdf.h"

#include "export/pdf_writer.h"
#include "export/picture_jpeg.h"
#include "export/picture_pages.h"
#include "export/svg_text.h"

namespace lumaret {

bool ExportPdf(const SlideDocument& document, const std::string& fileName, Messages& messages,
               ProgressSink* progress, Shell* opener, const ExportOptions& options,
               const std::string& tempFolder) {
  const std::uint32_t count = document.Slides.Count();
  if (count > kMaxPictures) {
    messages.error("A slideshow can hold at most " + std::to_string(kMaxPictures) +
                   " pictures; this one has " + std::to_string(count) + ". Nothing was exported.");
    return false;
  }

  SafeFileWriter file;
  if (!file.open(fileName)) {
    messages.error("The file " + fileName +
                   " can not be created. Close the file in Acrobat Reader if it is opened there.");
    return false;
  }
  const auto failed = [&](const std::string& reason) {
    file.discard();
    messages.error("Can not write the file " + fileName + " (" + reason +
                   "). Nothing was exported; an earlier file of that name is unchanged.");
    return false;
  };

  PdfWriter pdf(file);
  pdf.WriteHeader();
  const SlideshowSettings& settings = document.Settings;
  if (!pdf.WriteFixedObjects(settings.FullScreen, count, BuildSvgText(document.Slides, settings)))
    return failed("out of memory");

  std::vector<PictureSize> sizes;
  const bool made = ForEachPictureJpeg(
      document.Slides, progress, tempFolder,
      [&](std::uint32_t position, const PictureJpeg& jpeg) {
        pdf.WriteImageObject(position, jpeg.Width, jpeg.Height, jpeg.Bytes);
        sizes.push_back({jpeg.Width, jpeg.Height});
        return file.reason().empty();  // a full disk need not wait for the last picture
      });
  if (!file.reason().empty())
    return failed(file.reason());
  if (!made)
    return failed("no picture could be written to the temporary folder " + tempFolder);
  pdf.WriteTrailer();
  if (options.PicturePages)
    WritePicturePages(pdf, document.Slides, settings, sizes);
  if (!file.commit())
    return failed(file.reason());

  if (settings.ShowPdfAfterCreation && opener)
    opener->openDocument(ShortPathOf(fileName));
  return true;
}

}  // namespace lumaret
