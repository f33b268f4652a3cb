// Thumbnails of progressive JPEGs from their DC coefficients alone.
//
// At 1/8 scale every 8 x 8 block becomes one pixel: the block's DC
// coefficient. A progressive file sends the DC coefficients of all blocks in
// its first scans, a small part of the file, so a thumbnail needs only those
// decoded: no AC scans, no coefficient buffer for the whole picture. Anything
// this reader does not handle (other frame types, four components, damage)
// makes it decline, and libjpeg-turbo decodes the file instead.
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "imagora/detail/dib_builder.h"
#include "imagora/detail/orientation.h"
#include "imagora/detail/reduced_jpeg.h"

namespace imagora::detail {

namespace {

struct HuffmanTable {
  bool defined = false;
  std::array<std::int32_t, 18> maxCode{};  // by code length; -1: no codes of that length
  std::array<std::int32_t, 17> valueOffset{};
  std::array<std::uint8_t, 256> values{};
};

struct Component {
  int id = 0, h = 1, v = 1, quantTable = 0;
  int dcTable = 0;
  int blocksWide = 0, blocksHigh = 0;  // in the MCU grid, padding blocks included
  int usedWide = 0, usedHigh = 0;      // blocks that cover the component's samples
  std::vector<std::int32_t> dc;
  bool dcSeen = false;
  std::uint32_t predictor = 0;  // wraps, as the 16-bit coefficients of libjpeg do
};

// Entropy-coded bits with byte stuffing; at a marker it delivers zeros.
class BitReader {
 public:
  BitReader(const std::uint8_t* at, const std::uint8_t* end) : at_(at), end_(end) {}

  int bit() {
    if (count_ == 0)
      fill();
    --count_;
    return int(buffer_ >> count_) & 1;
  }
  int bits(int n) {
    int v = 0;
    while (n-- > 0)
      v = v << 1 | bit();
    return v;
  }
  // Skips to the restart marker that must follow; false if another comes.
  bool restart() {
    count_ = 0;
    if (!marker_ && at_ + 1 < end_ && at_[0] == 0xFF)
      marker_ = true;
    if (!marker_ || at_ + 1 >= end_ || at_[1] < 0xD0 || at_[1] > 0xD7)
      return false;
    at_ += 2;
    marker_ = false;
    return true;
  }
  const std::uint8_t* position() const { return at_; }

 private:
  void fill() {
    std::uint8_t byte = 0;
    if (!marker_ && at_ < end_) {
      if (at_[0] != 0xFF) {
        byte = *at_++;
      } else if (at_ + 1 < end_ && at_[1] == 0x00) {
        byte = 0xFF;
        at_ += 2;
      } else {
        marker_ = true;
      }
    }
    buffer_ = buffer_ << 8 | byte;
    count_ = 8;
  }

  const std::uint8_t* at_;
  const std::uint8_t* end_;
  std::uint32_t buffer_ = 0;
  int count_ = 0;
  bool marker_ = false;
};

int DecodeSymbol(BitReader& in, const HuffmanTable& t) {
  std::int32_t code = 0;
  for (int length = 1; length <= 16; ++length) {
    code = code << 1 | in.bit();
    if (code <= t.maxCode[std::size_t(length)])
      return t.values[std::size_t(t.valueOffset[std::size_t(length)] + code) & 0xFF];
  }
  return -1;
}

std::int32_t Extend(std::int32_t v, int size) {
  return v < (1 << (size - 1)) ? v - (1 << size) + 1 : v;
}

class DcReader {
 public:
  DcReader(Bytes file, int boxWidth, int boxHeight)
      : file_(file), boxWidth_(boxWidth), boxHeight_(boxHeight) {}

  bool read(DibHandle* out, ProgressReporter& progress, int* fullWidth, int* fullHeight);

 private:
  bool segment(std::uint8_t marker, ByteReader& in, std::size_t length);
  bool frame(ByteReader& in);
  bool huffmanTables(ByteReader& in, std::size_t end);
  bool quantTables(ByteReader& in, std::size_t end);
  // Decodes one DC scan; false on anything unexpected. *done when the DC of
  // every component is in and this scan carries AC coefficients.
  bool scan(ByteReader& in, bool* done);
  bool output(DibHandle* out);

