#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/atomic_file.h"
#include "temp_dir.h"

namespace {

class AtomicFileTest : public TempDirTest {};

TEST_F(AtomicFileTest, CreatesAndReplacesWholeFiles) {
  const std::string path = Path("out.txt");
  ASSERT_TRUE(SaveFileAtomically(path, std::string(3000, 'a'), nullptr));
  EXPECT_EQ(ReadBytes(path), std::string(3000, 'a'));
  ASSERT_TRUE(SaveFileAtomically(path, "short\r\n", nullptr));
  EXPECT_EQ(ReadBytes(path), "short\r\n");
  ASSERT_TRUE(SaveFileAtomically(path, "", nullptr));
  EXPECT_EQ(ReadBytes(path), "");
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.txt"});
}

TEST_F(AtomicFileTest, KeepsThePermissionsOfTheReplacedFile) {
  const std::string path = Path("out.txt");
  WriteBytes(path, "old");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(SaveFileAtomically(path, "new", nullptr));
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(AtomicFileTest, ReplacesTheFileALinkNamesAndKeepsTheLink) {
  const std::string real = Path("real.txt");
  const std::string link = Path("link.txt");
  WriteBytes(real, "old");
  ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
  ASSERT_TRUE(SaveFileAtomically(link, "new", nullptr));
  struct stat st {};
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(ReadBytes(real), "new");
  EXPECT_EQ(Entries(), (std::vector<std::string>{"link.txt", "real.txt"}));
}

TEST_F(AtomicFileTest, TargetsThatCannotBeWritten) {
  std::string error;
  EXPECT_FALSE(SaveFileAtomically(Path("no/such/dir/out.txt"), "x", &error));
  EXPECT_FALSE(error.empty());

  ASSERT_TRUE(std::filesystem::create_directory(Path("sub")));
  WriteBytes(Path("sub/keep"), "k");
  error.clear();
  EXPECT_FALSE(SaveFileAtomically(Path("sub"), "x", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(ReadBytes(Path("sub/keep")), "k");
  EXPECT_EQ(Entries(), std::vector<std::string>{"sub"});
}

TEST_F(AtomicFileTest, ReadOnlyFileIsNotReplaced) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write any file";
  const std::string path = Path("ro.txt");
  WriteBytes(path, "old");
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  EXPECT_FALSE(SaveFileAtomically(path, "new", nullptr));
  EXPECT_EQ(ReadBytes(path), "old");
  EXPECT_EQ(Entries(), std::vector<std::string>{"ro.txt"});
}

// A write that fails part way (here: the file size limit is reached after
// 4 KiB) must leave the old file exactly as it was and no temporary file.
TEST_F(AtomicFileTest, WriteFailingPartWayKeepsTheOldFile) {
  const std::string path = Path("out.txt");
  WriteBytes(path, "old content\r\n");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::string error;
    const bool ok = SaveFileAtomically(path, std::string(100000, 'n'), &error);
    _exit(ok ? 0 : (error.empty() ? 2 : 1));
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1) << "the failure is reported with a reason";
  EXPECT_EQ(ReadBytes(path), "old content\r\n");
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.txt"});
}

// A link that names no file yet: the file is created where it points, the
// link stays (absolute and relative link texts, and a chain of two links).
TEST_F(AtomicFileTest, DanglingLinkCreatesItsTarget) {
  ASSERT_TRUE(std::filesystem::create_directory(Path("data")));
  const struct {
    const char* link;
    std::string points_to;
    const char* created;
  } cases[] = {
      {"abs.txt", Path("data/abs_target.txt"), "data/abs_target.txt"},
      {"rel.txt", "data/rel_target.txt", "data/rel_target.txt"},
      {"chain.txt", "rel2.txt", "data/chain_target.txt"},
  };
  ASSERT_EQ(symlink("data/chain_target.txt", Path("rel2.txt").c_str()), 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.link);
    ASSERT_EQ(symlink(c.points_to.c_str(), Path(c.link).c_str()), 0);
    std::string error;
    ASSERT_TRUE(SaveFileAtomically(Path(c.link), "made", &error)) << error;
    struct stat st {};
    ASSERT_EQ(lstat(Path(c.link).c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link is kept";
    EXPECT_EQ(ReadBytes(Path(c.created)), "made");
  }
}

// Failures say why, in the system's words.
TEST_F(AtomicFileTest, FailureCarriesTheSystemsReason) {
  ASSERT_TRUE(std::filesystem::create_directory(Path("sub")));
  const struct {
    std::string path;
    int err;
  } cases[] = {{Path("sub"), EISDIR}, {Path("none/out.txt"), ENOENT}};
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(SaveFileAtomically(c.path, "x", &error));
    EXPECT_NE(error.find(std::strerror(c.err)), std::string::npos) << error;
  }
}

// A save killed part way (here by the file size limit's signal) leaves no
// temporary file; one left by an older killed save is removed by the next.
TEST_F(AtomicFileTest, KilledSaveLeavesNoTemporaryBehind) {
  const std::string path = Path("out.txt");
  WriteBytes(path, "old");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_DFL);
    const rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    SaveFileAtomically(path, std::string(100000, 'n'), nullptr);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(ReadBytes(path), "old");
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.txt"});

  // The child is gone, so its pid names no process now.
  const std::string stale = Path("out.txt.tmp" + std::to_string(child) + "_0");
  const std::string live = Path("out.txt.tmp" + std::to_string(getpid()) + "_7");
  WriteBytes(stale, "half");
  WriteBytes(live, "in use");
  ASSERT_TRUE(SaveFileAtomically(path, "new", nullptr));
  EXPECT_EQ(ReadBytes(path), "new");
  EXPECT_EQ(Entries(), (std::vector<std::string>{"out.txt", "out.txt.tmp" + std::to_string(getpid()) + "_7"}));
}

// Written piece by piece, the file shows nothing until it is committed; one
// that is dropped leaves the old file and no temporary; the name may be
// chosen at the end.
TEST_F(AtomicFileTest, WrittenInPiecesAppearsOnlyWhenCommitted) {
  const std::string path = Path("out.txt");
  WriteBytes(path, "old");
  {
    AtomicFileWriter file;
    ASSERT_TRUE(file.Begin(path, nullptr));
    EXPECT_TRUE(file.Write("part one\r\n", 10));
    EXPECT_EQ(ReadBytes(path), "old");
  }
  EXPECT_EQ(ReadBytes(path), "old");
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.txt"});

  AtomicFileWriter file;
  ASSERT_TRUE(file.Begin(path, nullptr));
  for (int i = 0; i < 1000; ++i) file.Write("0123456789", 10);
  EXPECT_EQ(ReadBytes(path), "old");
  ASSERT_TRUE(file.Commit(nullptr));
  EXPECT_EQ(ReadBytes(path).size(), 10000u);
  EXPECT_FALSE(file.Begun());

  ASSERT_TRUE(file.Begin(Path("provisional.txt"), nullptr));
  file.Write("named late", 10);
  ASSERT_TRUE(file.Commit(nullptr, Path("final.txt")));
  EXPECT_EQ(ReadBytes(Path("final.txt")), "named late");
  EXPECT_EQ(Entries(), (std::vector<std::string>{"final.txt", "out.txt"}));

  std::string error;
  EXPECT_FALSE(file.Commit(&error));  // nothing begun
  EXPECT_FALSE(file.Begin(Path("no/such/dir/out.txt"), &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace

// A device or a pipe is written into, never replaced by a regular file.
TEST_F(AtomicFileTest, DevicesAndPipesAreWrittenIntoNotReplaced) {
  ASSERT_TRUE(SaveFileAtomically("/dev/null", "discarded", nullptr));
  struct stat st {};
  ASSERT_EQ(stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));

  const std::string fifo = Path("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  ASSERT_TRUE(SaveFileAtomically(fifo, "through", nullptr));
  char buf[16] = {};
  EXPECT_EQ(read(reader, buf, sizeof buf), 7);
  EXPECT_STREQ(buf, "through");
  close(reader);
  ASSERT_EQ(stat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}
