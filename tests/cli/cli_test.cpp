// lumaret-cli end to end: the real binary, real files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>

#include "document/project_file.h"
#include "tests/imagora/picture_oracle.h"
#include "tests/support/temp_dir.h"

namespace lumaret {
namespace {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s)
    q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

class CliTest : public ::testing::Test {
 protected:
  CliRun Cli(const std::vector<std::string>& args) {
    std::string command = Quote(LUMARET_CLI);
    for (const std::string& a : args)
      command += " " + Quote(a);
    command += " 2>" + Quote(scratch / "stderr");
    std::FILE* pipe = ::popen(command.c_str(), "r");
    std::string out;
    std::array<char, 4096> buf;
    for (std::size_t n; (n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0;)
      out.append(buf.data(), n);
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out,
            testing::ReadBytes(scratch / "stderr")};
  }
  std::string Picture(const std::string& name) {
    testing::WriteBytes(dir / name, "not really a picture");  // make does not decode
    return dir / name;
  }

  testing::TempDir dir;
  testing::TempDir scratch;  // the captured stderr, out of the way of dir's listing
};

TEST_F(CliTest, MakeThenShowGivesBackWhatWasGiven) {
  const std::string a = Picture("a.jpg"), b = Picture("b.png");
  const std::string project = dir / "demo.lmt";
  const CliRun made = Cli({"make", project, a, b, "--fade", "1500", "--cross-fade"});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(made.out, "");
  EXPECT_EQ(made.err, "");

  const CliRun shown = Cli({"show", project});
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_EQ(shown.out, project +
                           ": 2 pictures\n\n"
                           "Transition:                       Cross fadeing\n"
                           "Bleeding duration:                1500 ms\n"
                           "Stop time:                        3000 ms\n"
                           "Full screen animation:            no\n"
                           "Show the PDF file after creation: yes\n"
                           "Background color:                 #FFFFFF\n"
                           "Text color:                       #FFFF00\n"
                           "Text border:                      #000000\n"
                           "Text position x:                  2 %\n"
                           "Text position y:                  95 %\n"
                           "Font size:                        40\n"
                           "\n  1  " +
                           a +
                           "\n     (no caption)\n"
                           "\n  2  " +
                           b + "\n     (no caption)\n");

  // The file itself, field by field.
  const std::string bytes = testing::ReadBytes(project);
  ASSERT_EQ(bytes.size(), 8 + (8 + a.size()) + (8 + b.size()) + 35);
  const ParsedProject parsed = ParseProject(bytes);
  ASSERT_EQ(parsed.status, ParsedProject::Status::Ok);
  EXPECT_EQ(parsed.entries[0].FileName, a);
  EXPECT_EQ(parsed.entries[1].FileName, b);
  EXPECT_EQ(parsed.settings.FadeDuration(), 1500);
  EXPECT_EQ(bytes[bytes.size() - 2], 0);  // the transition byte: not "Bleeding"
}

TEST_F(CliTest, MakeTakesEverySettingAndStoresAbsolutePaths) {
  Picture("beach.jpg");
  const std::string project = dir / "all.lmt";
  // A relative picture name, run from another folder through the path.
  const std::string relative =
      std::filesystem::relative(dir / "beach.jpg", std::filesystem::current_path()).string();
  const CliRun made =
      Cli({"make", project, "--stop=2500", "--full-screen", "--no-show-pdf", "--background",
           "#102030", "--text-color", "a0b0c0", "--text-border", "#0000FF", "--text-x", "-5",
           "--text-y", "150", "--font-size", "18", "--caption-from-filename", relative});
  ASSERT_EQ(made.status, 0) << made.err;
  const ParsedProject p = ParseProject(testing::ReadBytes(project));
  ASSERT_EQ(p.status, ParsedProject::Status::Ok);
  ASSERT_EQ(p.entries.size(), 1u);
  EXPECT_EQ(p.entries[0].FileName, dir / "beach.jpg");
  EXPECT_EQ(p.entries[0].Caption, "beach.jpg");
  const SlideshowSettings& s = p.settings;
  EXPECT_EQ(s.StopTime(), 2500);
  EXPECT_TRUE(s.FullScreen);
  EXPECT_FALSE(s.ShowPdfAfterCreation);
  EXPECT_FALSE(s.CrossFade);
  EXPECT_EQ(HtmlColor(s.BackgroundColor), "#102030");
  EXPECT_EQ(HtmlColor(s.TextColor), "#A0B0C0");
  EXPECT_EQ(s.TextBorderColor, Color{0xFF0000});
  EXPECT_EQ(s.TextPosX, -5);
  EXPECT_EQ(s.TextPosY, 150);
  EXPECT_EQ(s.FontSize, 18);
}

TEST_F(CliTest, ShowPrintsEachCaptionLineOnItsOwnLine) {
  SlideDocument doc;
  doc.AddPictures({"/p/x.jpg"}, false);
  doc.Slides.Select(0).Caption = "one\r\ntwo\rthree";
  testing::WriteBytes(dir / "c.lmt", EncodeProject(doc));
  const CliRun shown = Cli({"show", dir / "c.lmt"});
  ASSERT_EQ(shown.status, 0);
  EXPECT_NE(shown.out.find("  1  /p/x.jpg\n     one\n     two\n     three\n"), std::string::npos)
      << shown.out;
}

TEST_F(CliTest, ShowEscapesControlCharactersThatWouldDriveTheTerminal) {
  SlideDocument doc;
  doc.AddPictures({"/p/\x1B[2Jx.jpg"}, false);
  doc.Slides.Select(0).Caption = "\x1B]0;title\x07\tred\x1B[31m\x7F\r\nnext";
  testing::WriteBytes(dir / "c.lmt", EncodeProject(doc));
  const CliRun shown = Cli({"show", dir / "c.lmt"});
  ASSERT_EQ(shown.status, 0);
  EXPECT_NE(shown.out.find("  1  /p/\\x1B[2Jx.jpg\n"
                           "     \\x1B]0;title\\x07\\x09red\\x1B[31m\\x7F\n"
                           "     next\n"),
            std::string::npos)
      << shown.out;
}

struct FailureCase {
  const char* name;
  std::vector<std::string> args;  // "@" stands for the test's folder
  int status;
  const char* message;  // a part of the one line on stderr
};

void PrintTo(const FailureCase& c, std::ostream* os) {
  *os << c.name;
}

class CliFailure : public CliTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(CliFailure, PrintsOneLineAndLeavesNoOutput) {
  Picture("a.jpg");
  testing::WriteBytes(dir / "bad.lmt", "this is no project");
  testing::WriteBytes(dir / "cut.lmt", std::string("\xAD\xCD\0\0\1\0\0\0", 8));
  testing::WriteBytes(dir / "long.lmt", EncodeProject(SlideDocument()) + '\0');
  std::vector<std::string> args;
  for (std::string a : GetParam().args) {
    if (a.rfind("@", 0) == 0)
      a = dir / a.substr(1);
    args.push_back(a);
  }
  const auto before = dir.Files();
  const CliRun run = Cli(args);
  EXPECT_EQ(run.status, GetParam().status);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  EXPECT_EQ(run.err.rfind("lumaret-cli: ", 0), 0u) << run.err;
  EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
  EXPECT_EQ(dir.Files(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliFailure,
    ::testing::Values(
        FailureCase{"MissingPicture",
                    {"make", "@out.lmt", "@a.jpg", "@nope.jpg"},
                    1,
                    "nope.jpg: no such file"},
        FailureCase{"FolderAsPicture", {"make", "@out.lmt", "@"}, 1, "is a folder"},
        FailureCase{"UnwritableTarget",
                    {"make", "@missing/out.lmt", "@a.jpg"},
                    1,
                    "out.lmt: Can not create the file (No such file or directory)..."},
        FailureCase{"FadeOutOfRange",
                    {"make", "@out.lmt", "--fade", "0", "@a.jpg"},
                    2,
                    "--fade needs milliseconds from 1 to 1000000, not '0'"},
        FailureCase{"BadColour",
                    {"make", "@out.lmt", "--background", "red"},
                    2,
                    "--background needs a colour #RRGGBB"},
        FailureCase{"MissingValue", {"make", "@out.lmt", "--font-size"}, 2, "--font-size needs"},
        FailureCase{"NumberTooBig",
                    {"make", "@out.lmt", "--text-x", "2147483648"},
                    2,
                    "--text-x needs a whole number"},
        FailureCase{"UnknownOption", {"make", "@out.lmt", "--fast"}, 2, "unknown option --fast"},
        FailureCase{"NoOutput", {"make"}, 2, "make needs the name"},
        FailureCase{"ExportUnknownOption",
                    {"export", "@a.lmt", "--fast", "@out.pdf"},
                    2,
                    "unknown option --fast"},
        FailureCase{"ShowMissing",
                    {"show", "@none.lmt"},
                    1,
                    "none.lmt: Can not open the file (No such file or directory)..."},
        FailureCase{"ShowNotAProject",
                    {"show", "@bad.lmt"},
                    1,
                    "bad.lmt: This is not an valid Lumaret file..."},
        FailureCase{"ShowDamaged",
                    {"show", "@cut.lmt"},
                    1,
                    "cut.lmt: This Lumaret file is damaged (it ends early)"},
        FailureCase{"ShowBytesAfterTheEnd",
                    {"show", "@long.lmt"},
                    1,
                    "long.lmt: This Lumaret file is damaged (bytes follow its end)"},
        FailureCase{"UnknownCommand", {"play"}, 2, "unknown command 'play'"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliTest, ExportSvgAndPreviewShowTheSameSlideshow) {
  imagora::testing::WritePattern(dir / "pattern.ppm", 40, 30);
  ASSERT_EQ(
      imagora::testing::Shell("cd '" + dir.path().string() +
                              "' && pnmtopng pattern.ppm > a.png && cjpeg pattern.ppm > b.jpg"),
      0);
  const std::string project = dir / "show.lmt";
  ASSERT_EQ(Cli({"make", project, dir / "a.png", dir / "b.jpg", "--caption-from-filename",
                 "--cross-fade"})
                .status,
            0);
  const CliRun exported = Cli({"export", project, dir / "show.pdf"});
  ASSERT_EQ(exported.status, 0) << exported.err;
  EXPECT_EQ(exported.err, "");
  EXPECT_EQ(imagora::testing::Shell("qpdf --check '" + dir / "show.pdf" + "' > /dev/null"), 0);
  // The option may stand anywhere; without picture pages the file has its one page.
  const CliRun svgOnly = Cli({"export", project, "--svg-only", dir / "own.pdf"});
  ASSERT_EQ(svgOnly.status, 0) << svgOnly.err;
  EXPECT_EQ(imagora::testing::Shell("test \"$(qpdf --show-npages '" + dir / "own.pdf" + "')\" = 1"),
            0);

  // Object 16 inflates to exactly what svg writes.
  ASSERT_EQ(Cli({"svg", project, dir / "show.svg"}).status, 0);
  ASSERT_EQ(imagora::testing::Shell("qpdf --show-object=16 --filtered-stream-data '" +
                                    dir / "show.pdf" + "' > '" + dir / "o16.svg" + "'"),
            0);
  const std::string svg = testing::ReadBytes(dir / "show.svg");
  EXPECT_EQ(testing::ReadBytes(dir / "o16.svg"), svg);
  EXPECT_NE(svg.find("a.png\r\n"), std::string::npos);

  const CliRun previewed = Cli({"preview", project, dir / "show.html"});
  ASSERT_EQ(previewed.status, 0) << previewed.err;
  const std::string page = testing::ReadBytes(dir / "show.html");
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(page.find("atob(\""), std::string::npos);

  EXPECT_EQ(Cli({"export", project}).status, 2);
  const CliRun damaged = Cli({"export", dir / "pattern.ppm", dir / "x.pdf"});
  EXPECT_EQ(damaged.status, 1);
  EXPECT_NE(damaged.err.find("This is not an valid Lumaret file..."), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir / "x.pdf"));
}

TEST_F(CliTest, HelpAndVersion) {
  const CliRun help = Cli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("make OUT.lmt [options] PICTURE..."), std::string::npos);
  const CliRun version = Cli({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "lumaret-cli 1.0\n");
  EXPECT_EQ(Cli({}).status, 2);
}

}  // namespace
}  // namespace lumaret
