#include <gtest/gtest.h>

#include <cstdio>

#include "platform/console_messages.h"
#include "platform/recording_messages.h"

namespace lumaret {
namespace {

std::string Printed(std::FILE* f) {
  std::rewind(f);
  std::string text;
  for (int c; (c = std::fgetc(f)) != EOF;)
    text += char(c);
  return text;
}

TEST(ConsoleMessages, PrintsOneLinePerMessageWithItsContext) {
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  ConsoleMessages messages("lumaret-cli: a.lmt: ", false, out);
  messages.error("first line\r\nsecond line");
  EXPECT_FALSE(messages.confirm("File|New", "Sure?"));
  EXPECT_EQ(Printed(out),
            "lumaret-cli: a.lmt: first line  second line\n"
            "lumaret-cli: a.lmt: File|New: Sure? [Cancel]\n");
  std::fclose(out);
}

TEST(RecordingMessages, AnswersFromItsQueueThenWithTheDefault) {
  RecordingMessages messages;
  messages.answers = {false, true};
  messages.defaultAnswer = false;
  EXPECT_FALSE(messages.confirm("t", "a"));
  EXPECT_TRUE(messages.confirm("t", "b"));
  EXPECT_FALSE(messages.confirm("t", "c"));
  messages.error("oops", "Error");
  ASSERT_EQ(messages.shown.size(), 4u);
  EXPECT_EQ(messages.shown[3].title, "Error");
  EXPECT_EQ(messages.errors(), std::vector<std::string>{"oops"});
}

}  // namespace
}  // namespace lumaret
