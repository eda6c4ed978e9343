// Export faults: a folder that cannot take the file, a disk that fills up, a
// writer that fails. An existing file stays byte for byte, nothing is left
// behind, and success is never reported.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "Export.h"
#include "Fixture.h"
#include "SafeFile.h"
#include "TestDir.h"

namespace karo::test {
namespace {

namespace fs = std::filesystem;

const std::string kOld = "old content that must survive\r\n";

// A directory big enough for several sink writes: 3000 providers.
class BigResult : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::vector<FieldValue>> records, details;
    for (int i = 0; i < 3000; ++i) {
      const std::string name = "Provider number " + std::to_string(i) + " with a long enough name";
      records.push_back(SearchRecord(i, 2, name, 0, 0, "\xFF", "\xFF", std::string("\xFF\x00", 2), "\xFF"));
      details.push_back({FieldValue::Number(i), FieldValue::Text("602 00")});
    }
    WriteTable(data_, "pseek", SearchFieldsWide(1), records);
    WriteTable(data_, "moskyti", {{"id", 'N', 4}, {"PSC", 'T', 0}}, details);
    OpenTable(&search_, data_.Path(), "pseek");
    OpenTable(&detail_, data_.Path(), "moskyti");
    RunSearch(search_, {});
    StringSink all;
    ASSERT_TRUE(WriteExport(search_, detail_, all));
    expected_ = all.Bytes;
    ASSERT_GT(expected_.size(), 3u * 65536);
  }
  // Names in a folder (to see that no temporary file is left).
  static std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  TestDir data_, out_;
  TfdbTable search_, detail_;
  std::string expected_;
};

// Takes `limit` bytes, then refuses; counts the calls.
class FailingSink : public ByteSink {
 public:
  explicit FailingSink(size_t limit) : limit_(limit) {}
  bool Write(const char* bytes, size_t count) override {
    ++calls;
    if (refused) ADD_FAILURE() << "written to after a refusal";
    if (Bytes.size() + count > limit_) {
      refused = true;
      return false;
    }
    Bytes.append(bytes, count);
    return true;
  }
  std::string Bytes;
  int calls = 0;
  bool refused = false;

 private:
  size_t limit_;
};

TEST_F(BigResult, AFailingWriterStopsTheExport) {
  for (const size_t limit : {size_t{0}, size_t{1}, size_t{65535}, size_t{65536 + 100}, size_t{200000},
                             expected_.size() - 1}) {
    SCOPED_TRACE(limit);
    FailingSink sink(limit);
    EXPECT_FALSE(WriteExport(search_, detail_, sink));
    EXPECT_TRUE(sink.refused);
    EXPECT_EQ(expected_.compare(0, sink.Bytes.size(), sink.Bytes), 0);
  }
  FailingSink enough(expected_.size());
  EXPECT_TRUE(WriteExport(search_, detail_, enough));
  EXPECT_EQ(enough.Bytes, expected_);
  EXPECT_GT(enough.calls, 3);
}

TEST_F(BigResult, DevFullIsReportedThroughTheStdioSink) {
  std::FILE* full = std::fopen("/dev/full", "wb");
  ASSERT_NE(full, nullptr);
  StdioSink sink(full);
  const bool written = WriteExport(search_, detail_, sink);  // the first chunk already fails
  std::fclose(full);
  EXPECT_FALSE(written);
}

TEST_F(BigResult, ReplacesAnExistingFileCompletely) {
  const std::string path = out_.File("export.txt");
  WriteBytes(path, std::string(1000000, 'x'));  // longer than the export
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  ASSERT_EQ(ExportFile(search_, detail_, path), ExportResult::Done);
  EXPECT_EQ(ReadBytes(path), expected_);
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);  // the file keeps its permissions
  EXPECT_EQ(Entries(out_.Path()), std::vector<std::string>{"export.txt"});

  // A new file gets the permissions any new file would get.
  const mode_t mask = umask(022);
  ASSERT_EQ(ExportFile(search_, detail_, out_.File("new")), ExportResult::Done);
  umask(mask);
  ASSERT_EQ(stat(out_.File("new").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0644u);

  // A link is followed: the file it points to is replaced, the link stays.
  fs::create_directory(out_.File("real"));
  WriteBytes(out_.File("real/target.txt"), kOld);
  fs::create_symlink(out_.File("real/target.txt"), out_.File("link.txt"));
  ASSERT_EQ(ExportFile(search_, detail_, out_.File("link.txt")), ExportResult::Done);
  EXPECT_TRUE(fs::is_symlink(out_.File("link.txt")));
  EXPECT_EQ(ReadBytes(out_.File("real/target.txt")), expected_);
  EXPECT_EQ(Entries(out_.File("real")), std::vector<std::string>{"target.txt"});
}

