// The registry file reader: keys, value types, sizes, case and a missing file.
#include "registry.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace orvela::platform {
namespace {

constexpr const char* kJre = "HKEY_LOCAL_MACHINE\\Software\\JavaSoft\\Java Runtime Environment";

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = std::filesystem::temp_directory_path() / ("registry_test_" + std::to_string(getpid()) + ".reg");
    setenv("ORVELA_REGISTRY", path_.c_str(), 1);
  }
  void TearDown() override {
    std::filesystem::remove(path_);
    unsetenv("ORVELA_REGISTRY");
  }
  void Write(const std::string& text) { std::ofstream(path_) << text; }
  std::filesystem::path path_;
};

TEST_F(RegistryTest, ReadsValuesByKeyAndName) {
  Write(
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\JavaSoft\\Java Runtime Environment]\r\n"
      "\"CurrentVersion\"=\"1.3\"\r\n"
      "\"Expanded\"=hex(2):25,00\r\n"
      "\"Number\"=dword:00000001\r\n"
      "\"Quoted\"=\"a \\\"b\\\" c:\\\\d\"\r\n"
      "\"Long\"=\"" + std::string(254, 'x') + "\"\r\n"
      "\"TooLong\"=\"" + std::string(255, 'x') + "\"\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\JavaSoft\\Java Runtime Environment\\1.3]\n"
      "\"JavaHome\"=\"/usr/lib/jvm/java-17-openjdk-amd64\"\n");
  struct Case {
    const char* key_suffix;
    const char* name;
    RegistryResult result;
    std::string value;
  } cases[] = {
      {"", "CurrentVersion", RegistryResult::kOk, "1.3"},
      {"", "currentversion", RegistryResult::kOk, "1.3"},
      {"\\1.3", "JavaHome", RegistryResult::kOk, "/usr/lib/jvm/java-17-openjdk-amd64"},
      {"", "Quoted", RegistryResult::kOk, "a \"b\" c:\\d"},
      {"", "Long", RegistryResult::kOk, std::string(254, 'x')},
      {"", "TooLong", RegistryResult::kTooLarge, ""},
      {"", "Expanded", RegistryResult::kWrongType, ""},
      {"", "Number", RegistryResult::kWrongType, ""},
      {"", "JavaHome", RegistryResult::kNoValue, ""},
      {"\\1.4", "JavaHome", RegistryResult::kNoKey, ""},
  };
  for (const Case& c : cases) {
    std::string out = "untouched";
    const RegistryResult r = ReadRegistryString(std::string(kJre) + c.key_suffix, c.name, 256, &out);
    EXPECT_EQ(r, c.result) << c.name << " in key" << c.key_suffix;
    EXPECT_EQ(out, r == RegistryResult::kOk ? c.value : "untouched") << c.name;
  }
}

TEST_F(RegistryTest, MissingFileIsMissingKey) {
  std::string out;
  EXPECT_EQ(ReadRegistryString(kJre, "CurrentVersion", 256, &out), RegistryResult::kNoKey);
}

TEST_F(RegistryTest, DefaultPathWithoutEnvironment) {
  unsetenv("ORVELA_REGISTRY");
  EXPECT_EQ(RegistryFilePath(), "/etc/orvela/registry.reg");
}

}  // namespace
}  // namespace orvela::platform
