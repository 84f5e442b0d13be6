// The text writers "DIZ" and "DIZ_NOHEADER": engineering-unit values of the
// file open for reading, one TAB-separated row per sample set with its date
// and time, under a header block that describes the channels ("DIZ" only).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>

#include "format_writers.h"
#include "tavio.h"

namespace orvela::tavio {

namespace {

// Writes the text items of one header block; after the first failing getter
// or write it writes no more items, but still every line end.
class HeaderText {
 public:
  explicit HeaderText(std::FILE* stream) : stream_(stream) {}

  void Item(const char* text) {
    if (!failed_ && std::fputs(text, stream_) < 0) failed_ = true;
  }
  template <typename... Args>
  void Item(const char* format, Args... args) {
    if (failed_) return;
    if (std::fprintf(stream_, format, args...) < 0) failed_ = true;
  }
  void Fail() { failed_ = true; }
  void EndLine() {
    if (std::fputs("\n", stream_) < 0) failed_ = true;
  }
  bool Failed() const { return failed_; }

 private:
  std::FILE* stream_;
  bool failed_ = false;
};

void WriteHeaderBlock(HeaderText& out, const DataFileContext& ctx) {
  const int n = ctx.description.channel_count;
  char text[kTextRoom];
  out.Item("%lf", ctx.description.clock_rate);
  out.EndLine();
  for (int ch = 1; ch <= n; ++ch) out.Item("\tChan %d", ch);
  out.EndLine();
  using TextGetter = int (*)(int, char*);
  for (TextGetter get : {TAVIO_GetChannelName, TAVIO_GetChannelUnits, TAVIO_GetConversionType}) {
    for (int ch = 1; ch <= n && !out.Failed(); ++ch) {
      if (get(ch, text) != 0) out.Fail();
      else out.Item("\t%s", text);
    }
    out.EndLine();
  }
  for (int ch = 1; ch <= n && !out.Failed(); ++ch) {
    double cpv = 0.0;
    if (TAVIO_GetCountsPerVolt(ch, &cpv) != 0) out.Fail();
    else out.Item("\t%f", cpv);
  }
  out.EndLine();
  for (int ch = 1; ch <= n && !out.Failed(); ++ch) {
    unsigned short offset = 0;
    if (TAVIO_GetOffsetCount(ch, &offset) != 0) out.Fail();
    else out.Item("\t%d", static_cast<int>(offset));
  }
  out.EndLine();
  int rows = 0;  // the largest order + 1: one row per coefficient
  for (int ch = 1; ch <= n && !out.Failed(); ++ch) {
    unsigned short order = 0;
    if (TAVIO_GetPolynomialOrder(ch, &order) != 0) {
      out.Fail();
    } else {
      out.Item("\t%d", static_cast<int>(order));
      if (order + 1 > rows) rows = order + 1;
    }
  }
  out.EndLine();
  for (int j = 1; j <= rows; ++j) {
    for (int ch = 1; ch <= n && !out.Failed(); ++ch) {
      unsigned short order = 0;
      double coeff = 0.0;
      if (TAVIO_GetPolynomialOrder(ch, &order) != 0) out.Fail();
      else if (j > order + 1) out.Item("\t");
      else if (TAVIO_GetPolynomialCoeff(ch, j, &coeff) != 0) out.Fail();
      else out.Item("\t%lf", coeff);
    }
    out.EndLine();
  }
}

// "year/month/day hour:minute:second" of the local time `whole` seconds after
// 1970, then the fraction as ".dddddd" and a TAB.
bool WriteRowTime(std::FILE* stream, double t) {
  const double whole = std::floor(t);
  // Beyond some ten thousand years the date is not representable anyway.
  if (!(std::fabs(whole) < 1.0e12)) return false;
  const std::time_t seconds = static_cast<std::time_t>(whole);
  std::tm local{};
  if (localtime_r(&seconds, &local) == nullptr) return false;
  if (std::fprintf(stream, "%d/%d/%d %d:%d:%d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                   local.tm_hour, local.tm_min, local.tm_sec) < 0)
    return false;
  char fraction[64];
  std::snprintf(fraction, sizeof fraction, "%lf\t", t - whole);
  return std::fputs(fraction + 1, stream) >= 0;  // "0.250000\t" is written ".250000\t"
}

}  // namespace

int WriteTextHeader(DataFileContext& ctx) {
  std::FILE* stream = std::fopen(ctx.path, "w");
  if (stream == nullptr) return TAVIO_E_TEXT_WRITE;
  ctx.output.stream = stream;
  ctx.output.column = 0;
  if (ctx.format != kFormatDiz) return 0;
  HeaderText out(stream);
  WriteHeaderBlock(out, ctx);
  if (!out.Failed()) return 0;
  // No file stays open after a failed header; what was written is kept.
  std::fclose(stream);
  ctx.output.stream = nullptr;
  return TAVIO_E_TEXT_WRITE;
}

int WriteTextRows(DataFileContext& ctx, const uint8_t* data, int count) {
  std::FILE* stream = ctx.output.stream;
  if (stream == nullptr) return TAVIO_E_NOT_OPEN;
  if (count <= 0) return 0;
  if (data == nullptr) return TAVIO_E_INDEX;
  const DataFileContext& rd = ReadContext();
  const double t = CurrentSampleSeconds(rd);
  if (!WriteRowTime(stream, t)) return TAVIO_E_TEXT_WRITE;
  const int channels = rd.description.channel_count;
  const bool is_signed = (ctx.description.input_data_type & 1u) != 0;
  for (int i = 0; i + 1 < count; i += 2) {
    // Words are little-endian counts, unsigned unless the file was created
    // for signed data, whose words stand for negative counts too.
    const unsigned word = static_cast<unsigned>(data[i]) | static_cast<unsigned>(data[i + 1]) << 8;
    const double counts = is_signed ? static_cast<double>(static_cast<int16_t>(word)) : static_cast<double>(word);
    double eu = 0.0;
    if (TAVIO_CalcEUFromCounts(ctx.output.column + 1, counts, &eu) != 0)
      return TAVIO_E_TEXT_WRITE;
    if (std::fprintf(stream, "%lf", eu) < 0) return TAVIO_E_TEXT_WRITE;
    ++ctx.output.column;
    const char* separator = "\t";
    if (ctx.output.column >= channels) {
      ctx.output.column = 0;
      separator = "\n";
    }
    if (std::fputs(separator, stream) < 0) return TAVIO_E_TEXT_WRITE;
  }
  return 0;
}

int CloseTextFile(DataFileContext& ctx) {
  std::FILE* stream = ctx.output.stream;
  if (stream == nullptr) return TAVIO_E_NOT_OPEN;
  ctx.output.stream = nullptr;
  bool ok = std::ferror(stream) == 0;
  if (std::fclose(stream) != 0) ok = false;
  return ok ? 0 : TAVIO_E_CLOSE;
}

}  // namespace orvela::tavio