TEST_F(BigResult, FoldersThatCannotTakeTheFile) {
  WriteBytes(out_.File("plain"), kOld);
  fs::create_directory(out_.File("folder"));
  const struct {
    const char* what;
    std::string path;
  } cases[] = {
      {"missing folder", out_.File("missing/export.txt")},
      {"a file where the folder should be", out_.File("plain/export.txt")},
      {"the target is a folder", out_.File("folder")},
      {"the target is a folder, with a slash", out_.File("folder/")},
      {"a folder of the kernel's", "/proc/karo-export.txt"},
      {"no name", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ExportFile(search_, detail_, c.path), ExportResult::CannotOpen);
    EXPECT_EQ(Entries(out_.Path()), (std::vector<std::string>{"folder", "plain"}));
    EXPECT_TRUE(fs::is_empty(out_.File("folder")));
    EXPECT_EQ(ReadBytes(out_.File("plain")), kOld);
  }
}

// Runs `body` in a child process (so that limits and identities stay there)
// and returns its exit code.
int InChild(const std::function<int()>& body) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

// InChild with a file-size limit: every write past `limit` bytes fails, as on
// a full disk.
int InChildWithFileLimit(rlim_t limit, const std::function<int()>& body) {
  return InChild([&] {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit rl;
    getrlimit(RLIMIT_FSIZE, &rl);
    rl.rlim_cur = limit;
    if (setrlimit(RLIMIT_FSIZE, &rl) != 0) return 99;
    return body();
  });
}

