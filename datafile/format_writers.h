// The writers of the output formats.  Each format supplies a header writer,
// a sample writer and a closing step over the write context; the dispatch in
// writer.cpp picks them from its table by format code.
#ifndef TAVIO_FORMAT_WRITERS_H
#define TAVIO_FORMAT_WRITERS_H

#include <cstdint>

#include "tavio_state.h"

namespace orvela::tavio {

struct FormatWriter {
  int format;
  const char* name;
  int data_header_size;
  int scan_header_size;
  // Each returns 0 or a tavio code; a null slot means the format has no such
  // step.
  int (*write_header)(DataFileContext& ctx);
  int (*write_bytes)(DataFileContext& ctx, const uint8_t* data, int count);
  int (*close)(DataFileContext& ctx);
};

// The writer of a format code, or null.
const FormatWriter* FindFormatWriter(int format);

// "Velmont" (one stamp per scan) and "VelmontEnhanced" (one stamp, segments).
int WriteRecordedHeader(DataFileContext& ctx);
int WriteRecordedBytes(DataFileContext& ctx, const uint8_t* data, int count);
int CloseRecordedFile(DataFileContext& ctx);

// "KEPR" through the container library.
int WriteKeprHeader(DataFileContext& ctx);
int WriteKeprBytes(DataFileContext& ctx, const uint8_t* data, int count);
int CloseKeprFile(DataFileContext& ctx);

// "DIZ" and "DIZ_NOHEADER": EU values of the file open for reading as text.
int WriteTextHeader(DataFileContext& ctx);
int WriteTextRows(DataFileContext& ctx, const uint8_t* data, int count);
int CloseTextFile(DataFileContext& ctx);

}  // namespace orvela::tavio

#endif
