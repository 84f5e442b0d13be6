// Tests of the calibration data sets: a sensor file opened, changed and
// written back through basalt's table, the damaged-file and name rules, and
// a write-back that fails part way.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "comm.h"
#include "eu.h"

namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Fixture(const char* name) {
  return Slurp(fs::path(ORVELA_SOURCE_DIR) / "serialization/calnest/tests/fixtures" / name);
}

class DataSetsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("orvela_data_sets_" + std::to_string(getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    file_ = dir_ / "sensor.xml";
    url_ = "drover://" + file_.string() + "?mode=\"r+\"";
    ASSERT_EQ(EUInit("basalt", &h_), 0);
  }
  void TearDown() override {
    if (h_ != nullptr) EUClose(&h_);
    fs::remove_all(dir_);
  }

  void Put(const std::string& text) { std::ofstream(file_, std::ios::binary) << text; }

  int Open(EUDataSetCollection** c) { return h_->ops.openDataSets(h_, url_.c_str(), c); }

  int Set(EUDataSetCollection* c, const char* name, const std::vector<double>& volts,
          const std::vector<double>& eus) {
    return h_->ops.setDataSet(h_, c, name, volts.data(), eus.data(), static_cast<int>(volts.size()));
  }

  std::vector<std::string> Names(EUDataSetCollection* c) {
    char** names = nullptr;
    int n = -1;
    EXPECT_EQ(h_->ops.getDataSetsIds(h_, c, &names, &n), 0);
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i) out.emplace_back(names[i]);
    return out;
  }

  size_t Entries() const {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_)) ++n;
    return n;
  }

  fs::path dir_, file_;
  std::string url_;
  EUHandle* h_ = nullptr;
};

const char* const kTwoSetsWritten =
    "<DataSets formatter=\"calnest://DataSets\">\n"
    "<DataSet ID=\"alpha\" formatter=\"calnest://DataSet\">\n"
    "<DataPoints formatter=\"calnest://DataPoints\">\n"
    "<DataPoint formatter=\"calnest://DataPoint\">\n"
    "<volts>0.333333</volts>\n"
    "<eus>100.000000</eus>\n"
    "</DataPoint>\n"
    "</DataPoints>\n"
    "</DataSet>\n"
    "<DataSet ID=\"beta\" formatter=\"calnest://DataSet\">\n"
    "<DataPoints formatter=\"calnest://DataPoints\">\n"
    "<DataPoint formatter=\"calnest://DataPoint\">\n"
    "<volts>0.500000</volts>\n"
    "<eus>1.000000</eus>\n"
    "</DataPoint>\n"
    "<DataPoint formatter=\"calnest://DataPoint\">\n"
    "<volts>-1.250000</volts>\n"
    "<eus>2.000000</eus>\n"
    "</DataPoint>\n"
    "</DataPoints>\n"
    "</DataSet>\n"
    "</DataSets>\n";

TEST_F(DataSetsTest, RoundTripThroughTheFile) {
  EUDataSetCollection* c = nullptr;
  ASSERT_EQ(Open(&c), 0);  // a missing file is created empty
  int n = -1;
  ASSERT_EQ(h_->ops.getNumDataSets(h_, c, &n), 0);
  EXPECT_EQ(n, 0);
  ASSERT_EQ(Set(c, "beta", {0.5, -1.25}, {1.0, 2.0}), 0);
  ASSERT_EQ(Set(c, "alpha", {1.0 / 3.0}, {100.0}), 0);
  ASSERT_EQ(h_->ops.closeDataSets(h_, &c), 0);
  EXPECT_EQ(c, nullptr);
  EXPECT_EQ(Slurp(file_), kTwoSetsWritten);
  EXPECT_EQ(Entries(), 1u);

  ASSERT_EQ(Open(&c), 0);
  EXPECT_EQ(Names(c), (std::vector<std::string>{"alpha", "beta"}));
  double* volts = nullptr;
  double* eus = nullptr;
  ASSERT_EQ(h_->ops.getDataSet(h_, c, "alpha", &volts, &eus, &n), 0);
  ASSERT_EQ(n, 1);
  EXPECT_EQ(volts[0], 0.333333);  // six decimals in the file
  EXPECT_EQ(eus[0], 100.0);
  ASSERT_EQ(h_->ops.getDataSet(h_, c, "beta", &volts, &eus, &n), 0);
  ASSERT_EQ(n, 2);
  EXPECT_EQ(volts[1], -1.25);
  char** names = nullptr;
  ASSERT_EQ(h_->ops.getDataSetsIds(h_, c, &names, &n), 0);
  ASSERT_EQ(EUClose(&h_), 0);  // closing the handle writes the file too
  EXPECT_EQ(Slurp(file_), kTwoSetsWritten);

  // Names handed out stay readable until the handle closes, also after the
  // collection whose records they name is gone.
  ASSERT_EQ(EUInit("basalt", &h_), 0);
  ASSERT_EQ(Open(&c), 0);
  ASSERT_EQ(h_->ops.getDataSetsIds(h_, c, &names, &n), 0);
  ASSERT_EQ(h_->ops.closeDataSets(h_, &c), 0);
  ASSERT_EQ(n, 2);
  EXPECT_STREQ(names[0], "alpha");
  EXPECT_STREQ(names[1], "beta");
}

