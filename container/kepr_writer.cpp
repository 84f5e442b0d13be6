// The "KEPR" form on the write side: KEPRWriteForm and KEPRCloseWriteFile.
#include <unistd.h>

#include <cstdint>

#include "chunk_writer.h"
#include "file_io.h"
#include "kepr.h"

namespace orvela::kepr {

namespace {

// The ten chunks of a channel, in the order of the form's tree.
int WriteChannelBody(int fd, void* argument) {
  const auto* c = static_cast<const KEPRChannel*>(argument);
  int length = 0;
  int code = 0;
  if (!AddChild(WriteTextChunk(fd, KEPR_ID('N', 'A', 'M', 'E'), c->name, KEPR_TEXT_ROOM), &length, &code) ||
      !AddChild(WriteTextChunk(fd, KEPR_ID('C', 'V', 'T', 'P'), c->conversionType, KEPR_TEXT_ROOM), &length,
                &code) ||
      !AddChild(WriteTextChunk(fd, KEPR_ID('E', 'U', ' ', ' '), c->units, KEPR_TEXT_ROOM), &length, &code) ||
      !AddChild(WriteTextChunk(fd, KEPR_ID('T', 'C', 'R', 'F'), c->referenceChannel, KEPR_TEXT_ROOM), &length,
                &code) ||
      !AddChild(WriteTextChunk(fd, KEPR_ID('M', 'C', 'A', 'L'), c->calibrationSet, KEPR_TEXT_ROOM), &length,
                &code) ||
      !AddChild(WriteF64Chunk(fd, KEPR_ID('C', 'P', 'V', ' '), c->countsPerVolt), &length, &code) ||
      !AddChild(WriteF64Chunk(fd, KEPR_ID('Z', 'O', ' ', ' '), c->zeroOffset), &length, &code) ||
      !AddChild(WriteF64Chunk(fd, KEPR_ID('T', 'A', 'R', 'E'), c->tare), &length, &code) ||
      !AddChild(WriteF64Chunk(fd, KEPR_ID('S', 'C', 'A', 'L'), c->shuntCal), &length, &code) ||
      !AddChild(WriteF64Chunk(fd, KEPR_ID('G', 'F', 'A', 'C'), c->gaugeFactor), &length, &code)) {
    return code;
  }
  return length;
}

int WriteChannelsBody(int fd, void* argument) {
  const auto* form = static_cast<const KEPRForm*>(argument);
  int length = 0;
  int code = 0;
  for (int i = 0; i < form->channelCount; ++i) {
    void* channel = const_cast<KEPRChannel*>(&form->channels[i]);
    if (!AddChild(KEPRWriteChunk(fd, KEPR_ID('C', 'H', 'A', 'N'), WriteChannelBody, channel), &length,
                  &code)) {
      return KEPR_E_BODY;  // a failed channel fails the whole list
    }
  }
  return length;
}

int WriteConfBody(int fd, void* argument) {
  const auto* form = static_cast<const KEPRForm*>(argument);
  int length = 0;
  int code = 0;
  if (!AddChild(KEPRWriteChunk(fd, KEPR_ID('C', 'H', 'N', 'S'), WriteChannelsBody, argument), &length,
                &code) ||
      !AddChild(WriteF64Chunk(fd, KEPR_ID('C', 'L', 'K', 'R'), form->clockRate), &length, &code) ||
      !AddChild(WriteU32Chunk(fd, KEPR_ID('T', 'I', 'M', 'E'), form->creationTime), &length, &code)) {
    return code;
  }
  return length;
}

int WriteNothing(int, void*) {
  return 0;
}

}  // namespace

}  // namespace orvela::kepr

extern "C" int KEPRWriteForm(int handle, void* form) {
  using namespace orvela::kepr;
  const auto* f = static_cast<const KEPRForm*>(form);
  if (f == nullptr || f->channelCount < 0 || f->channelCount > KEPR_MAX_CHANNELS ||
      (f->channelCount > 0 && f->channels == nullptr)) {
    return KEPR_E_BODY;
  }
  uint8_t type[4];
  PutU32BE(type, KEPR_FORM_KEPR);
  if (!WriteAll(handle, type, sizeof type)) return KEPR_E_WRITE;
  int length = 4;
  int code = 0;
  if (!AddChild(KEPRWriteChunk(handle, KEPR_ID('C', 'O', 'N', 'F'), WriteConfBody, form), &length, &code) ||
      !AddChild(KEPRWriteChunk(handle, KEPR_ID('D', 'A', 'T', 'A'), WriteNothing, nullptr), &length, &code)) {
    return code;
  }
  return length;
}

// Layout patched here: "FORM" len "KEPR" "CONF" C <C bytes> "DATA" len <samples>,
// so the CONF length sits at 16 and the DATA length at 24 + C.  Any length
// that cannot be written makes the result -1: the file is then not a complete
// container, and the caller must hear of it.
extern "C" int KEPRCloseWriteFile(int handle) {
  using namespace orvela::kepr;
  bool patched = false;
  const off_t end = Seek(handle, 0, SEEK_END);
  // Lengths are u32 fields; a file too short for the header has nothing to patch.
  if (end >= 28 && end - 8 <= static_cast<off_t>(UINT32_MAX)) {
    uint8_t field[4];
    bool data_ok = false;
    if (Seek(handle, 16, SEEK_SET) == 16 && ReadExact(handle, field, sizeof field)) {
      const off_t data_at = 24 + static_cast<off_t>(GetU32BE(field));
      // A CONF length that points past the file would make the patch grow the
      // file instead of finishing it.
      if (data_at + 4 <= end) {
        data_ok = WriteU32At(handle, data_at, static_cast<uint32_t>(end - data_at - 4));
      }
    }
    const bool form_ok = WriteU32At(handle, 4, static_cast<uint32_t>(end - 8));
    patched = data_ok && form_ok;
  }
  const int closed = close(handle);
  return patched && closed == 0 ? 0 : -1;
}
