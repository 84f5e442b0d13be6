// The launcher's exit codes, each in a runtime tree built here from links to
// the real JDK's files, with the launcher copied into APP/bin.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

const fs::path kJdk = ORVTEST_JDK;
const fs::path kJarDir = ORVTEST_JAR_DIR;

enum class Runtime { kNone, kBeside, kJre, kRegistered };
enum class Jar { kNone, kNullArgs, kNoMain, kNoManifest };

struct Case {
  const char* name;
  Runtime runtime;
  const char* registry;  // registry file text, or null for none
  const char* vm_list;   // jvm.cfg text, or null for none
  const char* vm_library;  // "jvm" links the real one, "garbage", "notavm", or null
  Jar jar;
  int exit_code;
  const char* stdout_has;   // expected in the output, or null
  const char* stderr_has;   // expected in the error output; "" means it must be empty
};

std::string Slurp(const fs::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string RegistryFor(const char* version, const fs::path& home) {
  return std::string("[HKEY_LOCAL_MACHINE\\Software\\JavaSoft\\Java Runtime Environment]\n\"CurrentVersion\"=") +
         version + "\n\n[HKEY_LOCAL_MACHINE\\Software\\JavaSoft\\Java Runtime Environment\\1.3]\n\"JavaHome\"=\"" +
         home.string() + "\"\n";
}

class LauncherTest : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("orvelarun_" + std::to_string(getpid()) + "_" +
                                         std::to_string(++counter_));
    fs::remove_all(root_);
    fs::create_directories(root_ / "app" / "bin");
    fs::create_directories(root_ / "work");
    fs::copy_file(ORVTEST_LAUNCHER, root_ / "app" / "bin" / "orvelarun");
    fs::permissions(root_ / "app" / "bin" / "orvelarun", fs::perms::owner_all);
  }
  void TearDown() override { fs::remove_all(root_); }

  // Lays out a runtime folder: lib/libjava.so, lib/jvm.cfg and lib/server/libjvm.so.
  void MakeRuntime(const fs::path& dir, const Case& c) {
    fs::create_directories(dir / "lib");
    fs::create_symlink(kJdk / "lib" / "libjava.so", dir / "lib" / "libjava.so");
    if (c.vm_list != nullptr) std::ofstream(dir / "lib" / "jvm.cfg", std::ios::binary) << c.vm_list;
    if (c.vm_library == nullptr) return;
    const std::string kind = c.vm_library;
    if (kind == "jvm") {
      fs::create_directory_symlink(kJdk / "lib" / "server", dir / "lib" / "server");
    } else {
      fs::create_directories(dir / "lib" / "server");
      if (kind == "garbage") {
        std::ofstream(dir / "lib" / "server" / "libjvm.so") << "not a library";
      } else {
        fs::copy_file(ORVTEST_NOT_A_VM, dir / "lib" / "server" / "libjvm.so");
      }
    }
  }

  fs::path root_;
  static inline int counter_ = 0;
};

TEST_P(LauncherTest, ExitCode) {
  const Case& c = GetParam();
  fs::path registered = root_ / "registered";
  switch (c.runtime) {
    case Runtime::kNone: break;
    case Runtime::kBeside: MakeRuntime(root_ / "app", c); break;
    case Runtime::kJre: MakeRuntime(root_ / "app" / "jre", c); break;
    case Runtime::kRegistered: MakeRuntime(registered, c); break;
  }
  const fs::path registry = root_ / "registry.reg";
  if (c.registry != nullptr) std::ofstream(registry) << RegistryFor(c.registry, registered);
  const char* jars[] = {nullptr, "orvtest_nullargs.jar", "orvtest_nomain.jar", "orvtest_nomanifest.jar"};
  if (const char* jar = jars[static_cast<int>(c.jar)]) {
    fs::copy_file(kJarDir / jar, root_ / "work" / "orvelaclient.jar");
  }

  const std::string command = "cd '" + (root_ / "work").string() + "' && ORVELA_REGISTRY='" + registry.string() +
                              "' '" + (root_ / "app" / "bin" / "orvelarun").string() + "' >'" +
                              (root_ / "out").string() + "' 2>'" + (root_ / "err").string() + "'";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status)) << c.name;
  EXPECT_EQ(WEXITSTATUS(status), c.exit_code) << c.name << "\n" << Slurp(root_ / "err");
  if (c.stdout_has != nullptr) {
    EXPECT_NE(Slurp(root_ / "out").find(c.stdout_has), std::string::npos) << c.name;
  }
  if (c.stderr_has != nullptr) {
    const std::string err = Slurp(root_ / "err");
    if (c.stderr_has[0] == '\0') {
      EXPECT_EQ(err, "") << c.name;
    } else {
      EXPECT_NE(err.find(c.stderr_has), std::string::npos) << c.name << "\n" << err;
    }
  }
}

constexpr const char* kServer = "# VMs of this runtime\n-server KNOWN\n-client IGNORE\n";
constexpr const char* kNullArgs = "main received a null argument array";

const Case kCases[] = {
    {"runtime beside the program", Runtime::kBeside, nullptr, kServer, "jvm", Jar::kNullArgs, 0, kNullArgs, ""},
    {"runtime in the jre folder", Runtime::kJre, nullptr, kServer, "jvm", Jar::kNullArgs, 0, kNullArgs, ""},
    {"registered runtime 1.3", Runtime::kRegistered, "\"1.3\"", kServer, "jvm", Jar::kNullArgs, 0, kNullArgs, ""},
    {"registered runtime of another version", Runtime::kRegistered, "\"1.4\"", kServer, "jvm", Jar::kNullArgs, 2,
     nullptr, ""},
    {"registry value of the wrong type", Runtime::kRegistered, "hex(2):31,00,2e,00,33,00", kServer, "jvm",
     Jar::kNullArgs, 2, nullptr, ""},
    {"no runtime at all", Runtime::kNone, nullptr, nullptr, nullptr, Jar::kNullArgs, 2, nullptr, ""},
    {"VM list of comments only", Runtime::kBeside, nullptr, "# nothing\n# here\n", "jvm", Jar::kNullArgs, 3,
     nullptr, ""},
    {"no VM list", Runtime::kBeside, nullptr, nullptr, "jvm", Jar::kNullArgs, 3, nullptr, ""},
    {"listed VMs without a VM library", Runtime::kBeside, nullptr, "-client KNOWN\n-minimal KNOWN\n", "jvm",
     Jar::kNullArgs, 5, nullptr, ""},
    {"VM library that cannot be loaded", Runtime::kBeside, nullptr, kServer, "garbage", Jar::kNullArgs, 6, nullptr,
     ""},
    {"VM library without the entry points", Runtime::kBeside, nullptr, kServer, "notavm", Jar::kNullArgs, 6,
     nullptr, ""},
    {"last VM list line without a line break", Runtime::kBeside, nullptr, "-server", "jvm", Jar::kNullArgs, 0,
     kNullArgs, ""},
    {"no client archive", Runtime::kBeside, nullptr, kServer, "jvm", Jar::kNone, 0, nullptr, "Exception"},
    {"archive without a manifest", Runtime::kBeside, nullptr, kServer, "jvm", Jar::kNoManifest, 0, nullptr, ""},
    {"archive without Main-Class", Runtime::kBeside, nullptr, kServer, "jvm", Jar::kNoMain, 0, nullptr, ""},
};

INSTANTIATE_TEST_SUITE_P(Cases, LauncherTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           std::string name;
                           for (const char* p = info.param.name; *p != '\0'; ++p) {
                             name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                           }
                           return name;
                         });

}  // namespace
