// Opening a sensor file as a data-set collection, and writing it back when
// the collection is closed.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "comm.h"
#include "data_sets.h"
#include "dynlib.h"
#include "handle.h"
#include "markal.h"
#include "serialize.h"
#include "shaper.h"

namespace {

constexpr size_t kUrlRoom = 256;
constexpr char kDataSetsUrl[] = "calnest://DataSets";

/*
 *----------------------------------------------------------------------
 * DefaultSensorUrl --
 *   Forms the URL of the default sensor file, program_files/sensor.xml in
 *   the parent of the folder that holds this library.
 * Results:
 *   true with the URL in url[0..kUrlRoom-1]; false when the library's path
 *   is unknown, longer than 255 characters, has fewer than two folders, or
 *   the URL would not fit.
 * Side effects:
 *   None.
 *----------------------------------------------------------------------
 */
bool DefaultSensorUrl(char (&url)[kUrlRoom]) {
  // The address of a function of this file names this very library: an
  // exported one could resolve to another copy of eu loaded before it.
  std::string path = orvela::platform::ModuleFileName(reinterpret_cast<const void*>(&DefaultSensorUrl));
  if (path.empty() || path.size() >= kUrlRoom) return false;
  for (int cut = 0; cut < 2; ++cut) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return false;
    path.resize(slash);
  }
  const int n = std::snprintf(url, kUrlRoom, "drover://%s/program_files/sensor.xml?mode=\"r+\"", path.c_str());
  return n > 0 && static_cast<size_t>(n) < kUrlRoom;
}

/*
 *----------------------------------------------------------------------
 * FinishCollection --
 *   Rewrites the sensor file with the whole collection and releases the
 *   collection's parts; a second call finds nothing left to do.
 * Results:
 *   0, or EU_E_WRITE_BACK when the collection held changes and the new
 *   text could not be put in place.
 * Side effects:
 *   The channel's rewrite puts the new text in place only when it was
 *   written completely; a failed write is abandoned, so the previous file
 *   stays as it was, and lost changes are reported on standard error.  The
 *   channel, the format object (with the tree it read) and a DataSets
 *   object made for an empty file are released.
 *----------------------------------------------------------------------
 */
int FinishCollection(EUDataSetCollection* c) {
  auto* channel = static_cast<CommHandle*>(c->comm);
  auto* format = static_cast<SerializeFormat*>(c->serializer);
  bool written = channel == nullptr;  // nothing left to write
  if (channel != nullptr && format != nullptr) {
    int rc = channel->prepareRewrite(channel);
    if (rc >= 0) rc = channel->rewind(channel);
    if (rc >= 0) rc = format->write(format, c->holder, kDataSetsUrl, channel);
    if (rc < 0) channel->abandonRewrite(channel);
    written = rc >= 0;
  }
  // The rename that puts the new text in place happens here.
  if (CommFreeHandle(&c->comm) < 0) written = false;
  SerializeDestroy(&c->serializer);
  if (c->formatter != nullptr) DBFClose(&c->formatter);
  c->comm = nullptr;
  c->serializer = nullptr;
  if (written || !c->changed) return 0;
  c->changed = false;
  std::fputs("data sets not written back: the sensor file was left as it was\n", stderr);
  return EU_E_WRITE_BACK;
}

// The collection block's destructor (EUClose).
void WriteBack(void* payload) { FinishCollection(static_cast<EUDataSetCollection*>(payload)); }

// The sensor file's channel as the reader sees it: each read is passed on,
// noting whether every byte so far was white space and how the input ended.
struct WatchedChannel {
  CommHandle handle{};  // what the reader is given; impl points back here
  CommHandle* channel = nullptr;
  bool blank = true;    // no byte other than white space was read
  bool ended = false;   // the channel reported the end of its content
  bool failed = false;  // a read failed

  static int Read(CommHandle* h, void* buffer, int count) {
    auto* w = static_cast<WatchedChannel*>(h->impl);
    const int n = w->channel->read(w->channel, buffer, count);
    if (n > 0 && w->blank) {
      const auto* bytes = static_cast<const unsigned char*>(buffer);
      for (int i = 0; i < n && w->blank; ++i) w->blank = std::isspace(bytes[i]) != 0;
    } else if (n == COMM_E_END) {
      w->ended = true;
    } else if (n <= 0 && n != COMM_E_AGAIN) {
      w->failed = true;
    }
    return n;
  }

