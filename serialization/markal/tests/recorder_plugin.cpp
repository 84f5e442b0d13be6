// A formatter plug-in for the markal tests ("orvtestrec://HOST"): every call
// the reader makes is appended to a log, and for the writer a few hosts offer
// fixed fields.  The tests read the log through orvtest_recorder_log.
#include <cstring>
#include <string>

#include "shaper.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::string g_log;

struct Node {
  DBFFormatter base;
  std::string host;
  std::string type_url;
  int field = 0;
  void* data = nullptr;  // what the writer passed to firstField
};

Node* Of(void* o) { return static_cast<Node*>(o); }

int GetTypeUrl(void* o, const char** url) {
  *url = Of(o)->type_url.c_str();
  return 0;
}

// Fields by host: "leaf" has two texts; "tree" has two leaves; "deep" holds
// itself (for the nesting limit); "odd" has a field of an unknown kind;
// "wide" has one text "w" whose value is the data being written.
int NextField(void* o, const char** name, void** value, int* kind, const char** type_url, int* context) {
  Node* n = Of(o);
  const int i = n->field++;
  *context = 0;
  if (n->host == "leaf" && i < 2) {
    *name = i == 0 ? "a" : "b";
    *value = const_cast<char*>(i == 0 ? "1" : "x&y");
    *kind = 1;
    return 0;
  }
  if ((n->host == "tree" && i < 2) || (n->host == "deep" && i < 1)) {
    *name = "";
    *value = nullptr;
    *kind = 2;
    *type_url = n->host == "tree" ? "orvtestrec://leaf" : "orvtestrec://deep";
    return 0;
  }
  if (n->host == "wide" && i < 1) {
    *name = "w";
    *value = n->data;
    *kind = 1;
    return 0;
  }
  if (n->host == "odd" && i < 1) {
    *kind = 7;
    return 0;
  }
  return -6;
}

int FirstField(void* o, void* data, const char** name, void** value, int* kind, const char** type_url,
               int* context) {
  Of(o)->field = 0;
  Of(o)->data = data;
  return NextField(o, name, value, kind, type_url, context);
}

int SetValue(void* o, const char* element, const char* text) {
  g_log += "text " + Of(o)->host + " " + element + " [" + text + "]\n";
  return 0;
}

int Create(void* o, const char* id) {
  g_log += "create " + Of(o)->host + " [" + id + "]\n";
  return Of(o)->host == "refuse" ? -1 : 0;
}

int GetId(void* o, void*, const char** id) {
  *id = Of(o)->host == "tree" ? "T1" : "";
  return 0;
}

int SetId(void*, const char*) { return -3; }

int GetData(void* o, void** data) {
  *data = o;
  return 0;
}

int GetName(void* o, void*, const char** name) {
  *name = Of(o)->host.c_str();
  return 0;
}

int AddRef(void* o) { return ++Of(o)->base.refCount; }

}  // namespace

EXPORT int init(void** out, DecodedUrl* url, void* parent) {
  if (std::strcmp(url->host, "nothing") == 0) return -2;
  auto* n = new Node{};
  n->base.refCount = 1;
  n->base.getTypeUrl = GetTypeUrl;
  n->base.firstField = FirstField;
  n->base.nextField = NextField;
  n->base.setValue = SetValue;
  n->base.create = Create;
  n->base.getId = GetId;
  n->base.setId = SetId;
  n->base.getData = GetData;
  n->base.getName = GetName;
  n->base.addRef = AddRef;
  n->host = url->host;
  n->type_url = std::string("orvtestrec://") + url->host;
  g_log += "init " + n->host + (parent != nullptr ? " under " + Of(parent)->host : std::string()) + "\n";
  *out = n;
  return 0;
}

EXPORT int close(void** p) {
  Node* n = Of(*p);
  if (--n->base.refCount > 0) return 0;
  g_log += "close " + n->host + "\n";
  delete n;
  *p = nullptr;
  return 0;
}

// Returns the log so far; a non-zero `clear` empties it afterwards.
EXPORT const char* orvtest_recorder_log(int clear) {
  static std::string copy;
  copy = g_log;
  if (clear) g_log.clear();
  return copy.c_str();
}
