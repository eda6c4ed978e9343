// The desktop entry and the software-centre metadata: valid for their own
// tools, and naming the files the installation puts in place.
#include <gtest/gtest.h>

#include <regex>

#include "Command.h"
#include "TestDir.h"

namespace karo::test {
namespace {

const std::string kDesktopEntry = KARO_SOURCE_DIR "/packaging/karoview.desktop";
const std::string kMetainfo = KARO_METAINFO;

// Problems desktop-file-validate reports (its hints are suggestions only).
std::vector<std::string> DesktopProblems(const std::string& output) {
  std::vector<std::string> problems = LinesWith(output, "error:");
  for (const std::string& w : LinesWith(output, "warning:")) problems.push_back(w);
  return problems;
}

TEST(DesktopFiles, DesktopEntryValidates) {
  const CommandResult r = RunCommand({"desktop-file-validate", kDesktopEntry});
  EXPECT_EQ(r.Code, 0) << r.Output;
  EXPECT_TRUE(DesktopProblems(r.Output).empty()) << r.Output;
}

TEST(DesktopFiles, MetadataValidates) {
  const CommandResult r = RunCommand({"appstreamcli", "validate", "--no-net", "--no-color", kMetainfo});
  EXPECT_EQ(r.Code, 0) << r.Output;
  EXPECT_TRUE(LinesWith(r.Output, "E: ").empty()) << r.Output;
  EXPECT_TRUE(LinesWith(r.Output, "W: ").empty()) << r.Output;
}

// A broken file is refused by both tools, so the two tests above can fail.
TEST(DesktopFiles, ToolsRefuseBrokenFiles) {
  TestDir dir;
  WriteBytes(dir.File("karoview.desktop"), "[Desktop Entry]\nName=KaroView\nExec=karoview\n");
  EXPECT_NE(RunCommand({"desktop-file-validate", dir.File("karoview.desktop")}).Code, 0);
  std::string metainfo = ReadBytes(kMetainfo);
  metainfo.erase(metainfo.find("<summary>"), metainfo.find("</summary>") + 10 - metainfo.find("<summary>"));
  WriteBytes(dir.File("cz.karoview.KaroView.metainfo.xml"), metainfo);
  EXPECT_NE(RunCommand({"appstreamcli", "validate", "--no-net", dir.File("cz.karoview.KaroView.metainfo.xml")}).Code,
            0);
}

TEST(DesktopFiles, NameTheInstalledProgramAndIcon) {
  const std::string entry = ReadBytes(kDesktopEntry);
  const char* const lines[] = {"Name=KaroView", "Exec=karoview",  // the link the package puts in /usr/bin
                               "Icon=karoview",                   // the icon theme's karoview.png
                               "Categories=Office;MedicalSoftware;"};
  for (const char* line : lines) {
    SCOPED_TRACE(line);
    EXPECT_NE(("\n" + entry).find(std::string("\n") + line + "\n"), std::string::npos);
  }
  EXPECT_TRUE(std::regex_search(entry, std::regex("\nComment=[^\n]*providers[^\n]*\n")));
  EXPECT_TRUE(std::regex_search(entry, std::regex("\nComment\\[cs\\]=[^\n]*poskytovatelů[^\n]*\n")));

  const std::string metainfo = ReadBytes(kMetainfo);
  EXPECT_NE(metainfo.find("<launchable type=\"desktop-id\">karoview.desktop</launchable>"), std::string::npos);
  EXPECT_NE(metainfo.find("<release version=\"" KARO_VERSION "\" date=\""), std::string::npos);
  EXPECT_NE(metainfo.find("<description>"), std::string::npos);
  EXPECT_NE(metainfo.find("<p xml:lang=\"cs\">"), std::string::npos);
  EXPECT_NE(metainfo.find("<screenshot type=\"default\">"), std::string::npos);
  EXPECT_NE(metainfo.find("<content_rating type=\"oars-1.1\"/>"), std::string::npos);
}

}  // namespace
}  // namespace karo::test
