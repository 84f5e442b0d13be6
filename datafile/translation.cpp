// Translation: a file is read and written again, whole or in part, in one of
// the five output formats through the writer.
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>
#include <sys/stat.h>

#include "read_internal.h"
#include "tavio.h"

namespace orvela::tavio {

namespace {

// Sample sets are handed to the binary writers in runs of about this many
// bytes; the text writers take one set per call, so that every row carries
// the time of its own set.
constexpr std::size_t kRunBytes = 1 << 16;
// Whole blocks copied from a recorded data file are written in runs of about
// this many bytes.
constexpr std::size_t kBlockRunBytes = 1 << 20;

// Largest scan the reader holds when it reads the output back: a "Velmont"
// scan header and the scan must fit the work buffer.
constexpr int64_t kLargestScanBytes = static_cast<int64_t>(kWorkBufferBytes) - kStampBytes;

// True when both paths name one existing file: creating the output would
// then destroy the recording being read.
bool SameFile(const char* a, const char* b) {
  struct stat sa {};
  struct stat sb {};
  if (a == nullptr || b == nullptr || stat(a, &sa) != 0 || stat(b, &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

unsigned int RateRoundedUp(double rate) {
  if (!(rate > 0.0)) return 0;
  if (rate >= static_cast<double>(UINT_MAX)) return UINT_MAX;
  return static_cast<unsigned int>(std::ceil(rate));
}

/*
 * CreateOutput --
 *   Creates the output of format code `format` for n channels.  Recorded
 *   data files and texts keep the source's signedness (a container records
 *   none), and recorded data files' scans hold one second
 *   of samples, as long as such a scan fits the reader's block buffer.
 * Results:
 *   0, or 219 for an unknown format or a failed create.
 * Side effects:
 *   Starts a new write configuration; for recorded data files saves the time
 *   stamp of the source's sample `first`.
 */
int CreateOutput(const char* destination, int format, int n, double rate, double first) {
  const DataFileContext& src = ReadContext();
  int rc = 0;
  const int data_type = (!src.description.digital && src.description.data_type != 0) ? 1 : 0;
  if (format >= 1 && format <= 4) {
    const unsigned int hz = RateRoundedUp(rate);
    int64_t samples = hz < 1 ? 1 : hz;
    const int64_t largest = kLargestScanBytes / (2 * static_cast<int64_t>(n));
    if (samples > largest) samples = largest;
    rc = TAVIO_CreateVelmontDataFile(destination, data_type, n, hz, static_cast<int>(samples));
    // Code 2 asks for the segmented layout; 3 and 4 name keyed-header reads,
    // which this library does not write, and give "Velmont".
    if (rc == 0 && format == kFormatVelmontEnhanced) rc = TAVIO_SetFormatVelmontEnhanced();
    if (rc == 0) {
      TAVIO_SetSample(first);
      TAVIO_SaveReadTimeStamp();
    }
  } else if (format == kFormatKepr) {
    rc = TAVIO_CreateKEPRFile(destination, 0, n, rate);
  } else if (format == kFormatDiz || format == kFormatDizNoHeader) {
    rc = TAVIO_CreateDIZFile(destination, data_type, n, rate, format == kFormatDiz ? 1 : 0);
  } else {
    return TAVIO_E_CLOSE;
  }
  return rc == 0 ? 0 : static_cast<int>(TAVIO_E_CLOSE);
}

// Copies the configuration of channel ch from the read to the write context.
void CopyChannel(int ch) {
  char text[kTextRoom];
  if (TAVIO_GetChannelName(ch, text) == 0) TAVIO_SetChannelName(ch, text);
  if (TAVIO_GetConversionType(ch, text) == 0) TAVIO_SetConversionType(ch, text);
  if (TAVIO_GetChannelUnits(ch, text) == 0) TAVIO_SetChannelUnits(ch, text);
  if (TAVIO_GetChannelTCRef(ch, text) == 0) TAVIO_SetChannelTCRef(ch, text);
  double value = 0.0;
  unsigned short word = 0;
  if (TAVIO_GetCountsPerVolt(ch, &value) == 0) TAVIO_SetCountsPerVolt(ch, value);
  if (TAVIO_GetOffsetCount(ch, &word) == 0) TAVIO_SetOffsetCount(ch, word);
  if (TAVIO_GetManualEuAdder(ch, &value) == 0) TAVIO_SetManualEuAdder(ch, value);
  if (TAVIO_GetShuntCalCF(ch, &value) == 0) TAVIO_SetShuntCalCF(ch, value);
  if (TAVIO_GetGaugeFactor(ch, &value) == 0) TAVIO_SetGaugeFactor(ch, value);
  unsigned short order = 0;
  if (TAVIO_GetPolynomialOrder(ch, &order) != 0) return;
  TAVIO_SetPolynomialOrder(ch, order);
  for (int j = 1; j <= order + 1; ++j) {
    if (TAVIO_GetEuCalibrationPoint(ch, j, &value) == 0) TAVIO_SetEuCalibrationPoint(ch, j, value);
    if (TAVIO_GetCalibrationVoltagePoint(ch, j, &value) == 0) TAVIO_SetCalibrationVoltagePoint(ch, j, value);
    if (TAVIO_GetPolynomialCoeff(ch, j, &value) == 0) TAVIO_SetPolynomialCoeff(ch, j, value);
  }
}

// True when the words of channels 1 to n lie side by side in the buffer, so
// that a sample set can be copied in one piece.
bool SetsAreContiguous(const DataFileContext& ctx, int n) {
  if (ctx.description.digital) return false;
  if (ctx.format == kFormatKepr) return true;
  for (int c = 0; c < n; ++c) {
    const ChannelRecord& rec = ctx.description.channels[static_cast<std::size_t>(c)];
    if (rec.scan_offset != 2 * c || rec.stride != 2 * n) return false;
  }
  return true;
}

/*
 * AppendSet --
 *   Appends the sample set at the read cursor to `out` as n little-endian
 *   words, channel 1 first, whatever the source's layout: segmented files
 *   are gathered word by word and digital channels become counts of 0 or 1.
 * Results:
 *   None.
 * Side effects:
 *   Grows `out` by 2n bytes.
 */
void AppendSet(const DataFileContext& ctx, int n, bool contiguous, std::vector<uint8_t>* out) {
  const std::size_t at = out->size();
  out->resize(at + 2 * static_cast<std::size_t>(n));
  uint8_t* dst = out->data() + at;
  if (contiguous) {
    const int pos = WordPosition(ctx, 0);
    if (pos >= 0 && static_cast<std::size_t>(pos) + 2 * static_cast<std::size_t>(n) <= kWorkBufferBytes) {
      std::memcpy(dst, ctx.buffer.data() + pos, 2 * static_cast<std::size_t>(n));
      return;
    }
  }
  for (int c = 0; c < n; ++c) {
    uint16_t word = 0;
    if (ctx.description.digital) {
      word = ChannelCount(ctx, c) != 0.0 ? 1 : 0;
    } else {
      const int pos = WordPosition(ctx, c);
      if (pos >= 0 && static_cast<std::size_t>(pos) + 2 <= kWorkBufferBytes)
        word = static_cast<uint16_t>(ctx.buffer[static_cast<std::size_t>(pos)] |
                                     (ctx.buffer[static_cast<std::size_t>(pos) + 1] << 8));
    }
    dst[2 * c] = static_cast<uint8_t>(word & 0xFF);
    dst[2 * c + 1] = static_cast<uint8_t>(word >> 8);
  }
}

/*
 * CopySamples --
 *   Writes sample sets first .. end - 1 of the read file to the write file.
 * Results:
 *   0, or the first failure of positioning or writing.
 * Side effects:
 *   Moves the read cursor.
 */
int CopySamples(int format, int n, double first, double end) {
  DataFileContext& ctx = ReadContext();
  const bool per_set = format == kFormatDiz || format == kFormatDizNoHeader;
  const bool contiguous = SetsAreContiguous(ctx, n);
  const std::size_t set_bytes = 2 * static_cast<std::size_t>(n);
  // Whole runs of sets straight from the loaded block, when the source keeps
  // its sets side by side in scan blocks and the output takes many at once.
  const bool from_block = contiguous && !per_set && ctx.format != kFormatKepr;
  const std::size_t run_sets = per_set ? 1 : (kRunBytes / set_bytes > 0 ? kRunBytes / set_bytes : 1);
  std::vector<uint8_t> run;
  run.reserve(from_block ? kBlockRunBytes + kWorkBufferBytes : run_sets * set_bytes);
  ctx.cursor.current_channel = 0;
  double k = first;
  while (k < end) {
    const int rc = TAVIO_SetSample(k);
    if (rc != 0) return rc;
    if (from_block) {
      const double in_block = ctx.cursor.buffer_last - std::trunc(k) + 1.0;
      const double wanted = std::ceil(end - k);
      const double sets = in_block < wanted ? in_block : wanted;
      const int pos = WordPosition(ctx, 0);
      const std::size_t bytes = static_cast<std::size_t>(sets) * set_bytes;
      if (sets >= 1.0 && pos >= 0 && static_cast<std::size_t>(pos) + bytes <= kWorkBufferBytes) {
        // Blocks are gathered into runs of about kBlockRunBytes: fewer, larger
        // writes.
        const uint8_t* from = ctx.buffer.data() + pos;
        if (run.empty() && bytes >= kBlockRunBytes) {
          const int wrc = TAVIO_WriteBytes(from, static_cast<int>(bytes));
          if (wrc != 0) return wrc;
        } else {
          run.insert(run.end(), from, from + bytes);
          if (run.size() >= kBlockRunBytes) {
            const int wrc = TAVIO_WriteBytes(run.data(), static_cast<int>(run.size()));
            run.clear();
            if (wrc != 0) return wrc;
          }
        }
        k += sets;
        continue;
      }
    }
    AppendSet(ctx, n, contiguous, &run);
    k += 1.0;
    if (run.size() >= run_sets * set_bytes) {
      const int wrc = TAVIO_WriteBytes(run.data(), static_cast<int>(run.size()));
      run.clear();
      if (wrc != 0) return wrc;
    }
  }
  if (!run.empty()) return TAVIO_WriteBytes(run.data(), static_cast<int>(run.size()));
  return 0;
}

}  // namespace

}  // namespace orvela::tavio

using namespace orvela::tavio;

/*
 * TAVIO_TranslateSubFile --
 *   Translates sample sets first .. end - 1 of `source` into `destination`
 *   in output format code `format`.
 * Results:
 *   0; the read result of the source; 219 for an unusable description, a
 *   destination that is the source itself, an unknown format or a failed
 *   create; else the first failure of writing
 *   the header, the samples or closing, or of closing the read file.
 * Side effects:
 *   Opens and closes the read file (a file the client had open is closed)
 *   and replaces the write configuration.
 */
extern "C" int TAVIO_TranslateSubFile(const char* destination, const char* source, int format, double first,
                                      double end) {
  return GuardedCall([&] {
    int rc = TAVIO_ReadDataFile(source);
    if (rc != 0) return rc;
    int n = 0;
    double rate = 0.0;
    double count = 0.0;
    if (TAVIO_GetChannelCount(&n) != 0 || TAVIO_GetClockRateEx(&rate) != 0 || TAVIO_GetSampleCount(&count) != 0 ||
        n < 1 || SameFile(destination, source)) {
      TAVIO_CloseReadFile();
      return static_cast<int>(TAVIO_E_CLOSE);
    }
    if (!(end >= 0.0) || end > count) end = count;
    // Sets before the first one hold nothing to translate.
    if (first < 0.0) first = 0.0;
    rc = CreateOutput(destination, format, n, rate, first);
    if (rc != 0) {
      TAVIO_CloseReadFile();
      return rc;
    }
    for (int ch = 1; ch <= n; ++ch) CopyChannel(ch);
    rc = TAVIO_WriteHeader();
    if (rc == 0) rc = CopySamples(format, n, first, end);
    // A header refused because the client has a write file open leaves that
    // file alone.
    if (rc != TAVIO_E_ALREADY_OPEN) {
      const int close_write = TAVIO_CloseWriteFile();
      if (rc == 0) rc = close_write;
    }
    const int close_read = TAVIO_CloseReadFile();
    return rc != 0 ? rc : close_read;
  });
}

extern "C" int TAVIO_TranslateFile(const char* destination, const char* source, int format) {
  return TAVIO_TranslateSubFile(destination, source, format, 0.0, -1.0);
}
