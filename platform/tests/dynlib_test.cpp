// Tests of library loading: bare names, paths, symbols and module file names.
#include "dynlib.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

namespace orvela::platform {
namespace {

constexpr const char* kProbe = "orvtest_platform_probe.so";
const std::string kBinDir = ORVELA_BIN_DIR;

using AnswerFn = int (*)();

struct LoadCase {
  const char* label;
  std::string file_name;
  bool loads;
};

class LoadLibraryFileTest : public ::testing::TestWithParam<LoadCase> {};

// The tests run in the bin folder, so "./name" and the bare name find the same file.
TEST_P(LoadLibraryFileTest, LoadsOrRefuses) {
  const LoadCase& c = GetParam();
  void* module = LoadLibraryFile(c.file_name.c_str());
  if (!c.loads) {
    EXPECT_EQ(module, nullptr);
    return;
  }
  ASSERT_NE(module, nullptr) << LastLoadError();
  auto answer = reinterpret_cast<AnswerFn>(ResolveSymbol(module, "orvtest_probe_answer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  // Every form names one file, so the library already loaded comes back.
  EXPECT_EQ(module, LoadLibraryFile(kProbe));
}

INSTANTIATE_TEST_SUITE_P(
    Names, LoadLibraryFileTest,
    ::testing::Values(LoadCase{"bare", kProbe, true}, LoadCase{"absolute", kBinDir + "/" + kProbe, true},
                      LoadCase{"relative", std::string("./") + kProbe, true},
                      LoadCase{"missing", "orvtest_no_such_library.so", false},
                      LoadCase{"missing_path", kBinDir + "/orvtest_no_such_library.so", false},
                      LoadCase{"empty", "", false}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(LoadLibraryFile, NullNameLoadsNothing) {
  EXPECT_EQ(LoadLibraryFile(nullptr), nullptr);
}

TEST(LoadLibraryFile, FailureLeavesAMessage) {
  LastLoadError();  // clear what an earlier call left
  ASSERT_EQ(LoadLibraryFile("orvtest_no_such_library.so"), nullptr);
  EXPECT_FALSE(LastLoadError().empty());
}

TEST(ResolveSymbol, MissingPiecesGiveNull) {
  void* module = LoadLibraryFile(kProbe);
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(ResolveSymbol(module, "orvtest_no_such_symbol"), nullptr);
  EXPECT_EQ(ResolveSymbol(module, nullptr), nullptr);
  EXPECT_EQ(ResolveSymbol(nullptr, "orvtest_probe_answer"), nullptr);
}

TEST(ResolveSymbol, IgnoresExportsOfTheModulesDependencies) {
  void* module = LoadLibraryFile(kProbe);
  ASSERT_NE(module, nullptr);
  ASSERT_NE(dlsym(module, "getpid"), nullptr) << "the probe should depend on the C library";
  EXPECT_EQ(ResolveSymbol(module, "getpid"), nullptr);
  EXPECT_EQ(ResolveSymbol(module, "close"), nullptr);
  EXPECT_NE(ResolveSymbol(module, "orvtest_probe_pid"), nullptr);
}

TEST(ModuleFileName, NamesTheLibraryHoldingAnAddress) {
  void* module = LoadLibraryFile((std::string("./") + kProbe).c_str());
  ASSERT_NE(module, nullptr);
  void* answer = ResolveSymbol(module, "orvtest_probe_answer");
  ASSERT_NE(answer, nullptr);
  const std::string name = ModuleFileName(answer);
  // Absolute even though the library may have been opened by a relative name.
  ASSERT_FALSE(name.empty());
  EXPECT_EQ(name.front(), '/');
  EXPECT_EQ(name.substr(name.rfind('/') + 1), kProbe);
}

TEST(ModuleFileName, NamesTheProgramForItsOwnCode) {
  const std::string name = ModuleFileName(reinterpret_cast<const void*>(&ModuleFileName));
  ASSERT_FALSE(name.empty());
  EXPECT_EQ(name.front(), '/');
  EXPECT_EQ(name.substr(name.rfind('/') + 1), "platform_tests");
}

TEST(ModuleFileName, AddressesOutsideModulesGiveEmpty) {
  int on_stack = 0;
  EXPECT_EQ(ModuleFileName(nullptr), "");
  EXPECT_EQ(ModuleFileName(&on_stack), "");
}

}  // namespace
}  // namespace orvela::platform