  explicit WatchedChannel(CommHandle* real) : channel(real) {
    handle.read = Read;
    handle.fd = -1;
    handle.impl = this;
  }

  // Reads the rest of the content; true when it all was white space and
  // the content ended normally.
  bool OnlyBlank() {
    char block[4096];
    while (blank && !ended && !failed) {
      if (Read(&handle, block, static_cast<int>(sizeof block)) == COMM_E_AGAIN) continue;
    }
    return blank && ended && !failed;
  }
};

}  // namespace

extern "C" int EUopenDataSets(EUHandle* h, const char* url, EUDataSetCollection** out) {
  if (h == nullptr || out == nullptr) return EU_E_NO_HANDLE;
  char default_url[kUrlRoom];
  if (url == nullptr) {
    if (!DefaultSensorUrl(default_url)) return EU_E_NOT_FOUND;
    url = default_url;
  }
  void* comm = nullptr;
  const int rc = CommGetHandle(url, &comm);
  if (rc < 0) return rc;
  const int opened = h->ops.openDataSetsCOMM(h, comm, out);
  // A channel the collection did not take is closed again; closing a channel
  // that was only read leaves its file as it was.
  if (opened < 0) CommFreeHandle(&comm);
  return opened;
}

extern "C" int EUopenDataSetsCOMM(EUHandle* h, void* comm, EUDataSetCollection** out) {
  if (h == nullptr || out == nullptr) return EU_E_NO_HANDLE;
  auto* channel = static_cast<CommHandle*>(comm);
  if (channel == nullptr || channel->magic != COMM_MAGIC || channel->read == nullptr) return EU_E_NOT_DATA_SETS;
  void* serializer = nullptr;
  int rc = SerializeCreate("markal://", &serializer);
  if (rc < 0) return rc;
  auto* format = static_cast<SerializeFormat*>(serializer);

  void* data = nullptr;
  const char* type_url = nullptr;
  WatchedChannel watched(channel);
  rc = format->read(format, &data, &type_url, &watched.handle);
  bool empty_file = false;
  if (rc == MARKAL_E_INCOMPLETE || rc == MARKAL_E_PARSE) {
    // Only a file holding nothing but white space is an empty or new file
    // (the reader refuses one that is blank but not empty as malformed).  A
    // file that ends inside its root element is damaged, and so is one whose
    // read failed: an empty collection written back would replace whatever
    // they still hold, so they are refused and left alone.
    empty_file = watched.OnlyBlank();
    if (!empty_file) {
      SerializeDestroy(&serializer);
      return EU_E_NOT_DATA_SETS;
    }
  } else if (rc < 0 || type_url == nullptr || std::strcmp(type_url, kDataSetsUrl) != 0) {
    SerializeDestroy(&serializer);
    return EU_E_NOT_DATA_SETS;
  }

  void* formatter = nullptr;
  if (empty_file) {
    rc = DBFInit(kDataSetsUrl, &formatter, nullptr);
    if (rc < 0) {
      SerializeDestroy(&serializer);
      return rc;
    }
    auto* fo = static_cast<DBFFormatter*>(formatter);
    const int created = fo->create(fo, "");
    if (created < 0) {
      DBFClose(&formatter);
      SerializeDestroy(&serializer);
      return created;
    }
    fo->getData(fo, &data);
  }

  auto* c = static_cast<EUDataSetCollection*>(
      orvela::eu::AddResource(h, sizeof(EUDataSetCollection), WriteBack));
  if (c == nullptr) {
    if (formatter != nullptr) DBFClose(&formatter);
    SerializeDestroy(&serializer);
    return EU_E_NOMEM;
  }
  c->eu = h;
  c->serializer = serializer;
  c->holder = data;
  c->comm = comm;
  c->formatter = formatter;
  *out = c;
  return rc;
}

extern "C" int EUcloseDataSets(EUHandle* h, EUDataSetCollection** p) {
  if (p == nullptr || *p == nullptr) return 0;
  // Only a collection of this handle is written back; the block's
  // destructor then finds nothing left to do.
  const int rc = orvela::eu::HoldsResource(h, *p) ? FinishCollection(*p) : 0;
  orvela::eu::ReleaseResource(h, *p);
  *p = nullptr;
  return rc;
}
