#include "export/preview_page.h"

#include <gtest/gtest.h>

namespace lumaret {
namespace {

TEST(Base64, PadsTheLastGroupAndReadsBytesUnsigned) {
  const struct {
    std::string_view bytes, text;
  } cases[] = {
      {"", ""},        {"f", "Zg=="},        {"fo", "Zm8="},
      {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"\xFF\xFE\xFD\x80", "//79gA=="},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Base64(c.bytes), c.text) << c.text;
}

}  // namespace
}  // namespace lumaret