TEST_F(BigResult, DevicesAreWrittenNotReplaced) {
  struct stat st;
  EXPECT_EQ(ExportFile(search_, detail_, "/dev/full"), ExportResult::CannotWrite);
  ASSERT_EQ(stat("/dev/full", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  EXPECT_EQ(ExportFile(search_, detail_, "/dev/null"), ExportResult::Done);
  ASSERT_EQ(stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  // Through a link, as "/dev/stdout" would be.
  fs::create_symlink("/dev/full", out_.File("full"));
  EXPECT_EQ(ExportFile(search_, detail_, out_.File("full")), ExportResult::CannotWrite);
  EXPECT_TRUE(fs::is_symlink(out_.File("full")));
}

TEST_F(BigResult, AWindowNeverWritesToAPipe) {
  // Opening a pipe for writing would wait for a reader, and a reader that
  // stops reading would stop the window: refused at once, reader or not.
  const std::string fifo = out_.File("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  SafeFile file;
  EXPECT_FALSE(file.Open(fifo));
  EXPECT_EQ(file.Failure(), "je to roura, z níž nikdo nečte");
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_FALSE(file.Open(fifo));
  EXPECT_EQ(file.Failure(), "je to roura, ne obyčejný soubor");
  EXPECT_EQ(ExportFile(search_, detail_, fifo), ExportResult::CannotOpen);
  char byte;
  EXPECT_EQ(read(reader, &byte, 1), 0);  // nothing was written
  close(reader);
  EXPECT_EQ(fs::status(fifo).type(), fs::file_type::fifo);
}

TEST_F(BigResult, ADanglingLinkGetsItsTargetCreated) {
  fs::create_directory(out_.File("real"));
  fs::create_symlink("real/export.txt", out_.File("link.txt"));
  ASSERT_EQ(ExportFile(search_, detail_, out_.File("link.txt")), ExportResult::Done);
  EXPECT_TRUE(fs::is_symlink(out_.File("link.txt")));
  EXPECT_EQ(ReadBytes(out_.File("real/export.txt")), expected_);
  EXPECT_EQ(Entries(out_.File("real")), std::vector<std::string>{"export.txt"});
  // Into a missing folder, or round in a loop: refused, the links stay.
  fs::create_symlink(out_.File("missing/export.txt"), out_.File("nowhere"));
  fs::create_symlink("self", out_.File("self"));
  for (const char* name : {"nowhere", "self"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ExportFile(search_, detail_, out_.File(name)), ExportResult::CannotOpen);
    EXPECT_TRUE(fs::is_symlink(out_.File(name)));
  }
  EXPECT_EQ(Entries(out_.Path()), (std::vector<std::string>{"link.txt", "nowhere", "real", "self"}));
}

TEST_F(BigResult, UnwritableFolderKeepsTheOldFile) {
  // Root may write anywhere, so the export runs as an ordinary user then.
  const std::string folder = out_.File("readonly");
  fs::create_directory(folder);
  WriteBytes(folder + "/export.txt", kOld);
  ASSERT_EQ(chmod(out_.Path().c_str(), 0755), 0);
  ASSERT_EQ(chmod((folder + "/export.txt").c_str(), 0666), 0);
  ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
  const int result = InChild([&] {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 99;
    return static_cast<int>(ExportFile(search_, detail_, folder + "/export.txt"));
  });
  chmod(folder.c_str(), 0755);
  EXPECT_EQ(result, static_cast<int>(ExportResult::CannotOpen));
  EXPECT_EQ(ReadBytes(folder + "/export.txt"), kOld);
  EXPECT_EQ(Entries(folder), std::vector<std::string>{"export.txt"});
}

TEST_F(BigResult, FullDiskKeepsTheOldFile) {
  // A file-size limit makes every write past 100000 bytes fail, as a full disk does.
  const std::string path = out_.File("export.txt");
  WriteBytes(path, kOld);
  for (const rlim_t limit : {rlim_t{0}, rlim_t{100000}, rlim_t{expected_.size() - 1}}) {
    SCOPED_TRACE(limit);
    const int result = InChildWithFileLimit(limit, [&] { return static_cast<int>(ExportFile(search_, detail_, path)); });
    EXPECT_EQ(result, static_cast<int>(ExportResult::CannotWrite));
    EXPECT_EQ(ReadBytes(path), kOld);
    EXPECT_EQ(Entries(out_.Path()), std::vector<std::string>{"export.txt"});
  }
  // The same export without the limit succeeds.
  EXPECT_EQ(InChild([&] { return static_cast<int>(ExportFile(search_, detail_, path)); }),
            static_cast<int>(ExportResult::Done));
  EXPECT_EQ(ReadBytes(path), expected_);
}

// Megabytes in pieces of uneven sizes (written to the disk while later ones
// come): the file holds them all; a limit met half-way leaves the old file.
TEST(SafeFile, ManyMegabytesWhole) {
  TestDir dir;
  const std::string path = dir.File("big.txt");
  std::string bytes;
  for (int i = 0; bytes.size() < (size_t{21} << 20); ++i) bytes += std::string((size_t{1} << 20) + 7 * i, static_cast<char>('a' + i % 26));
  auto writeAll = [&] {
    SafeFile file;
    if (!file.Open(path)) return 1;
    for (size_t at = 0, n = 0; at < bytes.size(); at += n) {
      n = std::min(bytes.size() - at, (size_t{1} << 20) + 3 * (at % 11));
      if (!file.Write(bytes.data() + at, n)) return 2;
    }
    return file.Commit() ? 0 : 3;
  };
  WriteBytes(path, kOld);
  for (const rlim_t limit : {rlim_t{9} << 20, rlim_t{17} << 20}) {
    SCOPED_TRACE(limit);
    const int result = InChildWithFileLimit(limit, writeAll);
    EXPECT_EQ(result, 2);
    EXPECT_EQ(ReadBytes(path), kOld);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
  }
  EXPECT_EQ(writeAll(), 0);
  EXPECT_EQ(ReadBytes(path), bytes);
}

TEST(SafeFile, ABlockDeviceIsNeverWritten) {
  // A node of a loop device nobody set up: even a mistaken open would fail.
  TestDir dir;
  const std::string disk = dir.File("disk");
  if (mknod(disk.c_str(), S_IFBLK | 0600, makedev(7, 250)) != 0) GTEST_SKIP() << "no right to make a device node";
  SafeFile file;
  EXPECT_FALSE(file.Open(disk));
  EXPECT_FALSE(file.Open(disk, SafeFile::Waiting::Allowed));
  EXPECT_EQ(file.Failure(), "je to blokové zařízení (disk), ne soubor");
  EXPECT_EQ(fs::status(disk).type(), fs::file_type::block);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

TEST(SafeFile, AbortAndDestructionLeaveNothing) {
  TestDir dir;
  WriteBytes(dir.File("a.txt"), kOld);
  {
    SafeFile file;
    ASSERT_TRUE(file.Open(dir.File("a.txt")));
    EXPECT_TRUE(file.Write("new", 3));
    EXPECT_EQ(ReadBytes(dir.File("a.txt")), kOld);  // untouched until Commit
  }
  SafeFile file;
  ASSERT_TRUE(file.Open(dir.File("a.txt")));
  file.Abort();
  EXPECT_FALSE(file.Write("x", 1));
  EXPECT_FALSE(file.Commit());
  EXPECT_EQ(ReadBytes(dir.File("a.txt")), kOld);
  size_t entries = 0;
  for (const auto& e : fs::directory_iterator(dir.Path())) entries += e.path().filename() == "a.txt" ? 1 : 100;
  EXPECT_EQ(entries, 1u);
  ASSERT_TRUE(file.Open(dir.File("a.txt")));
  EXPECT_TRUE(file.Write("new", 3));
  EXPECT_TRUE(file.Commit());
  EXPECT_EQ(ReadBytes(dir.File("a.txt")), "new");
}

}  // namespace
}  // namespace karo::test
