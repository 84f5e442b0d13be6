// The data file reader: the fixed header (readHeader), the data locator
// (GetFileInfo) and the sample accessor (getVal).
#include <cstring>
#include <memory>
#include <vector>

#include "engine.h"

namespace trendel {

uint16_t ChannelCount = 0;
uint32_t SamplesPerChannel = 0;
uint16_t m_iXferStyle = 0;
uint16_t iCalPoints = 0;
uint32_t g_lClockRate = 0;
double g_dClockPeriod = 0.0;
uint8_t enhanced = 0;
uint8_t numMbSegments = 0;
uint16_t channelsInMbSegment[kMaxSegments] = {};
uint32_t lastScanSubCount = 0;

SSTR sChannelName[MAX_CHANNELS];
SSTR sUnits[MAX_CHANNELS];
int iUnits[MAX_CHANNELS];
STR sConversionType[MAX_CHANNELS];
int iConversionType[MAX_CHANNELS];
int iRefChannel[MAX_CHANNELS];
double dCounts_Volt[MAX_CHANNELS];
double dOffset_Volts[MAX_CHANNELS];
double dPolyCoeff[MAX_CHANNELS][kPolyTerms];
uint16_t usPolyOrder[MAX_CHANNELS];
double dEUAddr[MAX_CHANNELS];
int tcRefChans[MAX_CHANNELS];
int iNumRef = 0;

int dataSize = 2;
uint32_t ChannelSize = 0;
uint64_t reduceSizeBy = 0;
uint32_t channelOffset[MAX_CHANNELS];
uint32_t sampleOffset[MAX_CHANNELS];

cFileParse fileParse;
uint64_t startpos = 0;
double starttotalsec = 0.0;
double startsec = 0.0;
double endsec = 0.0;
uint64_t numlines = 0;
double starttime = 0.0;
double endtime = 0.0;

alignas(64) uint16_t data_words[kBlockBufferSize / 2];

namespace {

constexpr uint64_t kFixedBlockEnd = 1014;  // end of the 1000-byte block
constexpr char kListDelims[] = "\t\v";

// Everything one header holds, read completely before any of it replaces
// the loaded file's fields, so that a refused file leaves them intact.
struct Header {
  uint16_t channels = 0;
  uint32_t samples = 0;
  uint16_t style = 0;
  uint16_t cal_points = 0;
  uint32_t rate = 0;
  uint8_t enhanced = 0;
  uint8_t segments = 0;
  uint16_t segment_channels[kMaxSegments] = {};
  uint32_t last_sub = 0;
  std::vector<std::string> lists[4];  // names, units, types, references
  bool has_refs = false;
  std::vector<double> counts_volt, offset, poly, adder;
  std::vector<uint16_t> order;
  uint64_t end = 0;
};

int DataSizeOf(uint16_t style) {
  switch (style) {
    case 4: case 5: return 2;
    case 6: case 7: case 8: return 4;
    case 9: return 8;
    default: return 2;
  }
}

// Reads one TAB/VT list; items beyond the tables are read and dropped.
// False when the file ends before the closing VT.
bool ReadList(cFileParse& rd, std::vector<std::string>& items, size_t item_limit) {
  char item[kStrSize];
  while (true) {
    char delim = 0;
    rd.getDelimStr(item, sizeof item, kListDelims, &delim);
    if (delim == 0) return false;
    if (items.size() < static_cast<size_t>(MAX_CHANNELS)) {
      item[item_limit] = '\0';
      items.emplace_back(item);
    }
    if (delim == '\v') return true;
  }
}

bool ReadDoubles(cFileParse& rd, std::vector<double>& out, size_t n) {
  out.assign(n, 0.0);
  for (size_t i = 0; i < n; ++i)
    if (!rd.getDouble(&out[i])) return false;
  return true;
}

/*
 * ParseHeader --
 *   Reads the fixed header of an open file and checks it against what the
 *   engine can hold.
 * Results:
 *   True when the header is complete and usable.
 * Side effects:
 *   Fills *h; moves the reader to the end of the header.
 */
bool ParseHeader(cFileParse& rd, Header* h) {
  if (!rd.getUShort(&h->channels) || !rd.getULong(&h->samples) || !rd.getUShort(&h->style) ||
      !rd.getUShort(&h->cal_points) || !rd.getULong(&h->rate) || !rd.getUByte(&h->enhanced))
    return false;
  // More channels than the tables hold (the keyed-header marker 0x7FFF and
  // container files included), no samples per scan or no clock: refused.
  if (h->channels == 0 || h->channels > MAX_CHANNELS || h->samples == 0 || h->rate == 0) return false;
  if (h->enhanced != 0) {
    if (!rd.getUByte(&h->segments)) return false;
    if (h->segments == 0 || h->segments > kMaxSegments) return false;
    uint32_t total = 0;
    for (int j = 0; j < h->segments; ++j) {
      if (!rd.getUShort(&h->segment_channels[j])) return false;
      total += h->segment_channels[j];
    }
    if (total != h->channels) return false;  // every channel needs its segment
  }
  uint8_t ref_kind = 0;
  if (!rd.getUByte(&ref_kind)) return false;
  if (ref_kind == 1) {
    rd.seekPos(9);
  }
  if (!rd.getULong(&h->last_sub)) return false;
  if (h->last_sub >= h->samples) return false;  // a scan cannot be all padding
  // The rest of the 1000-byte block is padding: the lists follow offset 1014.
  if (!rd.seekAbs(kFixedBlockEnd)) return false;
  const uint64_t block = static_cast<uint64_t>(h->samples) * h->channels * DataSizeOf(h->style) +
                         (h->enhanced != 0 ? 0 : kStampSize);
  if (block > kBlockBufferSize) return false;

  const size_t limits[4] = {kSstrSize - 1, kSstrSize - 1, kStrSize - 1, kSstrSize - 1};
  for (int list = 0; list < 3; ++list) {
    rd.seekPos(1);
    if (!ReadList(rd, h->lists[list], limits[list])) return false;
  }
  if (rd.peek("TC_Ref")) {
    rd.seekPos(7);
    h->has_refs = true;
    if (!ReadList(rd, h->lists[3], limits[3])) return false;
  }
  const size_t n = h->channels;
  if (!ReadDoubles(rd, h->counts_volt, n) || !ReadDoubles(rd, h->offset, n)) return false;
  if (rd.bytesRemaining() < 160 * n) return false;
  rd.seekPos(static_cast<int64_t>(160 * n));
  if (!ReadDoubles(rd, h->poly, kPolyTerms * n)) return false;
  h->order.assign(n, 0);
  for (size_t i = 0; i < n; ++i)
    if (!rd.getUShort(&h->order[i])) return false;
  if (!ReadDoubles(rd, h->adder, n)) return false;
  h->end = rd.pos;
  return true;
}

/*
 * CommitHeader --
 *   Makes a checked header the loaded file's fields.
 * Results:
 *   None.
 * Side effects:
 *   Replaces the file fields, the per-channel tables, the reference list and
 *   the derived sizes and offsets.
 */
void CommitHeader(const Header& h) {
  ChannelCount = h.channels;
  SamplesPerChannel = h.samples;
  m_iXferStyle = h.style;
  iCalPoints = h.cal_points;
  g_lClockRate = h.rate;
  g_dClockPeriod = 1.0 / h.rate;
  enhanced = h.enhanced;
  numMbSegments = h.segments;
  std::memcpy(channelsInMbSegment, h.segment_channels, sizeof channelsInMbSegment);
  lastScanSubCount = h.last_sub;

  const size_t n = h.channels;
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    const size_t i = static_cast<size_t>(c);
    CopyText(sChannelName[c], kSstrSize, i < h.lists[0].size() ? h.lists[0][i].c_str() : "");
    CopyText(sUnits[c], kSstrSize, i < h.lists[1].size() ? h.lists[1][i].c_str() : "");
    iUnits[c] = 0;
    iRefChannel[c] = -1;
    iConversionType[c] = CONV_COUNTS;
    sConversionType[c][0] = '\0';
    const bool in_file = i < n;
    dCounts_Volt[c] = in_file ? h.counts_volt[i] : 0.0;
    dOffset_Volts[c] = in_file ? h.offset[i] : 0.0;
    for (int m = 0; m < kPolyTerms; ++m) dPolyCoeff[c][m] = in_file ? h.poly[m * n + i] : 0.0;
    usPolyOrder[c] = in_file ? h.order[i] : 0;
    dEUAddr[c] = in_file ? h.adder[i] : 0.0;
    channelOffset[c] = 0;
    sampleOffset[c] = 0;
  }
  iNumRef = 0;
  for (size_t c = 0; c < h.lists[2].size(); ++c) ClassifyConversion(static_cast<int>(c), h.lists[2][c].c_str());
  if (h.has_refs)
    for (size_t c = 0; c < h.lists[3].size(); ++c) ResolveReference(static_cast<int>(c), h.lists[3][c].c_str());

