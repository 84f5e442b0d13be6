// Opening a sensor file as a data-set collection, and writing it back when
// the collection is closed.
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
  std::string path = orvela::platform::ModuleFileName(reinterpret_cast<const void*>(&EUopenDataSets));
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
 * WriteBack --
 *   The collection block's destructor: rewrites the sensor file with the
 *   whole collection and releases the collection's parts.
 * Results:
 *   None.
 * Side effects:
 *   The channel's rewrite puts the new text in place only when it was
 *   written completely; a failed write is abandoned, so the previous file
 *   stays as it was.  The channel, the format object (with the tree it
 *   read) and a DataSets object made for an empty file are released.
 *----------------------------------------------------------------------
 */
void WriteBack(void* payload) {
  auto* c = static_cast<EUDataSetCollection*>(payload);
  auto* channel = static_cast<CommHandle*>(c->comm);
  auto* format = static_cast<SerializeFormat*>(c->serializer);
  if (channel != nullptr && format != nullptr) {
    int rc = channel->prepareRewrite(channel);
    if (rc >= 0) rc = channel->rewind(channel);
    if (rc >= 0) rc = format->write(format, c->holder, kDataSetsUrl, channel);
    if (rc < 0) channel->abandonRewrite(channel);
  }
  CommFreeHandle(&c->comm);
  SerializeDestroy(&c->serializer);
  if (c->formatter != nullptr) DBFClose(&c->formatter);
}

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

  const int64_t start = channel->position(channel);
  void* data = nullptr;
  const char* type_url = nullptr;
  rc = format->read(format, &data, &type_url, channel);
  bool empty_file = false;
  if (rc == MARKAL_E_INCOMPLETE) {
    // Nothing read at all is an empty or new file.  A file that ends inside
    // its root element is damaged; an empty collection written back would
    // replace whatever it still holds, so it is refused and left alone.
    empty_file = start >= 0 && channel->position(channel) == start;
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
  orvela::eu::ReleaseResource(h, *p);
  *p = nullptr;
  return 0;
}
