// Shared helpers of the writer tests: a scratch folder, whole-file reads and
// the little-endian byte builder the expected layouts are computed with.
#ifndef TAVIO_TESTS_WRITER_FIXTURE_H
#define TAVIO_TESTS_WRITER_FIXTURE_H

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tavio.h"
#include "tavio_state.h"

namespace orvela::tavio::testing {

using Bytes = std::vector<uint8_t>;

inline Bytes ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline uint32_t U32At(const Bytes& b, std::size_t offset) {
  return static_cast<uint32_t>(b.at(offset)) | static_cast<uint32_t>(b.at(offset + 1)) << 8 |
         static_cast<uint32_t>(b.at(offset + 2)) << 16 | static_cast<uint32_t>(b.at(offset + 3)) << 24;
}

// Appends little-endian values, the way the file layout is written down.
struct ByteBuilder {
  Bytes bytes;
  ByteBuilder& U8(uint8_t v) {
    bytes.push_back(v);
    return *this;
  }
  ByteBuilder& U16(uint16_t v) { return U8(static_cast<uint8_t>(v)).U8(static_cast<uint8_t>(v >> 8)); }
  ByteBuilder& U32(uint32_t v) { return U16(static_cast<uint16_t>(v)).U16(static_cast<uint16_t>(v >> 16)); }
  ByteBuilder& F64(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    return U32(static_cast<uint32_t>(bits)).U32(static_cast<uint32_t>(bits >> 32));
  }
  ByteBuilder& Text(const std::string& s) {
    bytes.insert(bytes.end(), s.begin(), s.end());
    return *this;
  }
  ByteBuilder& Zeros(std::size_t n) {
    bytes.insert(bytes.end(), n, 0);
    return *this;
  }
  ByteBuilder& Append(const Bytes& more) {
    bytes.insert(bytes.end(), more.begin(), more.end());
    return *this;
  }
};

// Gives every test its own scratch folder and a write side with no open
// file and the clock stamp selected.
class WriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("tavio_writer_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    if (g_write_open) TAVIO_CloseWriteFile();
    TAVIO_UseSystemTimeStamp();
  }
  void TearDown() override {
    if (g_write_open) TAVIO_CloseWriteFile();
    std::filesystem::remove_all(dir_);
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  // Makes the first stamp of the next file a known one.
  static void UseSavedStamp(const Bytes& stamp) {
    DataFileContext& ctx = WriteContext();
    ctx.use_saved_stamp = 1;
    std::memcpy(ctx.saved_stamp.data(), stamp.data(), ctx.saved_stamp.size());
  }

  std::filesystem::path dir_;
};

}  // namespace orvela::tavio::testing

#endif