  dataSize = DataSizeOf(h.style);
  ChannelSize = static_cast<uint32_t>(n) * static_cast<uint32_t>(dataSize);
  reduceSizeBy = static_cast<uint64_t>(lastScanSubCount) * ChannelSize;
  if (enhanced != 0) {
    uint32_t block_offset = 0;
    int channel = 0;
    for (int j = 0; j < numMbSegments; ++j) {
      const uint32_t nj = channelsInMbSegment[j];
      for (uint32_t i = 0; i < nj; ++i, ++channel) {
        channelOffset[channel] = block_offset + i * static_cast<uint32_t>(dataSize);
        sampleOffset[channel] = nj * static_cast<uint32_t>(dataSize);
      }
      block_offset += nj * static_cast<uint32_t>(dataSize) * SamplesPerChannel;
    }
  }
}

// Complete lines held by a trailing partial block of `rest` bytes.
uint64_t LinesInPartialBlock(uint64_t rest) {
  if (ChannelSize == 0) return 0;
  if (enhanced == 0) return rest > kStampSize ? (rest - kStampSize) / ChannelSize : 0;
  uint64_t lines = SamplesPerChannel;
  uint64_t first = 0;  // offset of the segment inside the block
  for (int j = 0; j < numMbSegments; ++j) {
    const uint64_t row = static_cast<uint64_t>(channelsInMbSegment[j]) * static_cast<uint32_t>(dataSize);
    if (row == 0) continue;
    const uint64_t have = rest > first ? (rest - first) / row : 0;
    if (have < lines) lines = have;
    first += row * SamplesPerChannel;
  }
  return lines;
}

}  // namespace