  Bytes file_;
  int boxWidth_, boxHeight_;
  std::size_t at_ = 0;
  bool haveFrame_ = false;
  int width_ = 0, height_ = 0, hMax_ = 1, vMax_ = 1, mcusWide_ = 0, mcusHigh_ = 0;
  int restartInterval_ = 0;
  int orientation_ = 1;
  int adobeTransform_ = -1;
  std::vector<Component> components_;
  std::array<HuffmanTable, 4> dcTables_{};
  std::array<std::array<std::uint16_t, 64>, 4> quant_{};
  std::array<bool, 4> quantDefined_{};
};

bool DcReader::frame(ByteReader& in) {
  const int precision = in.u8();
  height_ = in.u16be();
  width_ = in.u16be();
  const int count = in.u8();
  if (!in.ok() || precision != 8 || width_ == 0 || height_ == 0 || (count != 1 && count != 3) ||
      std::uint64_t(width_) * std::uint64_t(height_) > kMaxPixels)
    return false;
  // 1/8 scale must still cover the picture fitted into the box.
  std::int64_t fitW = boxWidth_, fitH = std::int64_t(height_) * boxWidth_ / width_;
  if (fitH > boxHeight_)
    fitH = boxHeight_, fitW = std::int64_t(width_) * boxHeight_ / height_;
  if ((width_ + 7) / 8 < std::min<std::int64_t>(fitW, width_) ||
      (height_ + 7) / 8 < std::min<std::int64_t>(fitH, height_))
    return false;
  components_.resize(std::size_t(count));
  for (Component& c : components_) {
    c.id = in.u8();
    const int sampling = in.u8();
    c.h = sampling >> 4, c.v = sampling & 15;
    c.quantTable = in.u8();
    if (c.h < 1 || c.h > 4 || c.v < 1 || c.v > 4 || c.quantTable > 3)
      return false;
    hMax_ = std::max(hMax_, c.h), vMax_ = std::max(vMax_, c.v);
  }
  mcusWide_ = (width_ + 8 * hMax_ - 1) / (8 * hMax_);
  mcusHigh_ = (height_ + 8 * vMax_ - 1) / (8 * vMax_);
  for (Component& c : components_) {
    c.blocksWide = mcusWide_ * c.h, c.blocksHigh = mcusHigh_ * c.v;
    c.usedWide = ((width_ * c.h + hMax_ - 1) / hMax_ + 7) / 8;
    c.usedHigh = ((height_ * c.v + vMax_ - 1) / vMax_ + 7) / 8;
    c.dc.assign(std::size_t(c.blocksWide) * std::size_t(c.blocksHigh), 0);
  }
  haveFrame_ = true;
  return in.ok();
}

bool DcReader::huffmanTables(ByteReader& in, std::size_t end) {
  while (in.position() < end) {
    const int info = in.u8();
    const int tableClass = info >> 4, id = info & 15;
    std::array<int, 17> counts{};
    int total = 0;
    for (int l = 1; l <= 16; ++l)
      total += counts[std::size_t(l)] = in.u8();
    if (!in.ok() || id > 3 || tableClass > 1 || total > 256)
      return false;
    const Bytes values = in.take(std::size_t(total));
    if (!in.ok())
      return false;
    if (tableClass != 0)
      continue;  // AC tables are never needed here
    HuffmanTable& t = dcTables_[std::size_t(id)];
    t = HuffmanTable{};
    t.defined = true;
    std::copy(values.begin(), values.end(), t.values.begin());
    std::int32_t code = 0;
    int index = 0;
    for (int l = 1; l <= 16; ++l) {
      t.valueOffset[std::size_t(l)] = index - code;
      code += counts[std::size_t(l)];
      index += counts[std::size_t(l)];
      t.maxCode[std::size_t(l)] = counts[std::size_t(l)] ? code - 1 : -1;
      code <<= 1;
    }
  }
  return true;
}

bool DcReader::quantTables(ByteReader& in, std::size_t end) {
  while (in.position() < end) {
    const int info = in.u8();
    const int precision = info >> 4, id = info & 15;
    if (id > 3 || precision > 1)
      return false;
    for (int k = 0; k < 64; ++k)
      quant_[std::size_t(id)][std::size_t(k)] = precision ? in.u16be() : in.u8();
    quantDefined_[std::size_t(id)] = true;
    if (!in.ok())
      return false;
  }
  return true;
}

bool DcReader::scan(ByteReader& in, bool* done) {
  const int count = in.u8();
  std::vector<Component*> scanned;
  for (int i = 0; i < count; ++i) {
    const int id = in.u8(), tables = in.u8();
    Component* found = nullptr;
    for (Component& c : components_)
      if (c.id == id)
        found = &c;
    if (!found || (tables >> 4) > 3)
      return false;
    found->dcTable = tables >> 4;
    scanned.push_back(found);
  }
  const int ss = in.u8(), se = in.u8(), approx = in.u8();
  const int ah = approx >> 4, al = approx & 15;
  if (!in.ok() || count < 1 || !haveFrame_)
    return false;

  if (ss != 0) {
    bool allDc = true;
    for (const Component& c : components_)
      allDc = allDc && c.dcSeen;
    *done = allDc;
    return true;  // an AC scan before all DC: skipped by the caller
  }
  if (se != 0 || al > 13)
    return false;
  for (Component* c : scanned) {
    if (ah == 0 && !dcTables_[std::size_t(c->dcTable)].defined)
      return false;
    c->predictor = 0;
  }

  BitReader bits(file_.data() + in.position(), file_.data() + file_.size());
  const auto block = [&](Component& c, int bx, int by) {
    std::int32_t& dc = c.dc[std::size_t(by) * std::size_t(c.blocksWide) + std::size_t(bx)];
    if (ah != 0) {
      if (bits.bit())
        dc |= 1 << al;
      return true;
    }
    const int size = DecodeSymbol(bits, dcTables_[std::size_t(c.dcTable)]);
    if (size < 0 || size > 11)
      return false;
    c.predictor += std::uint32_t(size ? Extend(bits.bits(size), size) : 0);
    dc = std::int32_t(std::int16_t(c.predictor)) * (1 << al);
    return true;
  };

  const bool single = scanned.size() == 1;
  const int mcusWide = single ? scanned[0]->usedWide : mcusWide_;
  const int mcusHigh = single ? scanned[0]->usedHigh : mcusHigh_;
  int untilRestart = restartInterval_;
  for (int my = 0; my < mcusHigh; ++my) {
    for (int mx = 0; mx < mcusWide; ++mx) {
      if (restartInterval_ && untilRestart == 0) {
        if (!bits.restart())
          return false;
        untilRestart = restartInterval_;
        for (Component* c : scanned)
          c->predictor = 0;
      }
      for (Component* c : scanned) {
        if (single) {
          if (!block(*c, mx, my))
            return false;
          continue;
        }
        for (int v = 0; v < c->v; ++v)
          for (int h = 0; h < c->h; ++h)
            if (!block(*c, mx * c->h + h, my * c->v + v))
              return false;
      }
      --untilRestart;
    }
  }
  for (Component* c : scanned)
    c->dcSeen = true;
  at_ = std::size_t(bits.position() - file_.data());
  return true;
}

bool DcReader::output(DibHandle* out) {
  const int wide = (width_ + 7) / 8, high = (height_ + 7) / 8;
  DibBuilder dib;
  if (!dib.create(wide, high, 24))
    return false;
  for (const Component& c : components_)
    if (!quantDefined_[std::size_t(c.quantTable)])
      return false;

  // As libjpeg's 1 x 1 inverse DCT: the dequantised DC, divided by 8 with
  // rounding, around mid-grey.
  const auto sample = [&](const Component& c, int x, int y) {
    const int bx = std::min(x * c.h / hMax_, c.blocksWide - 1);
    const int by = std::min(y * c.v / vMax_, c.blocksHigh - 1);
    const std::int64_t dc = c.dc[std::size_t(by) * std::size_t(c.blocksWide) + std::size_t(bx)];
    const std::int64_t value = (dc * quant_[std::size_t(c.quantTable)][0] + 4) >> 3;
    return int(std::clamp<std::int64_t>(value + 128, 0, 255));
  };
  const bool rgb = adobeTransform_ == 0 || (components_.size() == 3 && components_[0].id == 'R' &&
                                            components_[1].id == 'G' && components_[2].id == 'B');
  for (int y = 0; y < high; ++y) {
    std::uint8_t* row = dib.row(y);
    for (int x = 0; x < wide; ++x) {
      const int c0 = sample(components_[0], x, y);
      if (components_.size() == 1) {
        DibBuilder::putRgb(row, x, std::uint8_t(c0), std::uint8_t(c0), std::uint8_t(c0));
        continue;
      }
      const int c1 = sample(components_[1], x, y), c2 = sample(components_[2], x, y);
      if (rgb) {
        DibBuilder::putRgb(row, x, std::uint8_t(c0), std::uint8_t(c1), std::uint8_t(c2));
        continue;
      }
      // JFIF YCbCr in libjpeg's 16-bit fixed point.
      const int cb = c1 - 128, cr = c2 - 128;
      const int r = c0 + ((91881 * cr + 32768) >> 16);
      const int g = c0 + ((-22554 * cb - 46802 * cr + 32768) >> 16);
      const int b = c0 + ((116130 * cb + 32768) >> 16);
      DibBuilder::putRgb(row, x, std::uint8_t(std::clamp(r, 0, 255)),
                         std::uint8_t(std::clamp(g, 0, 255)), std::uint8_t(std::clamp(b, 0, 255)));
    }
  }
  dib.finish(out);
  return true;
}

bool DcReader::segment(std::uint8_t marker, ByteReader& in, std::size_t end) {
  switch (marker) {
    case 0xC2:  // progressive, Huffman-coded
      return frame(in);
    case 0xC4:
      return huffmanTables(in, end);
    case 0xDB:
      return quantTables(in, end);
    case 0xDD:
      restartInterval_ = in.u16be();
      return in.ok();
    case 0xE1:
      if (orientation_ == 1)
        orientation_ = ExifOrientation(in.take(end - in.position()));
      return true;
    case 0xEE: {  // Adobe: its transform byte says RGB or YCbCr
      const Bytes b = in.take(end - in.position());
      if (b.size() >= 12 && std::memcmp(b.data(), "Adobe", 5) == 0)
        adobeTransform_ = b[11];
      return true;
    }
    default:
      // Any other frame type is for libjpeg-turbo.
      return !(marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
               marker != 0xCC);
  }
}

bool DcReader::read(DibHandle* out, ProgressReporter& progress, int* fullWidth, int* fullHeight) {
  if (file_.size() < 4 || file_[0] != 0xFF || file_[1] != 0xD8)
    return false;
  at_ = 2;
  for (;;) {
    // The next marker, past any fill bytes or skipped entropy-coded data.
    while (at_ + 1 < file_.size() &&
           !(file_[at_] == 0xFF && file_[at_ + 1] != 0x00 && file_[at_ + 1] != 0xFF &&
             (file_[at_ + 1] < 0xD0 || file_[at_ + 1] > 0xD7)))
      ++at_;
    if (at_ + 1 >= file_.size())
      return false;
    const std::uint8_t marker = file_[at_ + 1];
    at_ += 2;
    if (marker == 0xD9)
      return false;  // the end, and not every component had its DC
    ByteReader in(file_, at_);
    const std::size_t length = in.u16be();
    if (!in.ok() || length < 2 || at_ + length > file_.size())
      return false;
    const std::size_t end = at_ + length;
    if (marker == 0xDA) {
      at_ = end;  // an AC scan's data is skipped by the marker search
      bool done = false;
      if (!scan(in, &done))
        return false;
      if (done)
        break;
      progress.report(50);
      continue;
    }
    if (!segment(marker, in, end))
      return false;
    at_ = end;
  }
  if (!output(out))
    return false;
  if (!ApplyOrientation(out, orientation_)) {
    deldib(out);
    return false;
  }
  *fullWidth = orientation_ >= 5 ? height_ : width_;
  *fullHeight = orientation_ >= 5 ? width_ : height_;
  return true;
}

}  // namespace

bool DecodeProgressiveDc(Bytes file, int boxWidth, int boxHeight, DibHandle* out,
                         ProgressReporter& progress, int* fullWidth, int* fullHeight) {
  return DcReader(file, std::max(boxWidth, 1), std::max(boxHeight, 1))
      .read(out, progress, fullWidth, fullHeight);
}

}  // namespace imagora::detail
