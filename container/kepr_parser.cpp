// The chunk tree of the "KEPR" form on the read side.
#include "chunk_list.h"

namespace orvela::kepr {

namespace {

KEPRChannel& Channel(ParseState& s) {
  return s.out.kepr.channels[s.channel];
}

bool Name(ParseState& s, uint32_t n) {
  return ReadText(s, n, Channel(s).name, KEPR_TEXT_ROOM);
}
bool ConversionType(ParseState& s, uint32_t n) {
  return ReadText(s, n, Channel(s).conversionType, KEPR_TEXT_ROOM);
}
bool Units(ParseState& s, uint32_t n) {
  return ReadText(s, n, Channel(s).units, KEPR_TEXT_ROOM);
}
bool Reference(ParseState& s, uint32_t n) {
  return ReadText(s, n, Channel(s).referenceChannel, KEPR_TEXT_ROOM);
}
bool CalibrationSet(ParseState& s, uint32_t n) {
  return ReadText(s, n, Channel(s).calibrationSet, KEPR_TEXT_ROOM);
}
bool CountsPerVolt(ParseState& s, uint32_t n) {
  return ReadF64(s, n, &Channel(s).countsPerVolt);
}
bool ZeroOffset(ParseState& s, uint32_t n) {
  return ReadF64(s, n, &Channel(s).zeroOffset);
}
bool Tare(ParseState& s, uint32_t n) {
  return ReadF64(s, n, &Channel(s).tare);
}
bool ShuntCal(ParseState& s, uint32_t n) {
  return ReadF64(s, n, &Channel(s).shuntCal);
}
bool GaugeFactor(ParseState& s, uint32_t n) {
  return ReadF64(s, n, &Channel(s).gaugeFactor);
}

constexpr ChunkRule kChanRules[] = {
    {KEPR_ID('N', 'A', 'M', 'E'), Name},           {KEPR_ID('C', 'V', 'T', 'P'), ConversionType},
    {KEPR_ID('E', 'U', ' ', ' '), Units},          {KEPR_ID('T', 'C', 'R', 'F'), Reference},
    {KEPR_ID('M', 'C', 'A', 'L'), CalibrationSet}, {KEPR_ID('C', 'P', 'V', ' '), CountsPerVolt},
    {KEPR_ID('Z', 'O', ' ', ' '), ZeroOffset},     {KEPR_ID('T', 'A', 'R', 'E'), Tare},
    {KEPR_ID('S', 'C', 'A', 'L'), ShuntCal},       {KEPR_ID('G', 'F', 'A', 'C'), GaugeFactor},
};

bool Chan(ParseState& s, uint32_t length) {
  // The descriptor table has room for KEPR_MAX_CHANNELS; a further channel fails the parse.
  if (s.out.kepr.channelCount >= KEPR_MAX_CHANNELS) return false;
  s.channel = s.out.kepr.channelCount++;
  return ParseChunkList(s, kChanRules, length);
}

constexpr ChunkRule kChnsRules[] = {{KEPR_ID('C', 'H', 'A', 'N'), Chan}};

bool Chns(ParseState& s, uint32_t length) {
  return ParseChunkList(s, kChnsRules, length);
}
bool ClockRate(ParseState& s, uint32_t n) {
  return ReadF64(s, n, &s.out.kepr.clockRate);
}
bool Time(ParseState& s, uint32_t n) {
  return ReadU32(s, n, &s.out.kepr.creationTime);
}

constexpr ChunkRule kConfRules[] = {
    {KEPR_ID('C', 'H', 'N', 'S'), Chns},
    {KEPR_ID('C', 'L', 'K', 'R'), ClockRate},
    {KEPR_ID('T', 'I', 'M', 'E'), Time},
};

bool Conf(ParseState& s, uint32_t length) {
  return ParseChunkList(s, kConfRules, length);
}
bool Data(ParseState& s, uint32_t n) {
  return ReadBlock(s, n, &s.out.kepr.dataLength, &s.out.kepr.dataOffset);
}

constexpr ChunkRule kFormRules[] = {
    {KEPR_ID('C', 'O', 'N', 'F'), Conf},
    {KEPR_ID('D', 'A', 'T', 'A'), Data},
};

}  // namespace

bool ParseKeprForm(ParseState& state, uint64_t size) {
  return ParseChunkList(state, kFormRules, size);
}

}  // namespace orvela::kepr
