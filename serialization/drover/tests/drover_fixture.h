// A scratch folder for the file transport tests, and file helpers.
#ifndef DROVER_TESTS_FIXTURE_H
#define DROVER_TESTS_FIXTURE_H

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "comm.h"

class DroverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("orvela_drover_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::filesystem::path File(const char* name) const { return dir_ / name; }
  static std::string Url(const std::filesystem::path& file, const char* extra = "") {
    return "drover://" + file.string() + extra;
  }
  static void Put(const std::filesystem::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
  }
  static std::string Slurp(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // The number of entries in the scratch folder (temporary files included).
  size_t Entries() const {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir_)) ++n;
    return n;
  }

  std::filesystem::path dir_;
};

#endif