TEST_F(DataSetsTest, SetUpdateRemoveAndLookUp) {
  EUDataSetCollection* c = nullptr;
  ASSERT_EQ(Open(&c), 0);
  ASSERT_EQ(Set(c, "k", {1.0}, {2.0}), 0);
  EXPECT_EQ(Set(c, "k", {3.0}, {4.0}), EU_E_EXISTS);
  EXPECT_EQ(h_->ops.updateDataSet(h_, c, "k", std::vector<double>{5.0, 6.0}.data(),
                                  std::vector<double>{7.0, 8.0}.data(), 2), 0);
  double* volts = nullptr;
  double* eus = nullptr;
  int n = 0;
  ASSERT_EQ(h_->ops.getDataSet(h_, c, "k", &volts, &eus, &n), 0);
  ASSERT_EQ(n, 2);
  EXPECT_EQ(volts[1], 6.0);
  EXPECT_EQ(eus[0], 7.0);
  EXPECT_GE(h_->ops.updateDataSet(h_, c, "new", nullptr, nullptr, 0), 0);  // the table adds it

  double* untouched = reinterpret_cast<double*>(0x1);
  int count = 99;
  EXPECT_EQ(h_->ops.getDataSet(h_, c, "missing", &untouched, &untouched, &count), EU_E_NOT_FOUND);
  EXPECT_EQ(untouched, reinterpret_cast<double*>(0x1));
  EXPECT_EQ(count, 99);
  EXPECT_EQ(h_->ops.removeDataSet(h_, c, "missing"), EU_E_NOT_FOUND);
  EXPECT_EQ(h_->ops.removeDataSet(h_, c, "k"), 0);
  EXPECT_EQ(Names(c), (std::vector<std::string>{"new"}));
  EXPECT_EQ(h_->ops.removeDataSet(h_, c, "new"), 0);

  char** names = reinterpret_cast<char**>(0x1);
  ASSERT_EQ(h_->ops.getDataSetsIds(h_, c, &names, &n), 0);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(names, reinterpret_cast<char**>(0x1));  // not touched for an empty collection
}

TEST_F(DataSetsTest, NamesThatCannotBeStoredAreRefused) {
  EUDataSetCollection* c = nullptr;
  ASSERT_EQ(Open(&c), 0);
  const std::string longest(63, 'n');
  const std::string too_long(64, 'n');
  double v = 1.0;
  struct Case {
    const char* name;
    int code;
  } cases[] = {
      {longest.c_str(), 0},
      {too_long.c_str(), EU_E_TABLE},
      {"with \"quote\"", EU_E_TABLE},  // would end the ID attribute early and spoil the file
      {"ends in formatter=", EU_E_TABLE},  // its closing quote would start the type
      {"formatter=inside", 0},
      {nullptr, EU_E_TABLE},
  };
  for (const Case& k : cases) {
    EXPECT_EQ(h_->ops.setDataSet(h_, c, k.name, &v, &v, 1), k.code) << (k.name ? k.name : "null");
    EXPECT_EQ(h_->ops.updateDataSet(h_, c, k.name, &v, &v, 1), k.code == 0 ? 0 : k.code);
  }
  EXPECT_EQ(h_->ops.setDataSet(h_, c, "negative", &v, &v, -1), EU_E_TABLE);
  EXPECT_EQ(h_->ops.setDataSet(h_, c, "no points", nullptr, nullptr, 2), EU_E_TABLE);
  EXPECT_EQ(Names(c), (std::vector<std::string>{"formatter=inside", longest}));
  ASSERT_EQ(h_->ops.closeDataSets(h_, &c), 0);
  ASSERT_EQ(Open(&c), 0);
  EXPECT_EQ(Names(c), (std::vector<std::string>{"formatter=inside", longest}));
}

