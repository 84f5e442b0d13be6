// The formatting front ends: formatted text, formatted scripts, formatted results.
#include <cstdio>
#include <cstring>

#include "et.h"
#include "host_internal.h"

Tcl_Interp* Et_Interp = nullptr;

namespace trendel::host {
int eval_trace = 0;
}  // namespace trendel::host

namespace {

constexpr int kLocalRoom = 200;  // output starts here and moves to the heap beyond it

// Growing output of Et_FormatAlloc: a local buffer first, then Tcl memory.
struct Growing {
  char local[kLocalRoom];
  char* text = local;
  int length = 0;
  int capacity = kLocalRoom;
};

/*
 * GrowingSink --
 *	Appends `count` characters to a Growing buffer.
 * Results:
 *	None.
 * Side effects:
 *	When the text would not fit (terminator included) the capacity becomes
 *	length + 2 * count + 1 and the text moves to, or grows in, Tcl memory.
 */
void GrowingSink(void* state, const char* chars, int count) {
  auto* g = static_cast<Growing*>(state);
  if (g->length + count + 1 > g->capacity) {
    const int capacity = g->length + 2 * count + 1;
    if (g->text == g->local) {
      char* heap = Tcl_Alloc(static_cast<unsigned>(capacity));
      std::memcpy(heap, g->local, static_cast<size_t>(g->length));
      g->text = heap;
    } else {
      g->text = Tcl_Realloc(g->text, static_cast<unsigned>(capacity));
    }
    g->capacity = capacity;
  }
  std::memcpy(g->text + g->length, chars, static_cast<size_t>(count));
  g->length += count;
}

char* FormatAllocV(const char* format, va_list ap) {
  Growing g;
  if (format != nullptr) Et_FormatCore(GrowingSink, &g, format, ap);
  char* result = Tcl_Alloc(static_cast<unsigned>(g.length + 1));
  std::memcpy(result, g.text, static_cast<size_t>(g.length));
  result[g.length] = '\0';
  if (g.text != g.local) Tcl_Free(g.text);
  return result;
}

void DStringSink(void* state, const char* chars, int count) {
  Tcl_DStringAppend(static_cast<Tcl_DString*>(state), chars, count);
}

/*
 * EvalFormatted --
 *	Formats a script and evaluates it, tracing when Et_EvalTrace is set.
 * Results:
 *	The Tcl return code of the evaluation; TCL_ERROR without an
 *	interpreter or format.
 * Side effects:
 *	Whatever the script does; trace lines on standard output.
 */
int EvalFormatted(Tcl_Interp* interp, int flags, const char* format, va_list ap) {
  if (interp == nullptr || format == nullptr) return TCL_ERROR;  // no interpreter yet: nothing to run
  char* script = FormatAllocV(format, ap);
  if (trendel::host::eval_trace) {
    std::fputs(script, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  }
  const int code = Tcl_EvalEx(interp, script, -1, flags);
  if (trendel::host::eval_trace) {
    std::printf("%d %s\n", code, Tcl_GetStringResult(interp));
    std::fflush(stdout);
  }
  Tcl_Free(script);
  return code;
}

}  // namespace

extern "C" char* Et_FormatAlloc(const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  char* result = FormatAllocV(format, ap);
  va_end(ap);
  return result;
}

extern "C" int Et_EvalF(Tcl_Interp* interp, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  const int code = EvalFormatted(interp, 0, format, ap);
  va_end(ap);
  return code;
}

extern "C" int Et_EvalAtGlobalF(Tcl_Interp* interp, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  const int code = EvalFormatted(interp, TCL_EVAL_GLOBAL, format, ap);
  va_end(ap);
  return code;
}

extern "C" void Et_SetResultF(Tcl_Interp* interp, const char* format, ...) {
  if (interp == nullptr || format == nullptr) return;
  Tcl_DString text;
  Tcl_DStringInit(&text);
  va_list ap;
  va_start(ap, format);
  Et_FormatCore(DStringSink, &text, format, ap);
  va_end(ap);
  Tcl_DStringResult(interp, &text);
}
