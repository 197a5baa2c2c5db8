// A port that cannot be opened: each cause gives the system's reason and its
// own hint, status 1, and nothing reaches the logger.
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>

#include "ctl_fixture.h"
#include "link/rs_port.h"

namespace {

std::string GroupOf(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return std::string();
  const group* g = getgrgid(st.st_gid);
  return g != nullptr ? g->gr_name : std::string();
}

class CtlPortErrorTest : public CtlTest {
 protected:
  void SetUp() override {
    CtlTest::SetUp();
    StartLogger();
  }

  // The tool as a user without rights on the port: root opens any device, so
  // then the tool runs as "nobody" (its directories opened to everyone).
  ChildResult CtlWithoutRights(const std::vector<std::string>& args) {
    std::vector<std::string> full = args;
    std::string program = QHX_CTL_PATH;
    if (geteuid() == 0) {
      for (const auto& d : {dir_, dataDir_}) std::filesystem::permissions(d, std::filesystem::perms::all);
      full.insert(full.begin(), {"--reuid=65534", "--regid=65534", "--clear-groups", program});
      program = "/usr/bin/setpriv";
    }
    ChildProcess child;
    EXPECT_TRUE(child.Start(program, full, dir_.string(),
                            {"QHX_TIME_SCALE=" + std::to_string(Scale()), "XDG_DATA_HOME=" + dataDir_.string()}));
    return child.Finish();
  }
};

TEST_F(CtlPortErrorTest, EachCauseTellsItsReasonAndHint) {
  const std::string plainFile = Path("passwd");
  { std::ofstream(plainFile) << "root:x:0:0::/root:/bin/sh\n"; }
  const std::string pty = logger->PortPath();
  CRSPort holder;  // another program that has the port open

  struct Case {
    const char* name;
    std::string port;
    std::function<ChildResult(const std::vector<std::string>&)> run;
    int systemError;
    std::string hint;
  };
  const auto asUsual = [this](const std::vector<std::string>& args) { return Ctl(args); };
  const auto withoutRights = [this, &pty](const std::vector<std::string>& args) {
    struct stat st {};
    EXPECT_EQ(stat(pty.c_str(), &st), 0);
    EXPECT_EQ(chmod(pty.c_str(), 0), 0) << std::strerror(errno);
    ChildResult r = CtlWithoutRights(args);
    chmod(pty.c_str(), st.st_mode & 07777);
    return r;
  };
  const auto whileHeld = [this, &holder, &pty](const std::vector<std::string>& args) {
    EXPECT_EQ(holder.Open(pty, SerialSettings::Logger()), 0);
    ChildResult r = Ctl(args);
    holder.Close();
    return r;
  };
  const std::string group = GroupOf(pty);
  const Case cases[] = {
      {"no such device", "/dev/nonexistent", asUsual, ENOENT, "There is no such port."},
      {"plain file", plainFile, asUsual, ENOTTY, "This is not a serial port."},
      {"no permission", pty, withoutRights, EACCES,
       "Members of the group " + group + " may (sudo adduser $USER " + group + ","},
      {"in use", pty, whileHeld, EBUSY, "The port is in use by another program."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ChildResult r = c.run({"--lang", "en", "--no-archive", "--port", c.port, "info"});
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    EXPECT_NE(r.err.find("The serial port cannot be opened."), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("(" + c.port + ": " + std::strerror(c.systemError) + ")"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.hint), std::string::npos) << r.err;
  }
  EXPECT_EQ(BytesFromTool(), "");
}

}  // namespace
