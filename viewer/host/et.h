/*
 * et.h: the script host of the viewer trendel.
 *
 * The host owns the viewer's one Tcl interpreter (Et_Interp), serves the
 * scripts compiled into the program as built-in files, and offers the
 * formatting helpers through which engine code builds Tcl scripts and command
 * results.
 *
 * Formatting.  The helpers take a printf-like format whose conversions are
 * these (they differ from printf in places):
 *
 *   %[flags][width][.precision][l]conversion
 *
 *   flags   "-" left-justify, "+" sign signed conversions, " " blank for a
 *           plus sign, "#" alternate form, "0" zero fill up to the width (the
 *           sign counts against it), "=" centre in the width (cancels "-").
 *   width   digits or "*" (next int; negative means "-"); at most 990.
 *   prec.   digits or "*" (next int; negative is taken as its absolute
 *           value); at most 960.  For integers the minimum number of digits.
 *   l       the integer argument is a long (on this platform 64 bits).
 *
 *   d i     int, signed decimal          u p   int, unsigned decimal
 *   o       int, octal ("#": leading 0)  x X   int, hex ("#": 0x / 0X)
 *   b       int, binary ("#": 0b)        r     int, unsigned + "st"/"nd"/"rd"/"th"
 *   f e E g G  double as printf, at most 16 significant digits (the rest
 *           print as "0"); an infinite or NaN value prints "NaN"
 *   s       text, at most precision characters; NULL prints "(null)"
 *   z       as s, then the text is released with Tcl_Free
 *   q       text escaped for a double-quoted Tcl word (braces become \173
 *           and \175, bytes below 32 and from 127 as \ooo, "$[]\ escaped,
 *           \b \t \n \f \r); NULL prints "(NULL)"
 *   c       int character, repeated precision times (once without one)
 *   '       the next format character, repeated precision times
 *   n       int* receives the count of characters produced so far
 *   %       a percent sign; any other character: "%" and that character
 *
 * Everything here runs on the interpreter's thread and never throws.
 */
#ifndef TRENDEL_ET_H
#define TRENDEL_ET_H

#include <stdarg.h>
#include <tcl.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The viewer's interpreter, set by Et_SetupInterp before the Tcl library is
 * initialised.  Engine code that calls back into the script uses it.  NULL
 * until then. */
extern Tcl_Interp* Et_Interp;

/* The sink of Et_FormatCore: receives `count` characters at `text` (not
 * NUL-terminated, valid only during the call). */
typedef void Et_Sink(void* state, const char* text, int count);

/* Formats `format` with the arguments `ap` and hands the output to `sink` in
 * pieces (blank and zero fill in pieces of at most 120 characters).
 * in:  sink (not NULL), state (passed through), format (not NULL).
 * Returns the number of characters produced, or -1 when the format ends in a
 * lone "%" or an unfinished conversion (what came before it was produced). */
int Et_FormatCore(Et_Sink* sink, void* state, const char* format, va_list ap);

/* Formats into a new text.
 * Returns a NUL-terminated text from Tcl_Alloc (never NULL); the caller
 * releases it with Tcl_Free.  A format ending in a lone "%" gives the text
 * produced before it; a NULL format an empty text. */
char* Et_FormatAlloc(const char* format, ...);

/* Formats a script and evaluates it in `interp` at the current level.  When the
 * Tcl variable Et_EvalTrace is true, writes the script and a line break to
 * standard output before, and "%d %s\n" (code, result) after.
 * Returns the Tcl return code of the evaluation, or TCL_ERROR (nothing
 * evaluated) when interp or format is NULL. */
int Et_EvalF(Tcl_Interp* interp, const char* format, ...);

/* As Et_EvalF, but the script is evaluated at global level. */
int Et_EvalAtGlobalF(Tcl_Interp* interp, const char* format, ...);

/* Formats into a Tcl_DString and makes it the result of `interp` (the string's
 * memory is handed over).  Does nothing when interp or format is NULL. */
void Et_SetResultF(Tcl_Interp* interp, const char* format, ...);

/* Registers `size` bytes at `data` (followed by a NUL byte, which the caller
 * provides) as the built-in file `name`.  The name is copied; the data is
 * borrowed and must live as long as the process.  A later registration of the
 * same name hides the earlier one.  Records are never removed.  A NULL name
 * or data, or a negative size, registers nothing. */
void Et_RegisterBuiltinFile(const char* name, const char* data, int size);

/* Looks up the built-in file `name` (ASCII case ignored, "\" and "/" alike).
 * out: *size (when size is not NULL) receives the byte count, NUL excluded.
 * Returns the file's NUL-terminated data, or NULL when there is none (size is
 * then left alone). */
const char* Et_FindBuiltinFile(const char* name, int* size);

/* One application command: a string-argument command created without client
 * data or delete procedure. */
typedef struct Et_CommandEntry {
  const char* name;
  Tcl_CmdProc* proc;
} Et_CommandEntry;

/* Names the application command table that Et_SetupInterp creates (the
 * engine's commands).  in: table of `count` entries, static for the process.
 * Without a call the stage creates no application commands. */
void Et_SetApplicationCommands(const Et_CommandEntry* table, int count);

/* The set-up stage: installs the file-layer hooks, builds the name index,
 * creates the host commands, sets the library variables, initialises Tcl and
 * Tk, creates the engine commands, registers the console script and sources
 * "gd.tcl".  On failure it runs Et_Bgerror with the interpreter's result.
 * Returns TCL_OK, or TCL_ERROR after a failure that did not end the program. */
int Et_SetupInterp(Tcl_Interp* interp);

/* The start-up sequence of the program: sets TCL_LIBRARY and TK_LIBRARY in the
 * environment, creates the interpreter, checks that the Tcl library offers
 * the interface version the host was built against (else the message "Tcl
 * header version (8.6) does not match  Tcl library (X)" is shown and the
 * program ends), sets argv, argc, argv0 and tcl_interactive, runs
 * Et_SetupInterp, then processes events until the main window is destroyed.
 * in:  argv[0] is the program name ("trendelapp"), argv[1..argc-1] the rest.
 * Returns the process status (0) when the event loop ends other than by
 * exit. */
int Et_Startup(int argc, char** argv);

#ifdef __cplusplus
}
#endif

#endif
