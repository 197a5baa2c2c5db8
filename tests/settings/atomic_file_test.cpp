#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

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
