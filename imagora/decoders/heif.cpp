// HEIC and AVIF through libheif: the primary image only (libheif puts grids
// of tiles together), turned, mirrored and cropped as the file says, with
// alpha composited over white and 10- or 12-bit samples rounded to 8.
#include <libheif/heif.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <memory>
#include <utility>
#include <vector>

#include "imagora/detail/decoders.h"
#include "imagora/detail/dib_builder.h"
#include "imagora/detail/reduced_jpeg.h"

namespace imagora::detail {

namespace {

// libheif refuses any item with a longer side while reading the file, before
// decoding anything; the area is TooManyPixels' to judge.
constexpr int kMaxSide = 1 << 15;

struct FreeContext {
  void operator()(heif_context* c) const { heif_context_free(c); }
};
struct ReleaseHandle {
  void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct ReleaseImage {
  void operator()(heif_image* i) const { heif_image_release(i); }
};
struct FreeOptions {
  void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};
using Context = std::unique_ptr<heif_context, FreeContext>;
using Handle = std::unique_ptr<heif_image_handle, ReleaseHandle>;
using Image = std::unique_ptr<heif_image, ReleaseImage>;

constexpr std::uint32_t Fourcc(const char* s) {
  return std::uint32_t(s[0]) << 24 | std::uint32_t(s[1]) << 16 | std::uint32_t(s[2]) << 8 |
         std::uint32_t(s[3]);
}

bool IsImageBrand(std::uint32_t brand) {
  for (const char* image :
       {"heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1", "avif", "avis"})
    if (brand == Fourcc(image))
      return true;
  return false;
}

struct Box {
  std::uint32_t type;
  Bytes body;
};

// The boxes that follow one another in bytes, up to the first that does not
// fit.
std::vector<Box> Boxes(Bytes bytes) {
  std::vector<Box> boxes;
  ByteReader in(bytes);
  while (in.remaining() >= 8) {
    const std::size_t start = in.position();
    std::uint64_t size = in.u32be();
    const std::uint32_t type = in.u32be();
    if (size == 1)
      size = std::uint64_t(in.u32be()) << 32 | in.u32be();
    else if (size == 0)
      size = bytes.size() - start;
    const std::size_t header = in.position() - start;
    if (!in.ok() || size < header || size > bytes.size() - start)
      break;
    boxes.push_back({type, in.take(std::size_t(size) - header)});
  }
  return boxes;
}

std::vector<Box> Children(const std::vector<Box>& boxes, const char* type, std::size_t skip = 0) {
  for (const Box& box : boxes)
    if (box.type == Fourcc(type) && box.body.size() >= skip)
      return Boxes(box.body.subspan(skip));
  return {};
}

// The property boxes of an item, in the order they apply.
std::vector<Box> PropertiesOf(const std::vector<Box>& meta, heif_item_id item) {
  const std::vector<Box> iprp = Children(meta, "iprp");
  const std::vector<Box> properties = Children(iprp, "ipco");
  std::vector<Box> found;
  for (const Box& ipma : iprp) {
    if (ipma.type != Fourcc("ipma"))
      continue;
    ByteReader in(ipma.body);
    const std::uint32_t versionAndFlags = in.u32be();
    const bool wideIds = versionAndFlags >> 24 >= 1, wideIndexes = versionAndFlags & 1;
    for (std::uint32_t entries = in.u32be(); entries > 0 && in.ok(); --entries) {
      const std::uint32_t id = wideIds ? in.u32be() : in.u16be();
      for (int n = in.u8(); n > 0 && in.ok(); --n) {
        const std::size_t index = wideIndexes ? in.u16be() & 0x7FFF : in.u8() & 0x7F;
        if (id == item && index > 0 && index <= properties.size())
          found.push_back(properties[index - 1]);
      }
    }
  }
  return found;
}

// The turns and mirrors of an item in the order they apply: each property's
// type with its value.
using Transforms = std::vector<std::pair<std::uint32_t, std::uint8_t>>;

Transforms TransformsOf(Bytes file, heif_item_id item) {
  Transforms found;
  for (const Box& property : PropertiesOf(Children(Boxes(file), "meta", 4), item))
    if ((property.type == Fourcc("irot") || property.type == Fourcc("imir")) &&
        !property.body.empty())
      found.emplace_back(property.type,
                         property.body[0] & (property.type == Fourcc("irot") ? 3 : 1));
  return found;
}

// The size an item's ispe gives, as stored before any turn; 0 x 0 without.
std::pair<std::uint32_t, std::uint32_t> StoredSize(const std::vector<Box>& meta,
                                                   heif_item_id item) {
  for (const Box& property : PropertiesOf(meta, item)) {
    ByteReader in(property.body, 4);
    const std::uint32_t width = in.u32be(), height = in.u32be();
    if (property.type == Fourcc("ispe") && in.ok())
      return {width, height};
  }
  return {0, 0};
}

// The first item that an item refers to by an iref of this type; 0 for none.
heif_item_id FirstReference(const std::vector<Box>& meta, heif_item_id from, const char* type) {
  for (const Box& iref : meta) {
    if (iref.type != Fourcc("iref") || iref.body.size() < 4)
      continue;
    const bool wideIds = iref.body[0] >= 1;
    for (const Box& reference : Boxes(iref.body.subspan(4))) {
      ByteReader in(reference.body);
      const std::uint32_t id = wideIds ? in.u32be() : in.u16be();
      const unsigned count = in.u16be();
      const std::uint32_t first = wideIds ? in.u32be() : in.u16be();
      if (reference.type == Fourcc(type) && id == from && count > 0 && in.ok())
        return first;
    }
  }
  return 0;
}

// A big-endian number of 0, 4 or 8 bytes, as iloc sizes its fields.
std::uint64_t Field(ByteReader& in, unsigned bytes) {
  std::uint64_t v = 0;
  for (unsigned i = 0; i < bytes; ++i)
    v = v << 8 | in.u8();
  return v;
}

// The first bytes of an item's data, from the file or from idat; empty when
// they lie outside.
Bytes ItemStart(Bytes file, const std::vector<Box>& meta, heif_item_id item) {
  for (const Box& iloc : meta) {
    if (iloc.type != Fourcc("iloc"))
      continue;
    ByteReader in(iloc.body);
    const unsigned version = in.u32be() >> 24, sizes = in.u16be();
    const unsigned offsetSize = sizes >> 12, lengthSize = sizes >> 8 & 15,
                   baseSize = sizes >> 4 & 15, indexSize = version >= 1 ? sizes & 15 : 0;
    for (std::uint32_t n = version < 2 ? in.u16be() : in.u32be(); n > 0 && in.ok(); --n) {
      const std::uint32_t id = version < 2 ? in.u16be() : in.u32be();
      const unsigned method = version >= 1 ? in.u16be() & 15 : 0;
      in.skip(2);  // data reference
      const std::uint64_t base = Field(in, baseSize);
      const unsigned extents = in.u16be();
      for (unsigned e = 0; e < extents && in.ok(); ++e) {
        Field(in, indexSize);
        const std::uint64_t offset = base + Field(in, offsetSize);
        const std::uint64_t length = Field(in, lengthSize);
        if (id != item || e > 0)
          continue;
        Bytes source = method == 0 ? file : Bytes{};
        if (method == 1)
          for (const Box& idat : meta)
            if (idat.type == Fourcc("idat"))
              source = idat.body;
        if (offset > source.size())
          return {};
        const std::uint64_t rest = source.size() - offset;
        return source.subspan(std::size_t(offset),
                              std::size_t(length ? std::min(length, rest) : rest));
      }
    }
  }
  return {};
}

// Whether a grid or overlay in the file claims a canvas that TooManyPixels
// refuses, or a grid one larger than its tiles cover: libheif takes the
// canvas's size from the item's data alone, not from its ispe, and allocates
// it before decoding a tile.
bool HasTooLargeCanvas(Bytes file) {
  for (const Box& top : Boxes(file)) {
    if (top.type != Fourcc("meta") || top.body.size() < 4)
      continue;
    const std::vector<Box> meta = Boxes(top.body.subspan(4));
    for (const Box& iinf : meta) {
      // After the version, flags and a count of 16 bits in version 0, else 32.
      const std::size_t header = !iinf.body.empty() && iinf.body[0] == 0 ? 6 : 8;
      if (iinf.type != Fourcc("iinf") || iinf.body.size() < header)
        continue;
      for (const Box& infe : Boxes(iinf.body.subspan(header))) {
        ByteReader in(infe.body);
        const unsigned version = in.u32be() >> 24;
        if (infe.type != Fourcc("infe") || version < 2)
          continue;
        const std::uint32_t id = version == 2 ? in.u16be() : in.u32be();
        in.skip(2);  // protection
        const std::uint32_t type = in.u32be();
        if (type != Fourcc("grid") && type != Fourcc("iovl"))
          continue;
        const bool grid = type == Fourcc("grid");
        ByteReader data(ItemStart(file, meta, id));
        data.u8();  // version
        const bool wide = data.u8() & 1;
        const unsigned rows = data.u8() + 1u, columns = data.u8() + 1u;
        if (!grid)
          data.skip(6);  // an overlay has 8 bytes of fill colour there
        const std::uint64_t width = wide ? data.u32be() : data.u16be();
        const std::uint64_t height = wide ? data.u32be() : data.u16be();
        if (!data.ok())
          continue;
        const auto [tileWidth, tileHeight] = StoredSize(meta, FirstReference(meta, id, "dimg"));
        if (TooManyPixels(width, height) || (grid && tileWidth && tileHeight &&
                                             (width > columns * std::uint64_t(tileWidth) ||
                                              height > rows * std::uint64_t(tileHeight))))
          return true;
      }
    }
  }
  return false;
}

// The file read, with its primary image; both null when libheif refuses it.
struct Primary {
  Context context;
  Handle handle;
};

Primary OpenPrimary(Bytes file) {
  // libheif reads files without an ftyp box too, which are not ours to take.
  if (!IsHeif(file))
    return {};
  Primary p;
  p.context.reset(heif_context_alloc());
  if (!p.context)
    return {};
  heif_context_set_maximum_image_size_limit(p.context.get(), kMaxSide);
  // Without a copy: the bytes outlive the context.
  heif_image_handle* handle = nullptr;
  if (HasTooLargeCanvas(file) ||
      heif_context_read_from_memory_without_copy(p.context.get(), file.data(), file.size(), nullptr)
              .code != heif_error_Ok ||
      heif_context_get_primary_image_handle(p.context.get(), &handle).code != heif_error_Ok)
    return {};
  p.handle.reset(handle);
  return p;
}

// The upright size of an image as libheif delivers it, or nothing when it is
// empty or refused for its size.
bool UprightSize(const heif_image_handle* handle, int* width, int* height) {
  *width = heif_image_handle_get_width(handle);
  *height = heif_image_handle_get_height(handle);
  return *width > 0 && *height > 0 && !TooManyPixels(std::uint64_t(*width), std::uint64_t(*height));
}

// Decodes the image behind handle, transformations applied, into dib.
bool DecodeHandle(const heif_image_handle* handle, DibBuilder& dib) {
  int width, height;
  if (!UprightSize(handle, &width, &height))
    return false;
  const bool alpha = heif_image_handle_has_alpha_channel(handle);
  // Deeper samples come as 16-bit words, to be rounded here rather than cut.
  const bool deep = std::max(heif_image_handle_get_luma_bits_per_pixel(handle),
                             heif_image_handle_get_chroma_bits_per_pixel(handle)) > 8;
  const heif_chroma chroma =
      deep ? (alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
           : (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
  const std::unique_ptr<heif_decoding_options, FreeOptions> options(heif_decoding_options_alloc());
  if (!options)
    return false;
  heif_image* decoded = nullptr;
  if (heif_decode_image(handle, &decoded, heif_colorspace_RGB, chroma, options.get()).code !=
      heif_error_Ok)
    return false;
  const Image image(decoded);
  int stride = 0;
  const std::uint8_t* plane =
      heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
  const int bits = heif_image_get_bits_per_pixel_range(image.get(), heif_channel_interleaved);
  if (!plane || heif_image_get_width(image.get(), heif_channel_interleaved) != width ||
      heif_image_get_height(image.get(), heif_channel_interleaved) != height ||
      (deep ? bits <= 8 || bits > 16 : bits != 8) || !dib.create(width, height, 24))
    return false;

  const int channels = alpha ? 4 : 3;
  const unsigned max = (1u << bits) - 1;
  const bool premultiplied = alpha && heif_image_is_premultiplied_alpha(image.get());
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* in = plane + std::int64_t(y) * stride;
    std::uint8_t* row = dib.row(y);
    for (int x = 0; x < width; ++x, in += channels * (deep ? 2 : 1)) {
      std::uint8_t c[4] = {0, 0, 0, 255};
      for (int i = 0; i < channels; ++i) {
        const unsigned v = deep ? unsigned(in[2 * i] | in[2 * i + 1] << 8) : in[i];
        c[i] = std::uint8_t(deep ? (std::min(v, max) * 255 + max / 2) / max : v);
      }
      if (premultiplied) {
        // Already multiplied by alpha: only the white behind is left to add.
        for (int i = 0; i < 3; ++i)
          c[i] = std::uint8_t(std::min(255, c[i] + 255 - c[3]));
        DibBuilder::putRgb(row, x, c[0], c[1], c[2]);
      } else {
        DibBuilder::putRgba(row, x, c[0], c[1], c[2], c[3]);
      }
    }
  }
  return true;
}

// libheif lets the standard library's exceptions out (memory running out,
// above all), as do the lists of boxes here: a refusal like any other.
template <typename Decode>
bool WithoutThrowing(Decode decode) {
  try {
    return decode();
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

bool IsHeif(Bytes file) {
  ByteReader in(file);
  std::size_t size = in.u32be();
  if (in.u32be() != Fourcc("ftyp") || !in.ok())
    return false;
  if (size == 0)
    size = file.size();  // the box runs to the end of the file
  if (size < 16)
    return false;
  const std::size_t end = std::min(size, file.size());
  if (IsImageBrand(in.u32be()))
    return in.ok();
  in.skip(4);  // minor version
  while (in.ok() && in.position() + 4 <= end)
    if (IsImageBrand(in.u32be()))
      return true;
  return false;
}

bool DecodeHeif(Bytes file, DibHandle* out, ProgressReporter& progress) {
  return WithoutThrowing([&] {
    progress.report(0);
    const Primary primary = OpenPrimary(file);
    DibBuilder dib;
    if (!primary.handle || !DecodeHandle(primary.handle.get(), dib))
      return false;
    dib.finish(out);
    progress.report(100);
    return true;
  });
}

bool DecodeHeifReduced(Bytes file, int boxWidth, int boxHeight, DibHandle* out,
                       ProgressReporter& progress, int* fullWidth, int* fullHeight) {
  return WithoutThrowing([&] {
    progress.report(0);
    const Primary primary = OpenPrimary(file);
    int width, height;
    if (!primary.handle || !UprightSize(primary.handle.get(), &width, &height))
      return false;
    const FittedSize fit = FitIntoBox(width, height, boxWidth, boxHeight);
    const std::int64_t W = width, H = height;

    // The smallest thumbnail of the picture's shape that still covers the box.
    // libheif turns and mirrors each item by its own properties, so one without
    // the picture's would come out the wrong way round: such a thumbnail does
    // not serve.
    const heif_image_handle* p = primary.handle.get();
    heif_item_id primaryId = 0;
    heif_context_get_primary_image_ID(primary.context.get(), &primaryId);
    const Transforms turns = TransformsOf(file, primaryId);
    const int count = heif_image_handle_get_number_of_thumbnails(p);
    std::vector<heif_item_id> ids(std::size_t(std::max(count, 0)));
    ids.resize(std::size_t(heif_image_handle_get_list_of_thumbnail_IDs(p, ids.data(), count)));
    Handle best;
    for (const heif_item_id id : ids) {
      heif_image_handle* found = nullptr;
      if (heif_image_handle_get_thumbnail(p, id, &found).code != heif_error_Ok)
        continue;
      Handle thumbnail(found);
      const std::int64_t w = heif_image_handle_get_width(found),
                         h = heif_image_handle_get_height(found);
      const bool sameShape = std::abs(h * W - w * H) <= std::min(W, H);  // within a pixel
      const bool largeEnough = w >= fit.width && h >= fit.height;
      if (sameShape && largeEnough && w < W && TransformsOf(file, id) == turns &&
          (!best || w < heif_image_handle_get_width(best.get())))
        best = std::move(thumbnail);
    }

    DibBuilder dib;
    // A damaged thumbnail leaves the picture itself.
    if (!(best && DecodeHandle(best.get(), dib)) && !DecodeHandle(p, dib))
      return false;
    dib.finish(out);
    *fullWidth = width;
    *fullHeight = height;
    progress.report(100);
    return true;
  });
}

}  // namespace imagora::detail
