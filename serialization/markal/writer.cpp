// The writer: a tree of formatter objects as one element per line.
#include <cstdio>
#include <cstring>

#include "format_ops.h"
#include "shaper.h"

namespace markal {
namespace {

constexpr int kLineMax = 511;

// Formats one line and writes it whole.  Returns 0 or MARKAL_E_SHORT.
template <typename... Args>
int WriteLine(CommHandle* channel, const char* format, Args... args) {
  char line[kLineMax + 1];
  const int n = std::snprintf(line, sizeof line, format, args...);
  if (n < 0 || n > kLineMax) return MARKAL_E_SHORT;
  return channel->write(channel, line, n) == n ? 0 : MARKAL_E_SHORT;
}

// Closes the element's object and passes `rc` on.
int CloseAnd(void* object, int rc) {
  DBFClose(&object);
  return rc;
}

/*
 *----------------------------------------------------------------------
 * WriteElement --
 *   Writes `data` as an element of `type_url` under `parent`: the start
 *   tag line, one line per text field, nested elements for object
 *   fields, and the closing line when the iteration ended normally.
 * Results:
 *   0; MARKAL_E_SHORT for a line the channel did not take whole;
 *   MARKAL_E_KIND for a field of another kind or too deep a nesting;
 *   the formatter registry's code when no object can be made.
 * Side effects:
 *   Lines are written to the channel; the element's object is closed.
 *----------------------------------------------------------------------
 */
int WriteElement(void* data, const char* type_url, void* parent, CommHandle* channel, int depth) {
  if (depth > kMaxDepth) return MARKAL_E_KIND;
  void* object = nullptr;
  const int init_rc = DBFInit(type_url, &object, parent);
  if (init_rc < 0) return init_rc;
  auto* fo = static_cast<DBFFormatter*>(object);
  if (fo == nullptr || fo->getName == nullptr || fo->getId == nullptr || fo->firstField == nullptr ||
      fo->nextField == nullptr) {
    return object != nullptr ? CloseAnd(object, MARKAL_E_KIND) : MARKAL_E_KIND;
  }
  const char* name = "";
  const char* id = "";
  if (fo->getName(fo, data, &name) < 0 || name == nullptr) name = "";
  if (fo->getId(fo, data, &id) < 0 || id == nullptr) id = "";

  int rc = id[0] != '\0' ? WriteLine(channel, "<%s ID=\"%s\" formatter=\"%s\">\n", name, id, type_url)
                         : WriteLine(channel, "<%s formatter=\"%s\">\n", name, type_url);
  if (rc < 0) return CloseAnd(object, rc);

  const char* field = nullptr;
  void* value = nullptr;
  int kind = 0;
  const char* field_type = nullptr;
  int context = 0;
  rc = fo->firstField(fo, data, &field, &value, &kind, &field_type, &context);
  while (rc >= 0) {
    if (kind == 1) {
      rc = WriteLine(channel, "<%s>%s</%s>\n", field != nullptr ? field : "",
                     value != nullptr ? static_cast<const char*>(value) : "", field != nullptr ? field : "");
    } else if (kind == 2 || kind == 3) {
      rc = field_type != nullptr ? WriteElement(value, field_type, fo, channel, depth + 1) : MARKAL_E_KIND;
    } else {
      return CloseAnd(object, MARKAL_E_KIND);
    }
    if (rc < 0) break;
    rc = fo->nextField(fo, &field, &value, &kind, &field_type, &context);
  }
  // Only a complete iteration closes the element; a failure leaves it open,
  // and the caller must not keep the text.
  if (rc == -6) rc = WriteLine(channel, "</%s>\n", name);
  return CloseAnd(object, rc);
}

}  // namespace

int Write(void* format, void* data, const char* type_url, CommHandle* channel) {
  if (format == nullptr || type_url == nullptr || channel == nullptr || channel->write == nullptr) {
    return MARKAL_E_SHORT;
  }
  return WriteElement(data, type_url, nullptr, channel, 1);
}

}  // namespace markal
