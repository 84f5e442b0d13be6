// Tests of the thermocouple table file the build writes for the viewer: read
// back the way the viewer reads it, it must give eu's tables row for row.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tc_tables.h"

namespace {

struct Section {
  std::string header;
  std::vector<std::string> rows;
};

std::vector<Section> ReadSections(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<Section> sections;
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(" ITS-90", 0) == 0) {
      sections.push_back({line, {}});
      std::getline(in, line);  // two column-heading lines
      std::getline(in, line);
    } else if (!sections.empty()) {
      sections.back().rows.push_back(line);
    }
  }
  return sections;
}

TEST(TcTablesFile, MatchesTheTablesOfEu) {
  const std::vector<Section> sections = ReadSections(std::string(ORVELA_BIN_DIR) + "/tctables.txt");
  ASSERT_EQ(sections.size(), 8u);
  const char letters[] = "BEJKNRST";
  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE(letters[i]);
    const Section& s = sections[i];
    EXPECT_NE(s.header.find(std::string("type ") + letters[i]), std::string::npos) << s.header;
    const orvela::eu::TcTable* t = orvela::eu::FindTcTable(3 + i);
    ASSERT_EQ(s.rows.size(), static_cast<size_t>(t->rows));
    for (int r = 0; r < t->rows; ++r) {
      const std::string& row = s.rows[r];
      // Plain decimals only: digits, one comma, a point, a leading minus.
      ASSERT_EQ(row.find_first_not_of("0123456789,.-"), std::string::npos) << row;
      const size_t comma = row.find(',');
      ASSERT_NE(comma, std::string::npos) << row;
      ASSERT_EQ(row.size() - row.find('.', comma) - 1, 5u) << row;  // five decimals of mV
      EXPECT_EQ(std::strtod(row.c_str(), nullptr), t->row[r].celsius) << row;
      EXPECT_EQ(std::strtod(row.c_str() + comma + 1, nullptr), t->row[r].millivolts) << row;
    }
  }
  EXPECT_EQ(sections[3].rows[370], "100,4.09623");
  EXPECT_EQ(sections[0].rows[20], "20,-0.00258");
  EXPECT_EQ(sections[0].rows[0], "0,0.00000");
}

}  // namespace