/*
 * UsableSize --
 *   The length the loaders may read of a file of `file_size` bytes.
 * Results:
 *   Plain files: the length without the padding of the last scan.  Enhanced
 *   files: the whole length, because there the padding closes every
 *   segment of the last scan, so that cutting it from the end of the file
 *   would cut real samples of the later segments; the loaders stop at
 *   numlines instead.
 * Side effects:
 *   None.
 */
uint64_t UsableSize(uint64_t file_size) {
  if (enhanced != 0) return file_size;
  return file_size > reduceSizeBy ? file_size - reduceSizeBy : 0;
}

uint32_t BlockSize() {
  return SamplesPerChannel * ChannelSize + (enhanced != 0 ? 0 : kStampSize);
}

/*
 * readHeader --
 *   Reads the fixed header of a data file.
 * Results:
 *   False when the file cannot be opened or holds a header the engine
 *   refuses (too many channels or segments, no samples per scan, no clock,
 *   scan blocks larger than the block buffer, a truncated header).
 * Side effects:
 *   On success replaces the file fields and leaves fileParse (closed) at the
 *   end of the header; on failure changes nothing.
 */
bool readHeader(const char* path) {
  cFileParse rd;
  if (!rd.openFile(path, "rb")) return false;
  auto header = std::make_unique<Header>();
  if (!ParseHeader(rd, header.get())) return false;
  rd.closeFile();
  CommitHeader(*header);
  fileParse.closeFile();
  CopyText(fileParse.fname, sizeof fileParse.fname, path);
  CopyText(fileParse.mode, sizeof fileParse.mode, "rb");
  fileParse.pos = header->end;
  return true;
}

