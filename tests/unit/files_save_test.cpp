// Saves that cannot lose data: the new file replaces the old one whole with
// its mode, links stay links however far their target, a failed write keeps
// the old file and leaves no temporary, signals that would end the process
// wait for the save while a temporary exists, and a FIFO without a reader
// is refused at once.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "files/save_file.h"

#include "start_test_support.h"

namespace {

namespace fs = std::filesystem;

class SaveFileTest : public zq_test::FreshTest {
 protected:
  void SetUp() override {
    FreshTest::SetUp();
    char pattern[] = "/tmp/zq-save-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string path_of(const std::string& name) const { return (dir_ / name).string(); }

  void write_file(const std::string& name, const std::string& content, fs::perms mode) const {
    std::ofstream(path_of(name), std::ios::binary) << content;
    fs::permissions(path_of(name), mode);
  }
  std::string read_file(const std::string& name) const {
    std::ifstream in(path_of(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  // Every name in a directory of the test's, sorted.
  std::vector<std::string> names(const std::string& subdirectory = ".") const {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir_ / subdirectory))
      found.push_back(entry.path().filename());
    std::sort(found.begin(), found.end());
    return found;
  }
  fs::perms mode_of(const std::string& name) const { return fs::status(path_of(name)).permissions(); }

  // Saves content to name; returns what was printed and sets saved to the
  // close's result (-1 when the open failed).
  static std::string save(const std::string& name, const std::string& content, int& saved) {
    testing::internal::CaptureStdout();
    saved = -1;
    if (FILE* file = zq_save_open(name.c_str())) {
      std::fwrite(content.data(), 1, content.size(), file);
      saved = zq_save_close();
    }
    return testing::internal::GetCapturedStdout();
  }

  fs::path dir_;
};

using Names = std::vector<std::string>;

TEST_F(SaveFileTest, ReplacesTheFileWholeAndKeepsItsMode) {
  write_file("s.mem", "old content", fs::perms(0640));
  struct stat before;
  ASSERT_EQ(stat(path_of("s.mem").c_str(), &before), 0);
  int saved = 0;
  EXPECT_EQ(save(path_of("s.mem"), "new", saved), "");
  EXPECT_EQ(saved, 1);
  EXPECT_EQ(read_file("s.mem"), "new");
  EXPECT_EQ(mode_of("s.mem"), fs::perms(0640));
  struct stat after;
  ASSERT_EQ(stat(path_of("s.mem").c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino) << "a new file was renamed over the old one";
  EXPECT_EQ(names(), Names{"s.mem"});
}

TEST_F(SaveFileTest, ANewFileGetsTheModeTheUmaskLeaves) {
  const mode_t kept = umask(027);
  int saved = 0;
  save(path_of("new.mem"), "content", saved);
  umask(kept);
  EXPECT_EQ(saved, 1);
  EXPECT_EQ(read_file("new.mem"), "content");
  EXPECT_EQ(mode_of("new.mem"), fs::perms(0640));
  EXPECT_EQ(names(), Names{"new.mem"});
}

TEST_F(SaveFileTest, ALinkStaysALinkAndTheFileItNamesIsReplaced) {
  fs::create_directory(dir_ / "real");
  write_file("real/target", "old", fs::perms(0600));
  // A chain of two links, the last one relative to its own directory.
  fs::create_symlink("real/target", dir_ / "inner");
  fs::create_symlink(dir_ / "inner", dir_ / "outer");
  // A link to a file that does not exist yet.
  fs::create_symlink("real/missing", dir_ / "dangling");
  int saved = 0;
  save(path_of("outer"), "through links", saved);
  EXPECT_EQ(saved, 1);
  save(path_of("dangling"), "made", saved);
  EXPECT_EQ(saved, 1);
  EXPECT_TRUE(fs::is_symlink(dir_ / "outer"));
  EXPECT_TRUE(fs::is_symlink(dir_ / "inner"));
  EXPECT_TRUE(fs::is_symlink(dir_ / "dangling"));
  EXPECT_EQ(read_file("real/target"), "through links");
  EXPECT_EQ(mode_of("real/target"), fs::perms(0600));
  EXPECT_EQ(read_file("real/missing"), "made");
  EXPECT_EQ(names(), (Names{"dangling", "inner", "outer", "real"}));
  EXPECT_EQ(names("real"), (Names{"missing", "target"}));
}

TEST_F(SaveFileTest, ALongNameStillGetsATemporaryBesideIt) {
  const std::string name(250, 'n');
  write_file(name, "old", fs::perms(0644));
  struct stat before;
  ASSERT_EQ(stat(path_of(name).c_str(), &before), 0);
  int saved = 0;
  save(path_of(name), "new", saved);
  EXPECT_EQ(saved, 1);
  EXPECT_EQ(read_file(name), "new");
  struct stat after;
  ASSERT_EQ(stat(path_of(name).c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino);
  EXPECT_EQ(names(), Names{name});
}

TEST_F(SaveFileTest, AFailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
  write_file("s.mem", "old content", fs::perms(0644));
  const std::string content(20000, 'x');
  rlimit kept_limit;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &kept_limit), 0);
  // SIGXFSZ ignored, the write fails with EFBIG; at its default action the
  // save holds it back and reports the failed write in its place.
  for (const auto disposition : {SIG_IGN, SIG_DFL}) {
    const auto kept_action = std::signal(SIGXFSZ, disposition);
    rlimit limit = kept_limit;
    limit.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    int saved = 0;
    const std::string out = save(path_of("s.mem"), content, saved);
    setrlimit(RLIMIT_FSIZE, &kept_limit);
    std::signal(SIGXFSZ, kept_action);
    EXPECT_EQ(out, "Write file: cannot write " + path_of("s.mem") + "\n");
    EXPECT_EQ(saved, 0);
    EXPECT_EQ(read_file("s.mem"), "old content");
    EXPECT_EQ(names(), Names{"s.mem"});
  }
}

TEST_F(SaveFileTest, WhatIsNoRegularFileIsWrittenInPlace) {
  int saved = 0;
  EXPECT_EQ(save("/dev/null", "into nothing", saved), "");
  EXPECT_EQ(saved, 1);
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  // A directory cannot be opened for writing, nor replaced.
  fs::create_directory(dir_ / "sub");
  EXPECT_EQ(save(path_of("sub"), "x", saved), "Write file: cannot open " + path_of("sub") + "\n");
  EXPECT_EQ(saved, -1);
  EXPECT_TRUE(fs::is_directory(dir_ / "sub"));
}

TEST_F(SaveFileTest, AFifoWithoutAReaderIsRefusedAtOnce) {
  ASSERT_EQ(mkfifo(path_of("fifo").c_str(), 0644), 0);
  // A save that waits for a reader ends the test binary instead of hanging it.
  alarm(10);
  int saved = 0;
  EXPECT_EQ(save(path_of("fifo"), "content", saved), "Write file: cannot open " + path_of("fifo") + "\n");
  alarm(0);
  EXPECT_EQ(saved, -1);
  EXPECT_EQ(fs::status(dir_ / "fifo").type(), fs::file_type::fifo);
  EXPECT_EQ(names(), Names{"fifo"});
}

TEST_F(SaveFileTest, ATargetFarAwayStillGetsATemporaryBesideIt) {
  // The target's name has 4,090 characters: the temporary's full name
  // beside it would not fit a path.
  constexpr size_t target_length = 4090;
  fs::path folder = dir_;
  for (int i = 0; i < 15; ++i) folder /= std::string(254, 'f');
  // A '/', the last folder, then "/real.mem".
  const size_t last = target_length - folder.string().size() - 1 - std::strlen("/real.mem");
  folder /= std::string(last, 'f');
  fs::create_directories(folder);
  ASSERT_EQ((folder / "real.mem").string().size(), target_length);
  std::ofstream(folder / "real.mem") << "old";
  fs::create_symlink(folder / "real.mem", dir_ / "s.mem");
  struct stat before;
  ASSERT_EQ(stat((folder / "real.mem").c_str(), &before), 0);
  int saved = 0;
  save(path_of("s.mem"), "new", saved);
  EXPECT_EQ(saved, 1);
  struct stat after;
  ASSERT_EQ(stat((folder / "real.mem").c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino) << "written in place, not replaced";
  EXPECT_EQ(read_file("s.mem"), "new");
  EXPECT_TRUE(fs::is_symlink(dir_ / "s.mem"));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST_F(SaveFileTest, ALinkToAPipeIsWrittenAsThePlainOpenWritesIt) {
  // /proc/self/fd/N names the pipe through a link whose text ("pipe:[...]")
  // names no file: only the kernel's own lookup reaches it.
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  const std::string name = "/proc/self/fd/" + std::to_string(ends[1]);
  int saved = 0;
  EXPECT_EQ(save(name, "through the pipe", saved), "");
  EXPECT_EQ(saved, 1);
  close(ends[1]);
  char got[64] = {};
  EXPECT_EQ(read(ends[0], got, sizeof got), 16);
  close(ends[0]);
  EXPECT_STREQ(got, "through the pipe");
}

TEST_F(SaveFileTest, ALinkToAFileThatNoNameLeadsToIsWrittenInPlace) {
  // The link of /proc/self/fd names a removed file as "... (deleted)"; here
  // a FIFO that no one reads takes that name, which the save must not wait
  // for nor write.
  const std::string removed = path_of("removed.mem");
  const int descriptor = open(removed.c_str(), O_RDWR | O_CREAT, 0644);
  ASSERT_GE(descriptor, 0);
  ASSERT_EQ(unlink(removed.c_str()), 0);
  ASSERT_EQ(mkfifo((removed + " (deleted)").c_str(), 0644), 0);
  alarm(10);
  int saved = 0;
  EXPECT_EQ(save("/proc/self/fd/" + std::to_string(descriptor), "still here", saved), "");
  alarm(0);
  EXPECT_EQ(saved, 1);
  char got[64] = {};
  EXPECT_EQ(pread(descriptor, got, sizeof got, 0), 10);
  close(descriptor);
  EXPECT_STREQ(got, "still here");
}

TEST_F(SaveFileTest, ALinkToAFileInARemovedFolderIsWrittenInPlace) {
  fs::create_directory(dir_ / "gone");
  const std::string removed = path_of("gone/f.mem");
  const int descriptor = open(removed.c_str(), O_RDWR | O_CREAT, 0644);
  ASSERT_GE(descriptor, 0);
  fs::remove_all(dir_ / "gone");
  int saved = 0;
  EXPECT_EQ(save("/proc/self/fd/" + std::to_string(descriptor), "still here", saved), "");
  EXPECT_EQ(saved, 1);
  char got[64] = {};
  EXPECT_EQ(pread(descriptor, got, sizeof got, 0), 10);
  close(descriptor);
  EXPECT_STREQ(got, "still here");
  EXPECT_EQ(names(), Names{});
}

volatile std::sig_atomic_t interrupted = 0;

TEST_F(SaveFileTest, AnInterruptIsNotHeldWhileADeviceIsWritten) {
  interrupted = 0;
  const auto kept_action = std::signal(SIGINT, [](int) { interrupted = 1; });
  testing::internal::CaptureStdout();
  FILE* file = zq_save_open("/dev/null");
  ASSERT_NE(file, nullptr);
  std::raise(SIGINT);
  EXPECT_EQ(interrupted, 1);
  std::fputs("content", file);
  EXPECT_EQ(zq_save_close(), 1);
  testing::internal::GetCapturedStdout();
  std::signal(SIGINT, kept_action);
}

TEST_F(SaveFileTest, AnInterruptWaitsUntilTheSaveIsOver) {
  interrupted = 0;
  const auto kept_action = std::signal(SIGINT, [](int) { interrupted = 1; });
  testing::internal::CaptureStdout();
  FILE* file = zq_save_open(path_of("s.mem").c_str());
  ASSERT_NE(file, nullptr);
  std::raise(SIGINT);
  EXPECT_EQ(interrupted, 0);
  std::fputs("content", file);
  EXPECT_EQ(zq_save_close(), 1);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(interrupted, 1);
  std::signal(SIGINT, kept_action);
  EXPECT_EQ(read_file("s.mem"), "content");
}

}  // namespace
