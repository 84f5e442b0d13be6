// The viewer's engine: the process-wide state of the one loaded data file,
// its EU conversion, the reduced graphs and the operations the commands run.
// Everything runs on the interpreter's thread; nothing here throws.
//
// Channels are numbered from 1 at the commands and stored from 0 here.
// Line k is sample set k of the file, at startsec + k * g_dClockPeriod.
#ifndef TRENDEL_ENGINE_ENGINE_H
#define TRENDEL_ENGINE_ENGINE_H

#include <cstdint>
#include <string>

#include "bcd_time.h"
#include "file_parse.h"
#include "graph.h"
#include "text.h"

namespace trendel {

inline constexpr int MAX_CHANNELS = 2048;
inline constexpr int kMaxSegments = 4;
inline constexpr uint32_t kBlockBufferSize = 4096100;  // the block buffer `data`
inline constexpr uint32_t kStampSize = 24;
inline constexpr int kPolyTerms = 10;

// ---- File fields (filled by readHeader) ---------------------------------
extern uint16_t ChannelCount;  // 0: no file loaded
extern uint32_t SamplesPerChannel;
extern uint16_t m_iXferStyle;
extern uint16_t iCalPoints;
extern uint32_t g_lClockRate;
extern double g_dClockPeriod;
extern uint8_t enhanced;
extern uint8_t numMbSegments;
extern uint16_t channelsInMbSegment[kMaxSegments];
extern uint32_t lastScanSubCount;

extern SSTR sChannelName[MAX_CHANNELS];
extern SSTR sUnits[MAX_CHANNELS];
extern int iUnits[MAX_CHANNELS];
extern STR sConversionType[MAX_CHANNELS];
extern int iConversionType[MAX_CHANNELS];
extern int iRefChannel[MAX_CHANNELS];
extern double dCounts_Volt[MAX_CHANNELS];
extern double dOffset_Volts[MAX_CHANNELS];
extern double dPolyCoeff[MAX_CHANNELS][kPolyTerms];
extern uint16_t usPolyOrder[MAX_CHANNELS];
extern double dEUAddr[MAX_CHANNELS];
extern int tcRefChans[MAX_CHANNELS];
extern int iNumRef;

// Derived fields.
extern int dataSize;
extern uint32_t ChannelSize;
extern uint64_t reduceSizeBy;
extern uint32_t channelOffset[MAX_CHANNELS];
extern uint32_t sampleOffset[MAX_CHANNELS];

// File slot (filled by GetFileInfo).
extern cFileParse fileParse;
extern uint64_t startpos;
extern double starttotalsec;
extern double startsec;
extern double endsec;
extern uint64_t numlines;
// Display range.
extern double starttime;
extern double endtime;

// The block buffer: whole scan blocks are read into it.  Declared as words
// so that the sample loops may read it as 16-bit values.
extern uint16_t data_words[kBlockBufferSize / 2];
inline uint8_t* BlockBytes() { return reinterpret_cast<uint8_t*>(data_words); }

// ---- Reader ---------------------------------------------------------------
// Reads and checks the header of `path`; on success replaces the file
// fields.  False when the file cannot be opened or its header is beyond what
// the engine can hold (the previous file's fields then stay).
bool readHeader(const char* path);
// Tables (first success only), readHeader, then the data: first stamp, line
// count and times; computes the full-graph decimation.  False as readHeader.
bool GetFileInfo(const char* path);
// The sample value at `offset` of a block held in `block`.
uint16_t getVal(const uint8_t* block, uint32_t offset);
// The length the loaders read of a file of `file_size` bytes (the padding of
// the last scan cut off where it lies at the end of the file).
uint64_t UsableSize(uint64_t file_size);
// Bytes in one scan block: S * ChannelSize, plus the stamp in plain files.
uint32_t BlockSize();
// Forgets the loaded file (ChannelCount = 0); used by tests and the fuzzer.
void ResetEngine();

// ---- Temperature tables and EU conversion ---------------------------------
inline constexpr int kNumTables = 10;
inline constexpr int kTableEntries = 2000;
struct QELTHERMOCOUPLE {
  double temp;
  double mv;
};
struct QELRTD {
  double temp;
  double ohms;
};
extern QELTHERMOCOUPLE QelThermoTables[kNumTables][kTableEntries];
extern int QelNumThermoTableEntries[kNumTables];
extern QELRTD QelRtdTables[kNumTables][kTableEntries];
extern int QelNumRtdTableEntries[kNumTables];
extern int QelThermoTablesRead;

enum ConversionCode {
  CONV_DEFAULT = 0,
  CONV_NONE = 1,
  CONV_COUNTS = 2,
  CONV_VOLTS = 3,
  CONV_LINEAR = 4,
  CONV_POLYNOMIAL = 5,
  CONV_TC_REFERENCE = 6,
  CONV_RTD_REFERENCE = 7,
  CONV_TYPE_B = 10,
  CONV_TYPE_T = 17,
};
enum UnitCode { UNIT_DEFAULT = 0, UNIT_DEG_C = 1, UNIT_DEG_F = 2, UNIT_DEG_K = 3 };

// Parses "tctables.txt" in the working directory (ParseTcTablesFrom: any
// path).  Returns 0 when read (also when empty), -1 when it cannot be opened.
int ParseTcTables();
int ParseTcTablesFrom(const char* path);
// Classifies channel c's conversion type text (stores it, sets the code, the
// unit code of temperature channels and the reference list).
void ClassifyConversion(int c, const char* text);
// Resolves reference name `name` for channel c against tcRefChans.
void ResolveReference(int c, const char* name);
double Counts2EU(double counts, double refcounts, int c);
double GetThermocoupleTemperature(int c, double mv, double refcounts);
double QelConvertMvToDegC(int table, double mv);
double QelConvertDegCToMv(int table, double degc);
double GetThermocoupleTemperatureEU(double degc, int unit);
double QelDegCToF(double degc);

// ---- Statistics -------------------------------------------------------------
extern cGraph fullgraph[MAX_CHANNELS];
extern cGraph graph[MAX_CHANNELS];
extern uint32_t fullDecimate;
extern uint32_t subDecimate;
extern uint64_t subFirstLine;
extern uint64_t subLastLine;
extern int analyzing;
extern uint16_t ff_values[MAX_CHANNELS];
extern uint16_t zero_values[MAX_CHANNELS];

void ComputeFullDecimation();
void ComputeFullStats();
void ComputeSubStats(double t1, double t2);
uint64_t TimeToLine(double t);
struct FilePos {
  uint64_t line;
  uint32_t scan;
  uint64_t offset;
};
FilePos TimeToFilePos(double t);
// The same for a line number.
FilePos LineToFilePos(uint64_t line);
// The cache path "%s.mm" made from the data file path up to its last dot.
std::string MinMaxCachePath(const char* data_path);
bool ReadMinMaxCache(bool part);
void WriteMinMaxCache();
// The number of minimum/maximum records a full computation of the loaded
// file yields with the current fullDecimate.
uint64_t ExpectedFullRecords();
// Reports progress into the script ("progressbar %f \"%s\"").
void progressbar(double fraction, const char* message);

// ---- Display ----------------------------------------------------------------
double PercentTime(int full, double fraction);
void ScaleToWindow(cGraph& g, const cGraph* ref, int c);
// Builds the point list text of channel index c (already mapped).
std::string ChannelPointList(int full, int c, int width, int height, bool has_range, double bottom, double top);

// ---- Commands ---------------------------------------------------------------
extern int usemapping;
int mapped_channel(int c);
// The exporter command line for the display range, or empty when the range
// lies outside the file.
std::string ExportCommandLine(const char* path, int mode);

}  // namespace trendel

#endif
