// The installation: `cmake --install` into a scratch root, the programs run
// through links, and the Debian package unpacked into a scratch root.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "Command.h"
#include "TestDir.h"

namespace karo::test {
namespace {

namespace fs = std::filesystem;

const std::string kPrefix = KARO_PACKAGE_PREFIX;  // /opt/karoview
const std::string kBin = KARO_BIN_DIR;            // the build's program folder
const std::string kSample = KARO_SAMPLE_DATA_DIR; // the bundled sample, as the package takes it
const char* const kPrograms[] = {"karoview", "karo-build", "karo-search"};
const std::string kSampleCount = KARO_SAMPLE_SIZE " / " KARO_SAMPLE_SIZE " záznamů\n";

// Files of the program folder, relative to it.
std::set<std::string> ProgramFolderFiles() {
  std::set<std::string> files = {"Tarvel.hlp", "data/about.rtff", "data/karosmall.ICO"};
  for (const char* p : kPrograms) files.insert(p);
  for (const auto& e : fs::directory_iterator(kSample)) files.insert("DATA/" + e.path().filename().string());
  return files;
}

// Desktop files, relative to a share/ folder.
std::set<std::string> ShareFiles() {
  std::set<std::string> files = {"applications/karoview.desktop", "metainfo/cz.karoview.KaroView.metainfo.xml"};
  for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    files.insert("icons/hicolor/" + std::to_string(size) + "x" + std::to_string(size) + "/apps/karoview.png");
  }
  return files;
}

// Everything but folders under `root`, relative to it.
std::set<std::string> FilesUnder(const std::string& root) {
  std::set<std::string> files;
  const fs::path top = fs::path(root).lexically_normal().parent_path();  // without the trailing '/'
  for (const auto& e : fs::recursive_directory_iterator(top)) {
    if (!e.is_directory() || e.is_symlink()) files.insert(e.path().lexically_relative(top).string());
  }
  return files;
}

std::set<std::string> Prefixed(const std::string& folder, const std::set<std::string>& files) {
  std::set<std::string> all;
  for (const std::string& f : files) all.insert(folder + "/" + f);
  return all;
}

void ExpectValidDesktopFiles(const std::string& share, const std::string& exec) {
  const CommandResult entry = RunCommand({"desktop-file-validate", share + "/applications/karoview.desktop"});
  EXPECT_EQ(entry.Code, 0) << entry.Output;
  EXPECT_TRUE(LinesWith(entry.Output, "error:").empty() && LinesWith(entry.Output, "warning:").empty())
      << entry.Output;
  EXPECT_NE(ReadBytes(share + "/applications/karoview.desktop").find("\nExec=" + exec + "\n"), std::string::npos);
  const CommandResult meta =
      RunCommand({"appstreamcli", "validate", "--no-net", share + "/metainfo/cz.karoview.KaroView.metainfo.xml"});
  EXPECT_EQ(meta.Code, 0) << meta.Output;
}

TEST(Install, PutsTheProgramFolderIntoThePrefix) {
  TestDir root;
  const CommandResult r = RunCommand(
      {"env", "DESTDIR=" + root.Path(), KARO_CMAKE, "--install", KARO_BUILD_DIR, "--prefix", kPrefix});
  ASSERT_EQ(r.Code, 0) << r.Output;
  const std::string folder = root.Path() + kPrefix.substr(1);

  std::set<std::string> expected = Prefixed(kPrefix.substr(1), ProgramFolderFiles());
  for (const std::string& f : ShareFiles()) expected.insert(kPrefix.substr(1) + "/share/" + f);
  for (const char* p : kPrograms) {
    SCOPED_TRACE(p);
    expected.insert(kPrefix.substr(1) + "/bin/" + p);
    EXPECT_EQ(fs::read_symlink(folder + "/bin/" + p), fs::path("..") / p);
    EXPECT_NE(fs::status(folder + "/" + p).permissions() & fs::perms::others_exec, fs::perms::none);
  }
  EXPECT_EQ(FilesUnder(root.Path()), expected);
  EXPECT_EQ(ReadBytes(folder + "/DATA/pseek.d"), ReadBytes(kSample + "/pseek.d"));

  const CommandResult count = RunCommand({folder + "/bin/karo-search", "--count"});
  EXPECT_EQ(count.Code, 0);
  EXPECT_EQ(count.Output, kSampleCount);
  ExpectValidDesktopFiles(folder + "/share", kPrefix + "/karoview");
}

// The programs find DATA/, data/ and the help file beside their real file,
// whatever link they were started through.
TEST(Install, ProgramsFindTheirFolderThroughLinks) {
  // Whatever directory the build's program folder holds (the sample, or one
  // the user imported there), every link must find that one.
  const CommandResult direct = RunCommand({kBin + "/karo-search", "--data", kBin + "/DATA/", "--count"});
  ASSERT_EQ(direct.Code, 0) << direct.Output;
  const std::string expected = direct.Output;  // "N / N záznamů"
  const std::string records = "records " + expected.substr(0, expected.find(' '));
  TestDir links;
  fs::create_directory(links.File("inner"));
  fs::create_symlink(kBin + "/karo-search", links.File("karo-search"));
  fs::create_symlink("karo-search", links.File("inner/chained"));
  fs::create_symlink(fs::relative(kBin + "/karo-search", links.Path()), links.File("relative"));
  fs::create_symlink(fs::path("..") / "karo-search", links.File("inner/up"));
  for (const char* link : {"karo-search", "relative", "inner/up"}) {
    SCOPED_TRACE(link);
    const CommandResult r = RunCommand({links.File(link), "--count"});
    EXPECT_EQ(r.Code, 0);
    EXPECT_EQ(r.Output, expected);
  }
  fs::remove(links.File("inner/chained"));
  fs::create_symlink(links.File("karo-search"), links.File("inner/chained"));
  EXPECT_EQ(RunCommand({links.File("inner/chained"), "--count"}).Output, expected);

  // The desktop program's main window, created as the program creates it.
  fs::create_symlink(KARO_WINDOW_PROBE, links.File("inner/karoview"));
  const CommandResult w = RunCommand({links.File("inner/karoview")}, 60);
  ASSERT_EQ(w.Code, 0) << w.Output;
  EXPECT_EQ(LinesWith(w.Output, "folder "), std::vector<std::string>{"folder " + kBin + "/"});
  EXPECT_EQ(LinesWith(w.Output, "records "), std::vector<std::string>{records});
  EXPECT_EQ(LinesWith(w.Output, "help "), std::vector<std::string>{"help " + kBin + "/Tarvel.hlp"});
  EXPECT_EQ(LinesWith(w.Output, "icon "), std::vector<std::string>{"icon loaded"});
}

// The lines of `dpkg -c` as paths ("usr/bin/karoview"), folders left out.
std::set<std::string> PackagedFiles(const std::string& listing) {
  std::set<std::string> files;
  for (const std::string& line : LinesWith(listing, " ./")) {
    if (line[0] == 'd') continue;
    std::string path = line.substr(line.find(" ./") + 3);
    const size_t arrow = path.find(" -> ");
    if (arrow != std::string::npos) path.resize(arrow);
    files.insert(path);
  }
  return files;
}

TEST(Package, InstallsIntoAScratchRoot) {
  TestDir out, root;
  const CommandResult made =
      RunCommand({KARO_CPACK, "-G", "DEB", "--config", KARO_BUILD_DIR "/CPackConfig.cmake", "-B", out.Path()}, 600);
  ASSERT_EQ(made.Code, 0) << made.Output;
  const CommandResult arch = RunCommand({"dpkg", "--print-architecture"});
  const std::string deb = out.File("karoview_" KARO_VERSION "_" + arch.Output.substr(0, arch.Output.find('\n')) +
                                   ".deb");
  ASSERT_TRUE(fs::is_regular_file(deb)) << made.Output;

  // The control fields; the libraries come from dpkg-shlibdeps.
  const CommandResult info = RunCommand({"dpkg-deb", "--info", deb});
  ASSERT_EQ(info.Code, 0) << info.Output;
  for (const std::string& field : {std::string(" Package: karoview\n"), std::string(" Version: " KARO_VERSION "\n"),
                                   " Architecture: " + arch.Output, std::string(" Maintainer: KaroView <")}) {
    EXPECT_NE(info.Output.find(field), std::string::npos) << field << info.Output;
  }
  const std::vector<std::string> depends = LinesWith(info.Output, " Depends: ");
  ASSERT_EQ(depends.size(), 1u) << info.Output;
  for (const char* library : {"libc6 (>=", "libstdc++6 (>=", "libqt6core6 (>=", "libqt6widgets6 (>="}) {
    EXPECT_NE(depends[0].find(library), std::string::npos) << depends[0];
  }
  for (const char* script : {"preinst", "postinst", "prerm", "postrm"}) {
    EXPECT_FALSE(LinesWith(info.Output, std::string("*  ") + script).empty()) << info.Output;
  }

  std::set<std::string> expected = Prefixed(kPrefix.substr(1), ProgramFolderFiles());
  for (const std::string& f : ShareFiles()) expected.insert("usr/share/" + f);
  for (const char* p : kPrograms) expected.insert(std::string("usr/bin/") + p);
  const CommandResult listing = RunCommand({"dpkg", "--contents", deb});
  ASSERT_EQ(listing.Code, 0) << listing.Output;
  EXPECT_EQ(PackagedFiles(listing.Output), expected);
  EXPECT_EQ(LinesWith(listing.Output, " root/root ").size(), LinesWith(listing.Output, " ./").size());

  const CommandResult unpacked = RunCommand({"dpkg", "--extract", deb, root.Path()});
  ASSERT_EQ(unpacked.Code, 0) << unpacked.Output;
  EXPECT_EQ(FilesUnder(root.Path()), expected);
  for (const char* p : kPrograms) {
    SCOPED_TRACE(p);
    EXPECT_EQ(fs::read_symlink(root.File("usr/bin/") + p), fs::path(kPrefix) / p);
  }
  // The link is absolute: followed inside the scratch root.
  const std::string search = root.Path() + fs::read_symlink(root.File("usr/bin/karo-search")).string().substr(1);
  const CommandResult count = RunCommand({search, "--count"});
  EXPECT_EQ(count.Code, 0);
  EXPECT_EQ(count.Output, kSampleCount);
  ExpectValidDesktopFiles(root.File("usr/share"), "karoview");

  // The desktop program starts from there and keeps running until stopped.
  const CommandResult program =
      RunCommand({"env", "QT_QPA_PLATFORM=offscreen", root.Path() + kPrefix.substr(1) + "/karoview"}, 3);
  EXPECT_EQ(program.Code, -1) << program.Output;
}

}  // namespace
}  // namespace karo::test
