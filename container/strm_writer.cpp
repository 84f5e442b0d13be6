// The "STRM" form on the write side: STRMWriteForm and STRMCloseWriteFile.
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <initializer_list>

#include "chunk_writer.h"
#include "file_io.h"
#include "kepr.h"

namespace orvela::kepr {

namespace {

struct ValueList {
  uint32_t id;  // "PREC" or "POSC"
  const double* values;
  int count;
};

int WriteValuesBody(int fd, void* argument) {
  const auto* list = static_cast<const ValueList*>(argument);
  int length = 0;
  int code = 0;
  for (int i = 0; i < list->count; ++i) {
    if (!AddChild(WriteF64Chunk(fd, list->id, list->values[i]), &length, &code)) return code;
  }
  return length;
}

int WriteChannelBody(int fd, void* argument) {
  const auto* c = static_cast<const STRMChannel*>(argument);
  ValueList precisions{KEPR_ID('P', 'R', 'E', 'C'), c->precisions, c->precisionCount};
  ValueList positions{KEPR_ID('P', 'O', 'S', 'C'), c->positions, c->positionCount};
  int length = 0;
  int code = 0;
  if (!AddChild(WriteTextChunk(fd, KEPR_ID('N', 'A', 'M', 'E'), c->name, STRM_TEXT_ROOM), &length, &code) ||
      !AddChild(WriteTextChunk(fd, KEPR_ID('E', 'U', ' ', ' '), c->units, STRM_TEXT_ROOM), &length, &code) ||
      !AddChild(WriteU16Chunk(fd, KEPR_ID('X', 'F', 'R', 'M'), c->transform), &length, &code) ||
      !AddChild(KEPRWriteChunk(fd, KEPR_ID('P', 'R', 'C', 'S'), WriteValuesBody, &precisions), &length,
                &code) ||
      !AddChild(KEPRWriteChunk(fd, KEPR_ID('P', 'O', 'C', 'S'), WriteValuesBody, &positions), &length,
                &code)) {
    return code;
  }
  return length;
}

int WriteChannelsBody(int fd, void* argument) {
  const auto* form = static_cast<const STRMForm*>(argument);
  int length = 0;
  int code = 0;
  for (int i = 0; i < form->channelCount; ++i) {
    void* channel = const_cast<STRMChannel*>(&form->channels[i]);
    if (!AddChild(KEPRWriteChunk(fd, KEPR_ID('C', 'H', 'A', 'N'), WriteChannelBody, channel), &length,
                  &code)) {
      return KEPR_E_BODY;
    }
  }
  return length;
}

int WriteConfBody(int fd, void* argument) {
  const auto* form = static_cast<const STRMForm*>(argument);
  int length = 0;
  int code = 0;
  if (!AddChild(KEPRWriteChunk(fd, KEPR_ID('C', 'H', 'N', 'S'), WriteChannelsBody, argument), &length,
                &code) ||
      !AddChild(WriteF64Chunk(fd, KEPR_ID('C', 'L', 'K', 'R'), form->clockRate), &length, &code) ||
      !AddChild(WriteU32Chunk(fd, KEPR_ID('T', 'I', 'M', 'E'), form->creationTime), &length, &code) ||
      !AddChild(WriteU32Chunk(fd, KEPR_ID('S', 'C', 'P', 'P'), form->scpp), &length, &code)) {
    return code;
  }
  return length;
}

// Copies the whole of another handle, in blocks of 512 bytes, as a payload.
int CopyBody(int fd, void* argument) {
  const int source = *static_cast<const int*>(argument);
  uint8_t block[512];
  int length = 0;
  for (;;) {
    const ssize_t n = read(source, block, sizeof block);
    if (n < 0) return KEPR_E_WRITE;
    if (n == 0) break;
    if (n > INT_MAX - 10 - length) return KEPR_E_WRITE;  // the length field is limited to int
    if (!WriteAll(fd, block, static_cast<size_t>(n))) return KEPR_E_WRITE;
    length += static_cast<int>(n);
  }
  if (length % 2 != 0) {
    const uint8_t pad = 0;
    if (!WriteAll(fd, &pad, 1)) return KEPR_E_WRITE;
  }
  return length;
}

bool CopyChunk(int fd, uint32_t id, int source) {
  if (Seek(source, 0, SEEK_SET) != 0) return false;
  return KEPRWriteChunk(fd, id, CopyBody, &source) >= 0;
}

bool ValidChannels(const STRMForm* f) {
  if (f->channelCount < 0 || f->channelCount > KEPR_MAX_CHANNELS) return false;
  if (f->channelCount > 0 && f->channels == nullptr) return false;
  for (int i = 0; i < f->channelCount; ++i) {
    const STRMChannel& c = f->channels[i];
    if ((c.precisionCount > 0 && c.precisions == nullptr) ||
        (c.positionCount > 0 && c.positions == nullptr)) {
      return false;
    }
  }
  return true;
}

}  // namespace

}  // namespace orvela::kepr

extern "C" int STRMWriteForm(int handle, void* form) {
  using namespace orvela::kepr;
  const auto* f = static_cast<const STRMForm*>(form);
  if (f == nullptr || !ValidChannels(f)) return KEPR_E_BODY;
  uint8_t type[4];
  PutU32BE(type, KEPR_FORM_STRM);
  if (!WriteAll(handle, type, sizeof type)) return KEPR_E_WRITE;
  int length = 4;
  int code = 0;
  if (!AddChild(KEPRWriteChunk(handle, KEPR_ID('C', 'O', 'N', 'F'), WriteConfBody, form), &length, &code)) {
    return code;
  }
  return length;
}

extern "C" int STRMCloseWriteFile(int handle, int dataHandle, int pollHandle, int eventHandle) {
  using namespace orvela::kepr;
  int rc = 0;
  if (handle != -1) {
    bool ok = CopyChunk(handle, KEPR_ID('D', 'A', 'T', 'A'), dataHandle);
    if (ok && pollHandle != -1) ok = CopyChunk(handle, KEPR_ID('P', 'O', 'L', 'L'), pollHandle);
    if (ok && eventHandle != -1) ok = CopyChunk(handle, KEPR_ID('E', 'V', 'N', 'T'), eventHandle);
    if (ok) {
      const off_t end = Seek(handle, 0, SEEK_END);
      ok = end >= 8 && end - 8 <= static_cast<off_t>(UINT32_MAX) &&
           WriteU32At(handle, 4, static_cast<uint32_t>(end - 8));
    }
    if (close(handle) != 0) ok = false;
    if (!ok) rc = KEPR_E_WRITE;
  }
  for (int other : {dataHandle, pollHandle, eventHandle}) {
    if (other != -1) close(other);
  }
  return rc;
}
