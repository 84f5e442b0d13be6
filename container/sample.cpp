// KEPRSetSample: one sample set of a parsed "KEPR" file.
#include <unistd.h>

#include <cstdio>

#include "file_io.h"
#include "kepr.h"

extern "C" int KEPRSetSample(double index, const KEPRReadHandle* file, void* buffer) {
  using namespace orvela::kepr;
  if (file == nullptr || buffer == nullptr) return 0;
  const KEPRParseResult& form = file->result.kepr;
  if (form.formType != KEPR_FORM_KEPR || form.channelCount < 0 || form.channelCount > KEPR_MAX_CHANNELS ||
      form.dataLength < 0 || form.dataOffset < 0) {
    return 0;
  }
  // Only whole sets inside the DATA payload: a set outside it would read the
  // bytes of other chunks.
  if (form.channelCount == 0) return 0;
  const off_t set_size = static_cast<off_t>(form.channelCount) * 2;
  const off_t sets = form.dataLength / set_size;
  if (!(index >= 0) || index >= static_cast<double>(sets)) return 0;
  const auto k = static_cast<off_t>(index);
  const off_t at = form.dataOffset + k * set_size;
  if (lseek(file->handle, at, SEEK_SET) != at) {
    std::printf("file des %d\n", file->handle);
    std::perror("lseek failure");
    return 0;
  }
  if (!ReadExact(file->handle, buffer, static_cast<size_t>(set_size))) {
    std::perror("read failure");
    return 0;
  }
  return 1;
}
