// KEPRWriteChunk and the text and number chunk bodies.
#include "chunk_writer.h"

#include <unistd.h>

#include <climits>
#include <cstring>

#include "file_io.h"

namespace orvela::kepr {

namespace {

struct TextBody {
  const char* text;
  size_t room;
};

struct NumberBody {
  uint8_t bytes[8];
  int size;
};

int WriteTextBody(int fd, void* argument) {
  const auto* body = static_cast<const TextBody*>(argument);
  const size_t length = body->text == nullptr ? 0 : strnlen(body->text, body->room - 1);
  if (length > 0 && !WriteAll(fd, body->text, length)) return KEPR_E_WRITE;
  if (length % 2 != 0) {
    const uint8_t pad = 0;
    if (!WriteAll(fd, &pad, 1)) return KEPR_E_WRITE;
  }
  return static_cast<int>(length);
}

int WriteNumberBody(int fd, void* argument) {
  const auto* body = static_cast<const NumberBody*>(argument);
  return WriteAll(fd, body->bytes, static_cast<size_t>(body->size)) ? body->size : KEPR_E_WRITE;
}

}  // namespace

int WriteTextChunk(int fd, uint32_t id, const char* text, size_t room) {
  TextBody body{text, room};
  return KEPRWriteChunk(fd, id, WriteTextBody, &body);
}

int WriteF64Chunk(int fd, uint32_t id, double value) {
  NumberBody body{{}, 8};
  PutF64BE(body.bytes, value);
  return KEPRWriteChunk(fd, id, WriteNumberBody, &body);
}

int WriteU32Chunk(int fd, uint32_t id, uint32_t value) {
  NumberBody body{{}, 4};
  PutU32BE(body.bytes, value);
  return KEPRWriteChunk(fd, id, WriteNumberBody, &body);
}

int WriteU16Chunk(int fd, uint32_t id, uint16_t value) {
  NumberBody body{{}, 2};
  PutU16BE(body.bytes, value);
  return KEPRWriteChunk(fd, id, WriteNumberBody, &body);
}

bool AddChild(int child, int* length, int* code) {
  if (child < 0) {
    *code = child;
    return false;
  }
  if (child > INT_MAX - *length) {
    *code = KEPR_E_WRITE;  // the chunk length field could not hold it
    return false;
  }
  *length += child;
  return true;
}

}  // namespace orvela::kepr

extern "C" int KEPRWriteChunk(int handle, uint32_t id, KEPRBodyWriter body, void* argument) {
  using namespace orvela::kepr;
  if (body == nullptr) return KEPR_E_BODY;
  const off_t start = Seek(handle, 0, SEEK_CUR);
  if (start < 0) return KEPR_E_SEEK;
  uint8_t header[8] = {};
  PutU32BE(header, id);
  if (!WriteAll(handle, header, sizeof header)) return KEPR_E_WRITE;
  const int length = body(handle, argument);
  if (length < 0) return length;
  // The body wrote its own pad byte; the length field does not count it.
  if (length > INT_MAX - 9) return KEPR_E_WRITE;
  uint8_t field[4];
  PutU32BE(field, static_cast<uint32_t>(length));
  if (Seek(handle, start + 4, SEEK_SET) != start + 4) return KEPR_E_SEEK;
  if (!WriteAll(handle, field, sizeof field)) return KEPR_E_WRITE;
  if (Seek(handle, 0, SEEK_END) < 0) return KEPR_E_SEEK;
  return 8 + length + (length % 2);
}
