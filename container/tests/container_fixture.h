// Helpers of the container tests: a scratch file, and chunks built byte by
// byte from the layout tables, independently of the library's writer.
#ifndef KEPR_TESTS_CONTAINER_FIXTURE_H
#define KEPR_TESTS_CONTAINER_FIXTURE_H

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "kepr.h"

namespace orvela::kepr::testing {

using Bytes = std::vector<uint8_t>;

// A file in the temporary folder, removed when the fixture ends.
class ScratchFile {
 public:
  ScratchFile() {
    static std::atomic<int> serial{0};
    path_ = (std::filesystem::temp_directory_path() /
             ("orvtest_kepr_" + std::to_string(getpid()) + "_" + std::to_string(serial++) + ".kepr"))
                .string();
  }
  ~ScratchFile() { std::filesystem::remove(path_); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  const char* path() const { return path_.c_str(); }

  void Write(const Bytes& bytes) const {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  Bytes Read() const {
    std::ifstream in(path_, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

 private:
  std::string path_;
};

inline void Append(Bytes& out, const Bytes& more) {
  out.insert(out.end(), more.begin(), more.end());
}

inline Bytes Id(const char* four) {
  return Bytes(four, four + 4);
}

inline Bytes U32(uint32_t v) {
  return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
          static_cast<uint8_t>(v)};
}

inline Bytes U16(uint16_t v) {
  return {static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}

inline Bytes F64(double d) {
  uint64_t bits = 0;
  std::memcpy(&bits, &d, sizeof bits);
  Bytes out;
  for (int i = 7; i >= 0; --i) out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
  return out;
}

inline Bytes Text(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

// A chunk: identifier, payload length, payload, pad byte when the length is odd.
inline Bytes Chunk(const char* id, const Bytes& payload) {
  Bytes out = Id(id);
  Append(out, U32(static_cast<uint32_t>(payload.size())));
  Append(out, payload);
  if (payload.size() % 2 != 0) out.push_back(0);
  return out;
}

// A chunk whose length field says `length`, whatever the payload.
inline Bytes ChunkClaiming(const char* id, uint32_t length, const Bytes& payload) {
  Bytes out = Id(id);
  Append(out, U32(length));
  Append(out, payload);
  return out;
}

template <typename... Parts>
Bytes Concat(const Parts&... parts) {
  Bytes out;
  (Append(out, parts), ...);
  return out;
}

struct ChannelFields {
  std::string name, type, units, reference, calibration;
  double cpv, zo, tare, scal, gfac;
};

// The ten chunks of a "KEPR" channel, in the form's order.
inline Bytes ChanPayload(const ChannelFields& c) {
  return Concat(Chunk("NAME", Text(c.name)), Chunk("CVTP", Text(c.type)), Chunk("EU  ", Text(c.units)),
                Chunk("TCRF", Text(c.reference)), Chunk("MCAL", Text(c.calibration)),
                Chunk("CPV ", F64(c.cpv)), Chunk("ZO  ", F64(c.zo)), Chunk("TARE", F64(c.tare)),
                Chunk("SCAL", F64(c.scal)), Chunk("GFAC", F64(c.gfac)));
}

inline Bytes ConfPayload(const std::vector<ChannelFields>& channels, double clock, uint32_t time) {
  Bytes chns;
  for (const ChannelFields& c : channels) Append(chns, Chunk("CHAN", ChanPayload(c)));
  return Concat(Chunk("CHNS", chns), Chunk("CLKR", F64(clock)), Chunk("TIME", U32(time)));
}

// A whole "KEPR" file with its FORM length computed from its contents.
inline Bytes KeprFile(const Bytes& form_payload) {
  return Chunk("FORM", Concat(Id("KEPR"), form_payload));
}

inline KEPRChannel MakeChannel(const ChannelFields& c) {
  KEPRChannel out{};
  std::strncpy(out.name, c.name.c_str(), sizeof out.name - 1);
  std::strncpy(out.conversionType, c.type.c_str(), sizeof out.conversionType - 1);
  std::strncpy(out.units, c.units.c_str(), sizeof out.units - 1);
  std::strncpy(out.referenceChannel, c.reference.c_str(), sizeof out.referenceChannel - 1);
  std::strncpy(out.calibrationSet, c.calibration.c_str(), sizeof out.calibrationSet - 1);
  out.countsPerVolt = c.cpv;
  out.zeroOffset = c.zo;
  out.tare = c.tare;
  out.shuntCal = c.scal;
  out.gaugeFactor = c.gfac;
  return out;
}

// Two channels as the data file library describes them.
inline std::vector<ChannelFields> TwoChannels() {
  return {{"Tc1", "type_k", "degC", "Ref", "degC", 3276.8, 12.0, -0.5, 1.0, 2.0},
          {"Pressure", "linear", "bar", "", "bar", 3276.7, -3.0, 0.0, 0.75, 2.1}};
}

// Parses `path` and returns KEPRParse's result; `out` owns what it allocated.
struct Parsed {
  KEPRReadHandle file{};
  int rc = 0;
  ~Parsed() {
    if (file.handle >= 0) KEPRCloseReadFile(file.handle);
    if (file.result.formType == KEPR_FORM_KEPR) std::free(file.result.kepr.channels);
    if (file.result.formType == KEPR_FORM_STRM && file.result.strm.channels != nullptr) {
      for (int i = 0; i < KEPR_MAX_CHANNELS; ++i) {
        std::free(file.result.strm.channels[i].precisions);
        std::free(file.result.strm.channels[i].positions);
      }
      std::free(file.result.strm.channels);
    }
  }
};

inline void ParseFile(const char* path, Parsed* parsed) {
  parsed->file.handle = KEPROpenFile(path, O_RDONLY);
  parsed->rc = KEPRParse(parsed->file.handle, &parsed->file.result);
}

}  // namespace orvela::kepr::testing

#endif
