// Tests of decodeurl: the URLs of the product, limits of every component,
// escapes, ports, and that a failure leaves the output untouched.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ostrel.h"

namespace {

struct UrlCase {
  const char* label;
  std::string url;
  int rc;
  // Expected parts when rc is 0.
  std::string scheme = {}, host = {}, path = {}, extra = {};
  uint16_t port = 0;
};

std::string Repeat(char c, size_t n) {
  return std::string(n, c);
}

class DecodeUrlTest : public ::testing::TestWithParam<UrlCase> {};

TEST_P(DecodeUrlTest, SplitsOrRefuses) {
  const UrlCase& c = GetParam();
  DecodedUrl out;
  std::memset(&out, 0xAB, sizeof out);
  DecodedUrl before = out;
  ASSERT_EQ(decodeurl(&out, c.url.c_str()), c.rc);
  if (c.rc != 0) {
    EXPECT_EQ(std::memcmp(&out, &before, sizeof out), 0) << "output changed on failure";
    return;
  }
  EXPECT_EQ(out.scheme, c.scheme);
  EXPECT_EQ(out.host, c.host);
  EXPECT_EQ(out.path, c.path);
  EXPECT_EQ(out.extra, c.extra);
  EXPECT_EQ(out.port, c.port);
}

const std::string k31 = Repeat('s', 31);
const std::string k127 = Repeat('h', 127);

INSTANTIATE_TEST_SUITE_P(
    ProductUrls, DecodeUrlTest,
    ::testing::Values(UrlCase{"data_sets", "calnest://DataSets", 0, "calnest", "DataSets", "", "", 0},
                      UrlCase{"data_points", "calnest://DataPoints", 0, "calnest", "DataPoints", "", "", 0},
                      UrlCase{"scheme_only", "markal://", 0, "markal", "", "", "", 0},
                      UrlCase{"sensor_file", "drover:///opt/orvela/program_files/sensor.xml?mode=\"r+\"", 0,
                              "drover", "", "/opt/orvela/program_files/sensor.xml", "?mode=\"r+\"", 0},
                      UrlCase{"relative_file", "drover://s.xml", 0, "drover", "s.xml", "", "", 0},
                      UrlCase{"host_and_path", "drover://host/dir/file.xml", 0, "drover", "host",
                              "/dir/file.xml", "", 0}),
    [](const auto& info) { return std::string(info.param.label); });

INSTANTIATE_TEST_SUITE_P(
    Parts, DecodeUrlTest,
    ::testing::Values(
        UrlCase{"port", "http://example.com:8080/a/b", 0, "http", "example.com", "/a/b", "", 8080},
        UrlCase{"port_max", "http://h:65535", 0, "http", "h", "", "", 65535},
        UrlCase{"port_too_big", "http://h:65536/", -1}, UrlCase{"port_not_a_number", "http://h:8o/", -1},
        UrlCase{"port_empty", "http://h:/p", -1},
        UrlCase{"fragment", "http://h/p#top", 0, "http", "h", "/p", "#top", 0},
        UrlCase{"query_then_fragment", "http://h/p?a=1#b", 0, "http", "h", "/p", "?a=1#b", 0},
        UrlCase{"query_without_path", "http://h?x", 0, "http", "h", "", "?x", 0},
        UrlCase{"user_and_password_dropped", "ftp://me:secret@h:21/f", 0, "ftp", "h", "/f", "", 21},
        UrlCase{"escape_41_is_A", "x://h%41st/p%41th?%41", 0, "x", "hAst", "/pAth", "?A", 0},
        UrlCase{"escape_lower_hex", "x://%2fdir%2Fx", 0, "x", "/dir/x", "", "", 0},
        UrlCase{"incomplete_escape_kept", "x://h/p%4", 0, "x", "h", "/p%4", "", 0},
        UrlCase{"escape_of_nul_refused", "x://h/p%00", -1}, UrlCase{"no_separator", "calnest:DataSets", -1},
        UrlCase{"no_scheme", "://host", -1}, UrlCase{"plain_text", "DataSets", -1}, UrlCase{"empty", "", -1},
        UrlCase{"bad_scheme_character", "cal nest://x", -1},
        UrlCase{"scheme_punctuation", "a+b-c.d://x", 0, "a+b-c.d", "x", "", "", 0}),
    [](const auto& info) { return std::string(info.param.label); });

INSTANTIATE_TEST_SUITE_P(
    Limits, DecodeUrlTest,
    ::testing::Values(
        UrlCase{"scheme_31", k31 + "://h", 0, k31, "h", "", "", 0},
        UrlCase{"scheme_32", Repeat('s', 32) + "://h", -1},
        UrlCase{"scheme_40", Repeat('s', 40) + "://h", -1},
        UrlCase{"host_127", "x://" + k127, 0, "x", k127, "", "", 0},
        UrlCase{"host_128", "x://" + Repeat('h', 128), -1},
        UrlCase{"path_127", "x://h/" + Repeat('p', 126), 0, "x", "h", "/" + Repeat('p', 126), "", 0},
        UrlCase{"path_128", "x://h/" + Repeat('p', 127), -1},
        UrlCase{"extra_127", "x://h?" + Repeat('e', 126), 0, "x", "h", "", "?" + Repeat('e', 126), 0},
        UrlCase{"extra_128", "x://h?" + Repeat('e', 127), -1},
        UrlCase{"very_long_path", "x://h/" + Repeat('p', 5000), -1},
        // The limits apply to the decoded text: 130 characters that decode to 127.
        UrlCase{"escapes_decoded_within_limit", "x://" + Repeat('h', 126) + "%41", 0, "x",
                Repeat('h', 126) + "A", "", "", 0}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(DecodeUrl, NullArgumentsAreRefused) {
  DecodedUrl out;
  EXPECT_EQ(decodeurl(nullptr, "calnest://DataSets"), -1);
  EXPECT_EQ(decodeurl(&out, nullptr), -1);
}

TEST(DecodeUrl, EveryPartIsTerminatedWithinItsRoom) {
  DecodedUrl out;
  std::memset(&out, 'Z', sizeof out);
  const std::string url = k31 + "://" + k127 + "/" + Repeat('p', 126) + "?" + Repeat('e', 126);
  ASSERT_EQ(decodeurl(&out, url.c_str()), 0);
  EXPECT_EQ(out.scheme[31], '\0');
  EXPECT_EQ(out.host[127], '\0');
  EXPECT_EQ(out.path[127], '\0');
  EXPECT_EQ(out.extra[127], '\0');
}

}  // namespace
