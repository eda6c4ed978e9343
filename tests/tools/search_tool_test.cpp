// karo-search's run called as a function: what it refuses and how it says so,
// where its -o output lands (links, pipes, devices).
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "Fixture.h"
#include "SearchTool.h"
#include "TestDir.h"

namespace karo::test {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int Code = -1;
  std::string Out, Err;
};

// KaroSearch with the arguments, its streams caught in memory; the program's
// folder is one without DATA/.
Outcome Call(const std::vector<std::string>& args) {
  std::vector<const char*> argv = {"karo-search"};
  for (const std::string& a : args) argv.push_back(a.c_str());
  char* out = nullptr;
  char* err = nullptr;
  size_t outSize = 0, errSize = 0;
  std::FILE* outStream = open_memstream(&out, &outSize);
  std::FILE* errStream = open_memstream(&err, &errSize);
  Outcome o;
  o.Code = KaroSearch(static_cast<int>(argv.size()), argv.data(), outStream, errStream, "/nonexistent/");
  std::fclose(outStream);
  std::fclose(errStream);
  o.Out.assign(out, outSize);
  o.Err.assign(err, errSize);
  free(out);
  free(err);
  return o;
}

class SearchTool : public ::testing::Test {
 protected:
  void SetUp() override { BuildDirectory(data(), SixProviders()); }
  std::string data() const { return dir_.File("data/"); }
  Outcome With(std::vector<std::string> args) const {
    args.insert(args.begin(), {"--data", data()});
    return Call(args);
  }
  TestDir dir_;
};

TEST_F(SearchTool, RefusalsNameTheirCauseWithForeignBytesEscaped) {
  // A search table whose fields lost the names the grid sorts by.
  TestDir damaged;
  std::vector<FieldSpec> fields = SearchFieldsWide(1);
  fields[2].Name = "prijmeni";
  WriteTable(damaged, "pseek", fields, {SearchRecord(1, 2, "Nov", 0, 0, "\xFF", "\xFF", std::string("\xFF\0", 2), "\xFF")});
  fs::create_directory(dir_.File("folder"));
  ASSERT_EQ(mkfifo(dir_.File("fifo").c_str(), 0600), 0);
  fs::create_symlink("loop2", dir_.File("loop1"));
  fs::create_symlink("loop1", dir_.File("loop2"));
  const struct {
    const char* what;
    std::vector<std::string> args;
    std::string message;  // the whole first line
  } cases[] = {
      {"empty sort", {"--sort="}, "volba --sort potřebuje hodnotu: workplace, surname, municipality nebo street."},
      {"empty sort, apart", {"--sort", ""}, "volba --sort potřebuje hodnotu: workplace, surname, municipality nebo street."},
      {"unknown sort", {"--sort=colour"}, "--sort „colour“: řadit lze podle workplace, surname, municipality nebo street."},
      {"a table without the field", {"--data", damaged.Path(), "--sort", "surname"},
       "--sort „surname“: tabulka „pseek“ ve složce " + damaged.Path() + " nemá pole „jmeno“ (je poškozená)."},
      {"invalid byte and escape sequence in an option", {"--colour\xFF\x1B[31m"},
       "neznámá volba „--colour\\xFF\\x1B[31m“."},
      {"invalid byte in an item", {"--district", "Brno\xC3"},
       "--district „Brno\\xC3“: v seznamu okresů taková položka není; nejbližší: „Brno-město“, „Brno-venkov“."},
      {"line break and backslash in a sort value", {"--sort", "a\nb\\"},
       "--sort „a\\x0Ab\\\\“: řadit lze podle workplace, surname, municipality nebo street."},
      {"C1 control in a folder", {"--data", "/nonexistent\xC2\x9B/"},
       "tabulka „pseek“ ve složce /nonexistent\\xC2\\x9B/ chybí."},
      {"missing folder of the output", {"-o", dir_.File("missing/\x01.txt")},
       "soubor " + dir_.File("missing/\\x01.txt") + " nelze otevřít: složka neexistuje."},
      {"output is a folder", {"-o", dir_.File("folder")}, "soubor " + dir_.File("folder") + " nelze otevřít: je to složka."},
      {"output is a pipe nobody reads", {"-o", dir_.File("fifo")},
       "soubor " + dir_.File("fifo") + " nelze otevřít: je to roura, z níž nikdo nečte."},
      {"output through a loop of links", {"-o", dir_.File("loop1")},
       "soubor " + dir_.File("loop1") + " nelze otevřít: symbolické odkazy tvoří smyčku."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> args = c.args;
    if (args[0] != "--data") args.insert(args.begin(), {"--data", data()});
    const auto start = std::chrono::steady_clock::now();
    const Outcome o = Call(args);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));  // nothing waits
    EXPECT_EQ(o.Code, 2);
    EXPECT_EQ(o.Out, "");
    EXPECT_EQ(o.Err.substr(0, o.Err.find('\n')), "karo-search: " + c.message);
  }
  // Nothing was created or replaced.
  EXPECT_TRUE(fs::is_symlink(dir_.File("loop1")));
  EXPECT_EQ(fs::status(dir_.File("fifo")).type(), fs::file_type::fifo);
  EXPECT_TRUE(fs::is_empty(dir_.File("folder")));
}