TEST_F(DataSetsTest, FilesThatAreNotACollection) {
  struct Case {
    const char* name;
    std::string text;
    int code;
    int sets;
  } cases[] = {
      {"empty", "", 0, 0},
      {"white space only", " \n\t\r\n", 0, 0},
      {"more white space than one read", std::string(40000, ' '), 0, 0},
      {"white space before the root", " " + Fixture("two_sets.xml"), EU_E_NOT_DATA_SETS, -1},
      {"a root after much white space", std::string(40000, '\n') + Fixture("two_sets.xml"), EU_E_NOT_DATA_SETS,
       -1},
      {"empty root", Fixture("empty_root.xml"), 0, 0},
      {"two sets", Fixture("two_sets.xml"), 0, 2},
      {"cut inside the root", Fixture("cut_inside_root.xml"), EU_E_NOT_DATA_SETS, -1},
      {"instruction only", "<?xml version=\"1.0\"?>\n", EU_E_NOT_DATA_SETS, -1},
      {"parse error", Fixture("trailing_space.xml"), EU_E_NOT_DATA_SETS, -1},
      {"root of another kind", "<DataSet formatter=\"calnest://DataSet\"/>\n", EU_E_NOT_DATA_SETS, -1},
      {"empty root without formatter", Fixture("empty_root_no_formatter.xml"), EU_E_NOT_DATA_SETS, -1},
  };
  for (const Case& k : cases) {
    Put(k.text);
    EUDataSetCollection* c = nullptr;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Open(&c), k.code) << k.name;
    ::testing::internal::GetCapturedStderr();
    if (k.code == 0) {
      int n = -1;
      h_->ops.getNumDataSets(h_, c, &n);
      EXPECT_EQ(n, k.sets) << k.name;
      h_->ops.closeDataSets(h_, &c);
    } else {
      EXPECT_EQ(c, nullptr) << k.name;
      ASSERT_EQ(EUClose(&h_), 0);
      ASSERT_EQ(EUInit("basalt", &h_), 0);
      EXPECT_EQ(Slurp(file_), k.text) << k.name << ": a damaged file is left as it is";
    }
  }
}

TEST_F(DataSetsTest, CommunicationFailuresArePassedOn) {
  EUDataSetCollection* c = nullptr;
  ::testing::internal::CaptureStderr();
  const std::string read_only = "drover://" + file_.string() + "?mode=\"r\"";
  EXPECT_EQ(h_->ops.openDataSets(h_, read_only.c_str(), &c), -4);  // missing, not created
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "can't open file: No such file or directory\n");
  EXPECT_EQ(h_->ops.openDataSets(h_, "orvtestnone://x", &c), COMM_E_TRANSPORT);
  EXPECT_EQ(c, nullptr);
}

// A read that fails is not an empty file: the file is refused and kept.
TEST_F(DataSetsTest, FailingReadIsNotAnEmptyFile) {
  const std::string folder_url = "drover://" + dir_.string() + "?mode=\"r\"";  // a folder reads as an error
  EUDataSetCollection* c = nullptr;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(h_->ops.openDataSets(h_, folder_url.c_str(), &c), EU_E_NOT_DATA_SETS);
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(c, nullptr);
}

const char* const kNotWritten = "data sets not written back: the sensor file was left as it was\n";

// Changes that cannot be written are reported, by EUcloseDataSets's result
// and on standard error; a collection without changes loses nothing.
TEST_F(DataSetsTest, WriteBackThatCannotHappenIsReported) {
  const std::string before = Fixture("two_sets.xml");
  Put(before);
  url_ = "drover://" + file_.string() + "?mode=\"r\"";  // no rewrite through a channel only for reading
  EUDataSetCollection* c = nullptr;
  ASSERT_EQ(Open(&c), 0);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(h_->ops.closeDataSets(h_, &c), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");

  ASSERT_EQ(Open(&c), 0);
  ASSERT_EQ(Set(c, "new", {1.0}, {2.0}), 0);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(h_->ops.closeDataSets(h_, &c), EU_E_WRITE_BACK);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), kNotWritten);
  EXPECT_EQ(c, nullptr);

  ASSERT_EQ(Open(&c), 0);
  ASSERT_EQ(h_->ops.removeDataSet(h_, c, "alpha"), 0);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(EUClose(&h_), 0);  // the handle's close has no room for it: the message tells
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), kNotWritten);
  EXPECT_EQ(Slurp(file_), before);
  EXPECT_EQ(Entries(), 1u);
}

