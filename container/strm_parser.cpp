// The chunk tree of the "STRM" form on the read side.
#include <cstdlib>

#include "chunk_list.h"

namespace orvela::kepr {

namespace {

STRMChannel& Channel(ParseState& s) {
  return s.out.strm.channels[s.channel];
}

bool Value(ParseState& s, uint32_t length) {
  // The list's room came from its length, but a u16 count bounds it too.
  if (*s.value_count >= s.value_room) return false;
  return ReadF64(s, length, &(*s.values)[(*s.value_count)++]);
}

constexpr ChunkRule kPrecRules[] = {{KEPR_ID('P', 'R', 'E', 'C'), Value}};
constexpr ChunkRule kPoscRules[] = {{KEPR_ID('P', 'O', 'S', 'C'), Value}};

// A "PRCS" or "POCS" list: room for (length div 16) values, each value chunk
// taking 16 bytes.  A repeated list replaces the earlier one.
bool ValueList(ParseState& s, uint32_t length, double** values, uint16_t* count,
               std::span<const ChunkRule> rules) {
  std::free(*values);
  *values = nullptr;
  *count = 0;
  s.value_room = std::min<uint32_t>(length / 16, UINT16_MAX);
  if (s.value_room > 0) {
    *values = static_cast<double*>(std::calloc(s.value_room, sizeof(double)));
    if (*values == nullptr) return false;
  }
  s.values = values;
  s.value_count = count;
  return ParseChunkList(s, rules, length);
}

bool Precisions(ParseState& s, uint32_t n) {
  STRMChannel& c = Channel(s);
  return ValueList(s, n, &c.precisions, &c.precisionCount, kPrecRules);
}
bool Positions(ParseState& s, uint32_t n) {
  STRMChannel& c = Channel(s);
  return ValueList(s, n, &c.positions, &c.positionCount, kPoscRules);
}
bool Name(ParseState& s, uint32_t n) {
  return ReadText(s, n, Channel(s).name, STRM_TEXT_ROOM);
}
bool Units(ParseState& s, uint32_t n) {
  return ReadText(s, n, Channel(s).units, STRM_TEXT_ROOM);
}
bool Transform(ParseState& s, uint32_t n) {
  return ReadU16(s, n, &Channel(s).transform);
}

constexpr ChunkRule kChanRules[] = {
    {KEPR_ID('N', 'A', 'M', 'E'), Name},      {KEPR_ID('E', 'U', ' ', ' '), Units},
    {KEPR_ID('X', 'F', 'R', 'M'), Transform}, {KEPR_ID('P', 'R', 'C', 'S'), Precisions},
    {KEPR_ID('P', 'O', 'C', 'S'), Positions},
};

// The channel's chunks fill the next free descriptor, which counts only once
// its list has parsed.
bool Chan(ParseState& s, uint32_t length) {
  if (s.out.strm.channelCount >= KEPR_MAX_CHANNELS) return false;
  s.channel = s.out.strm.channelCount;
  if (!ParseChunkList(s, kChanRules, length)) {
    // Not counted, so nobody else would ever free its arrays.
    STRMChannel& c = Channel(s);
    std::free(c.precisions);
    std::free(c.positions);
    c = STRMChannel{};
    return false;
  }
  ++s.out.strm.channelCount;
  return true;
}

constexpr ChunkRule kChnsRules[] = {{KEPR_ID('C', 'H', 'A', 'N'), Chan}};

bool Chns(ParseState& s, uint32_t length) {
  return ParseChunkList(s, kChnsRules, length);
}
bool ClockRate(ParseState& s, uint32_t n) {
  return ReadF64(s, n, &s.out.strm.clockRate);
}
bool Time(ParseState& s, uint32_t n) {
  return ReadU32(s, n, &s.out.strm.creationTime);
}
bool Scpp(ParseState& s, uint32_t n) {
  return ReadU32(s, n, &s.out.strm.scpp);
}

constexpr ChunkRule kConfRules[] = {
    {KEPR_ID('C', 'H', 'N', 'S'), Chns},
    {KEPR_ID('C', 'L', 'K', 'R'), ClockRate},
    {KEPR_ID('T', 'I', 'M', 'E'), Time},
    {KEPR_ID('S', 'C', 'P', 'P'), Scpp},
};

bool Conf(ParseState& s, uint32_t length) {
  return ParseChunkList(s, kConfRules, length);
}
bool Data(ParseState& s, uint32_t n) {
  return ReadBlock(s, n, &s.out.strm.dataLength, &s.out.strm.dataOffset);
}
bool Poll(ParseState& s, uint32_t n) {
  return ReadBlock(s, n, &s.out.strm.pollLength, &s.out.strm.pollOffset);
}
bool Events(ParseState& s, uint32_t n) {
  return ReadBlock(s, n, &s.out.strm.eventLength, &s.out.strm.eventOffset);
}

constexpr ChunkRule kFormRules[] = {
    {KEPR_ID('C', 'O', 'N', 'F'), Conf},
    {KEPR_ID('D', 'A', 'T', 'A'), Data},
    {KEPR_ID('P', 'O', 'L', 'L'), Poll},
    {KEPR_ID('E', 'V', 'N', 'T'), Events},
};

}  // namespace

bool ParseStrmForm(ParseState& state, uint64_t size) {
  return ParseChunkList(state, kFormRules, size);
}

}  // namespace orvela::kepr
