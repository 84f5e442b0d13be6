// Fuzz target for the container parser: any bytes as a container file, parsed
// with KEPRParse and then read set by set with KEPRSetSample.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <vector>

#include "kepr.h"

namespace {

// One scratch file for every input, rewritten each time.
int ScratchHandle() {
  static FILE* file = std::tmpfile();
  return file != nullptr ? fileno(file) : -1;
}

void FreeResult(KEPRParsed& r) {
  if (r.formType == KEPR_FORM_KEPR) std::free(r.kepr.channels);
  if (r.formType == KEPR_FORM_STRM && r.strm.channels != nullptr) {
    for (int i = 0; i < KEPR_MAX_CHANNELS; ++i) {
      std::free(r.strm.channels[i].precisions);
      std::free(r.strm.channels[i].positions);
    }
    std::free(r.strm.channels);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int fd = ScratchHandle();
  if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size) ||
      lseek(fd, 0, SEEK_SET) != 0) {
    return 0;
  }
  KEPRReadHandle file{};
  file.handle = fd;
  static const bool quiet = std::freopen("/dev/null", "w", stdout) != nullptr;  // "don't know subtag" lines
  const int rc = KEPRParse(fd, &file.result);
  if (file.result.formType == KEPR_FORM_KEPR && file.result.kepr.channels != nullptr) {
    const KEPRParseResult& r = file.result.kepr;
    if (r.channelCount < 0 || r.channelCount > KEPR_MAX_CHANNELS) std::abort();
    for (int i = 0; i < r.channelCount; ++i) {
      // Every text the parser stored is terminated inside its slot.
      const KEPRChannel& c = r.channels[i];
      for (const char* slot : {c.name, c.conversionType, c.units, c.referenceChannel, c.calibrationSet})
        if (slot[KEPR_TEXT_ROOM - 1] != '\0') std::abort();
    }
    if (rc == 1 && (r.dataOffset < 0 || static_cast<size_t>(r.dataOffset) + r.dataLength > size))
      std::abort();
    if (r.channelCount > 0) {
      std::vector<uint8_t> buffer(static_cast<size_t>(r.channelCount) * 2);
      const int sets = r.dataLength / (r.channelCount * 2);
      for (int k = 0; k < sets && k < 64; ++k) {
        if (rc == 1 && KEPRSetSample(k, &file, buffer.data()) != 1) std::abort();
      }
      // Past the DATA payload nothing is read.
      if (KEPRSetSample(sets, &file, buffer.data()) != 0) std::abort();
      KEPRSetSample(-1, &file, buffer.data());
    }
  }
  if (file.result.formType == KEPR_FORM_STRM && file.result.strm.channels != nullptr) {
    const STRMParseResult& r = file.result.strm;
    if (r.channelCount < 0 || r.channelCount > KEPR_MAX_CHANNELS) std::abort();
    for (int i = 0; i < r.channelCount; ++i) {
      const STRMChannel& c = r.channels[i];
      if (c.name[STRM_TEXT_ROOM - 1] != '\0' || c.units[STRM_TEXT_ROOM - 1] != '\0') std::abort();
      if ((c.precisionCount > 0 && c.precisions == nullptr) || (c.positionCount > 0 && c.positions == nullptr))
        std::abort();
    }
  }
  (void)quiet;
  FreeResult(file.result);
  return 0;
}