// A folder where no file can be made keeps the old file and says so.
TEST_F(DataSetsTest, ReadOnlyFolderKeepsTheFile) {
  if (geteuid() == 0) GTEST_SKIP() << "folder permissions do not bind the superuser";
  const std::string before = Fixture("two_sets.xml");
  Put(before);
  EUDataSetCollection* c = nullptr;
  ASSERT_EQ(Open(&c), 0);
  ASSERT_EQ(Set(c, "new", {1.0}, {2.0}), 0);
  fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::remove);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(h_->ops.closeDataSets(h_, &c), EU_E_WRITE_BACK);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), kNotWritten);
  fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(Slurp(file_), before);
  EXPECT_EQ(Entries(), 1u);
}

TEST_F(DataSetsTest, MemoryChannel) {
  const std::string text = Fixture("two_sets.xml");
  void* channel = nullptr;
  ASSERT_EQ(CommGetMemoryHandle(text.data(), static_cast<int>(text.size()), &channel), 0);
  EUDataSetCollection* c = nullptr;
  ASSERT_EQ(h_->ops.openDataSetsCOMM(h_, channel, &c), 0);
  EXPECT_EQ(Names(c), (std::vector<std::string>{"alpha", "thermo B"}));
  EXPECT_EQ(EUcloseDataSets(h_, &c), 0);  // releases the channel too
}

// The default file lies in the parent of the folder that holds eu.so.  A copy
// of eu.so in a folder of this test's own forms the URL from there, so the
// build's own default sensor file, which other tests use, is not touched.
TEST_F(DataSetsTest, DefaultSensorFileBesideTheLibraryFolder) {
  const fs::path library = dir_ / "bin" / "eu.so";
  fs::create_directories(library.parent_path());
  fs::copy_file(fs::path(ORVELA_BIN_DIR) / "eu.so", library);
  void* copy = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(copy, nullptr) << dlerror();
  auto open_default = reinterpret_cast<decltype(&EUopenDataSets)>(dlsym(copy, "EUopenDataSets"));
  ASSERT_NE(open_default, nullptr);
  ASSERT_NE(open_default, &EUopenDataSets);

  const fs::path file = dir_ / "program_files" / "sensor.xml";
  fs::create_directories(file.parent_path());
  EUDataSetCollection* c = nullptr;
  ASSERT_EQ(open_default(h_, nullptr, &c), 0);
  EXPECT_TRUE(fs::exists(file));  // created empty, opened with mode "r+"
  int n = -1;
  ASSERT_EQ(h_->ops.getNumDataSets(h_, c, &n), 0);
  EXPECT_EQ(n, 0);
  ASSERT_EQ(EUClose(&h_), 0);
  EXPECT_EQ(Slurp(file), "<DataSets formatter=\"calnest://DataSets\">\n</DataSets>\n");
}

// A write-back that fails part way (the file size limit of the process stands
// in for a full disk) must leave the previous sensor file whole.
TEST_F(DataSetsTest, FailingWriteBackKeepsThePreviousFile) {
  const std::string before = Fixture("two_sets.xml");
  Put(before);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    EUDataSetCollection* c = nullptr;
    if (Open(&c) != 0) _exit(2);
    std::vector<double> values(5000, 1.5);
    if (Set(c, "big", values, values) != 0) _exit(3);
    struct rlimit limit = {64 * 1024, 64 * 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    const int rc = h_->ops.closeDataSets(h_, &c);
    EUClose(&h_);
    _exit(rc == EU_E_WRITE_BACK ? 0 : 4);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(Slurp(file_), before);
  EXPECT_EQ(Entries(), 1u);  // no temporary file left behind

  // Without the limit the same change is written.
  EUDataSetCollection* c = nullptr;
  ASSERT_EQ(Open(&c), 0);
  std::vector<double> values(5000, 1.5);
  ASSERT_EQ(Set(c, "big", values, values), 0);
  ASSERT_EQ(EUClose(&h_), 0);
  EXPECT_GT(fs::file_size(file_), 64u * 1024u);
}

}  // namespace
