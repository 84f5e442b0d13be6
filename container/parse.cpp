// KEPRParse: the FORM header, the form's result record, and its chunk tree.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "chunk_list.h"
#include "file_io.h"

extern "C" int KEPRParse(int handle, KEPRParsed* out) {
  using namespace orvela::kepr;
  if (out == nullptr) return 0;
  struct stat info {};
  const off_t start = lseek(handle, 0, SEEK_CUR);
  if (start < 0 || fstat(handle, &info) != 0) return 0;
  ChunkReader reader(handle, start, info.st_size);

  uint8_t header[12];
  if (!reader.Read(header, sizeof header) || GetU32BE(header) != KEPR_ID_FORM) return 0;
  const uint32_t form_length = GetU32BE(header + 4);
  const uint32_t form_type = GetU32BE(header + 8);
  if (form_type != KEPR_FORM_KEPR && form_type != KEPR_FORM_STRM) return 0;

  // From here on the caller owns the descriptor table, whatever the result.
  ParseState state{reader, *out};
  if (form_type == KEPR_FORM_KEPR) {
    std::memset(&out->kepr, 0, sizeof out->kepr);
    out->kepr.formType = form_type;
    out->kepr.channels = static_cast<KEPRChannel*>(std::calloc(KEPR_MAX_CHANNELS, sizeof(KEPRChannel)));
    if (out->kepr.channels == nullptr) return 0;
  } else {
    std::memset(&out->strm, 0, sizeof out->strm);
    out->strm.formType = form_type;
    out->strm.channels = static_cast<STRMChannel*>(std::calloc(KEPR_MAX_CHANNELS, sizeof(STRMChannel)));
    if (out->strm.channels == nullptr) return 0;
  }
  if (form_length < 4) return 0;  // not even room for the form type
  const uint64_t payload = form_length - 4;
  const bool parsed =
      form_type == KEPR_FORM_KEPR ? ParseKeprForm(state, payload) : ParseStrmForm(state, payload);
  // The list accounts for exactly its size when it succeeds, so the bytes
  // consumed plus the form type equal the FORM length.
  return parsed ? 1 : 0;
}