TEST_F(SearchTool, OutputThroughALinkCreatesTheLinksTarget) {
  fs::create_directory(dir_.File("real"));
  fs::create_symlink("real/export.txt", dir_.File("dangling"));       // relative
  fs::create_symlink(dir_.File("dangling"), dir_.File("twice"));      // a link to the link
  fs::create_symlink("missing/export.txt", dir_.File("nowhere"));     // into a missing folder
  const std::string expected = LibraryExport(data(), {});
  Outcome o = With({"-o", dir_.File("twice")});
  EXPECT_EQ(o.Code, 0) << o.Err;
  EXPECT_TRUE(fs::is_symlink(dir_.File("twice")));
  EXPECT_TRUE(fs::is_symlink(dir_.File("dangling")));
  EXPECT_EQ(ReadBytes(dir_.File("real/export.txt")), expected);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.File("real")), fs::directory_iterator()), 1);
  o = With({"-o", dir_.File("nowhere")});
  EXPECT_EQ(o.Code, 2);
  EXPECT_NE(o.Err.find("nelze otevřít: složka neexistuje."), std::string::npos) << o.Err;
  EXPECT_TRUE(fs::is_symlink(dir_.File("nowhere")));
  // A device is written in place.
  o = With({"-o", "/dev/null"});
  EXPECT_EQ(o.Code, 0) << o.Err;
  struct stat st;
  ASSERT_EQ(stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST(SearchToolPipe, APipeWithAReaderGetsTheWholeExport) {
  // Bigger than a pipe holds, so that the writes wait for the reader.
  TestDir dir;
  BuildSample(dir.File("data"), 2000, 5);
  const std::string expected = LibraryExport(dir.File("data/"), {});
  ASSERT_GT(expected.size(), 65536u);
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // The read end is open before the program looks; a write end held here
  // keeps the reader from seeing the end before the program has written.
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  const int holder = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
  ASSERT_GE(holder, 0);
  fcntl(reader, F_SETFL, fcntl(reader, F_GETFL) & ~O_NONBLOCK);
  std::string received;
  std::thread drain([&] {
    char buffer[4096];
    ssize_t n;
    while ((n = read(reader, buffer, sizeof buffer)) > 0) {
      received.append(buffer, static_cast<size_t>(n));
      std::this_thread::sleep_for(std::chrono::microseconds(200));  // a slow reader
    }
  });
  const Outcome o = Call({"--data", dir.File("data"), "-o", fifo});
  close(holder);
  drain.join();
  close(reader);
  EXPECT_EQ(o.Code, 0) << o.Err;
  EXPECT_EQ(received, expected);
  EXPECT_EQ(fs::status(fifo).type(), fs::file_type::fifo);
}

}  // namespace
}  // namespace karo::test