/*
 * GetFileInfo --
 *   Loads a data file: its header, the first time stamp, the number of lines
 *   and the time span.
 * Results:
 *   False when readHeader fails.
 * Side effects:
 *   Parses "tctables.txt" until that has once succeeded; sets the file slot
 *   fields, the display range and fullDecimate.
 */
bool GetFileInfo(const char* path) {
  if (!QelThermoTablesRead && ParseTcTables() == 0) QelThermoTablesRead = 1;
  if (!readHeader(path)) return false;
  numlines = 0;
  starttotalsec = startsec = endsec = 0.0;
  if (fileParse.openAtLastPos()) {
    const uint64_t full_size = fileParse.size;
    fileParse.size = UsableSize(full_size);
    startpos = fileParse.pos + (enhanced != 0 ? kStampSize : 0);
    uint8_t stamp[20];
    if (!fileParse.eof() && fileParse.readBytes(stamp, sizeof stamp) == sizeof stamp) {
      const int d = bcdtime.setTime(stamp);
      starttotalsec = bcdtime.totalseconds;
      bcdtime.setTimeOffset(stamp, d);
      startsec = bcdtime.totalseconds;
      const uint64_t block = BlockSize();
      // Whole blocks within the length without the padding; the short last
      // scan then gives S - L lines, as far as its bytes are present.
      const uint64_t reduced = full_size > reduceSizeBy ? full_size - reduceSizeBy : 0;
      const uint64_t span = reduced > startpos ? reduced - startpos : 0;
      const uint64_t whole = span / block;
      numlines = whole * SamplesPerChannel;
      if (lastScanSubCount != 0) {
        const uint64_t rest = full_size > startpos + whole * block ? full_size - startpos - whole * block : 0;
        const uint64_t partial = LinesInPartialBlock(rest);
        const uint64_t last = SamplesPerChannel - lastScanSubCount;
        numlines += partial < last ? partial : last;
      }
    }
    fileParse.closeFile();
  } else {
    startpos = fileParse.pos;
  }
  endsec = numlines > 0 ? startsec + static_cast<double>(numlines - 1) * g_dClockPeriod : startsec;
  bcdtime.convertSecondsToTime(startsec);
  starttime = bcdtime.totalseconds;
  bcdtime.convertSecondsToTime(endsec);
  endtime = bcdtime.totalseconds;
  ComputeFullDecimation();
  return true;
}

uint16_t getVal(const uint8_t* block, uint32_t offset) {
  uint16_t v = 0;
  switch (m_iXferStyle) {
    case 4:
    case 6:
      std::memcpy(&v, block + offset, 2);
      return v;
    case 5:
      std::memcpy(&v, block + offset, 2);
      return static_cast<uint16_t>(v ^ 0x8000);  // signed sample to offset binary
    default:
      return 0;
  }
}

void ResetEngine() {
  fileParse.closeFile();
  fileParse.fname[0] = '\0';
  ChannelCount = 0;
  numlines = 0;
  startsec = endsec = starttime = endtime = starttotalsec = 0.0;
  fullDecimate = subDecimate = 0;
  subFirstLine = subLastLine = 0;
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    fullgraph[c].clearData();
    graph[c].clearData();
  }
}

}  // namespace trendel
