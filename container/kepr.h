/*
 * kepr: writer and parser of the chunked, big-endian KEPR container.
 *
 * Every piece of a container is a chunk: a four-character identifier, a u32
 * big-endian payload length L (the pad byte not counted), the payload, and one
 * zero pad byte when L is odd.  A "FORM" chunk holds a form type and a fixed
 * tree of sub-chunks.  Two forms exist:
 *
 *   "KEPR"  FORM { "KEPR" CONF { CHNS { CHAN { NAME CVTP "EU  " TCRF MCAL
 *           "CPV " "ZO  " TARE SCAL GFAC } ... } CLKR TIME } DATA }
 *   "STRM"  FORM { "STRM" CONF { CHNS { CHAN { NAME "EU  " XFRM PRCS { PREC ... }
 *           POCS { POSC ... } } ... } CLKR TIME SCPP } DATA [POLL] [EVNT] }
 *
 * Text payloads carry no NUL; numbers are big-endian u16, u32 or IEEE-754 f64.
 *
 * A file is an int handle of the C library's low-level file functions (open,
 * read, write, lseek, close); -1 is no file.  The library keeps no state of
 * its own between calls.  Every function is safe to call from any thread on a
 * handle that no other thread uses at the same time, and none throws.
 *
 * Writing a "KEPR" file:
 *   h = KEPRCreateFile(path);
 *   KEPRWriteChunk(h, KEPR_ID_FORM, KEPRWriteForm, &form);
 *   KEPRWriteBytes(h, samples, n);  ... as often as needed
 *   KEPRCloseWriteFile(h);          patches the DATA and FORM lengths
 * Reading one:
 *   r.handle = KEPROpenFile(path, 0);  KEPRParse(r.handle, &r.result);
 *   KEPRSetSample(k, &r, buffer);  ...  free(r.result.kepr.channels);
 *   KEPRCloseReadFile(r.handle);
 *
 * Diagnostics go to standard output ("don't know subtag %lx\n", "file des
 * %d\n") and through perror ("KEPRLseek failed", "lseek failure", "read
 * failure").
 */
#ifndef KEPR_H
#define KEPR_H

#include <stdint.h>

#include "export.h"

ORVELA_EXTERN_C_BEGIN

/* A chunk identifier: its four characters as the digits of a big-endian
 * number, so that writing it big-endian gives the characters in file order. */
#define KEPR_ID(a, b, c, d)                                                                          \
  (((uint32_t)(uint8_t)(a) << 24) | ((uint32_t)(uint8_t)(b) << 16) | ((uint32_t)(uint8_t)(c) << 8) | \
   (uint32_t)(uint8_t)(d))
#define KEPR_ID_FORM KEPR_ID('F', 'O', 'R', 'M')
#define KEPR_FORM_KEPR KEPR_ID('K', 'E', 'P', 'R') /* form type of a recorded data file */
#define KEPR_FORM_STRM KEPR_ID('S', 'T', 'R', 'M') /* form type of a stream recording */

#define KEPR_TEXT_ROOM 32     /* text fields of a KEPR channel: at most 31 characters */
#define STRM_TEXT_ROOM 64     /* text fields of a STRM channel: at most 63 characters */
#define KEPR_MAX_CHANNELS 128 /* channel descriptors KEPRParse allocates room for */

/* Result codes of the write functions (byte counts are returned otherwise):
 * value, symbol, meaning.  Values are never reused. */
#define KEPR_CODES(X)                                                    \
  X(KEPR_E_BODY, -1, "a body writer was given a record it cannot write") \
  X(KEPR_E_SEEK, -2, "positioning in the file failed")                   \
  X(KEPR_E_WRITE, -4, "a write failed")

#define KEPR_CODE_ENUM(symbol, value, text) symbol = (value),
enum KEPRCode { KEPR_CODES(KEPR_CODE_ENUM) };
#undef KEPR_CODE_ENUM

/* A body writer: writes a chunk's payload (and its own pad byte when the
 * payload length is odd) at the current position of `handle`.  Returns the
 * payload length without the pad byte, or a negative code. */
typedef int (*KEPRBodyWriter)(int handle, void* argument);

/* Channel descriptor of the "KEPR" form.  Texts are NUL-terminated, at most 31
 * characters. */
typedef struct KEPRChannel {
  char name[KEPR_TEXT_ROOM];             /* "NAME" */
  char conversionType[KEPR_TEXT_ROOM];   /* "CVTP": "volts", "linear", "type_k", ... */
  char units[KEPR_TEXT_ROOM];            /* "EU  " */
  char referenceChannel[KEPR_TEXT_ROOM]; /* "TCRF": thermocouple reference channel, may be empty */
  char calibrationSet[KEPR_TEXT_ROOM];   /* "MCAL": name of the calibration data set */
  double countsPerVolt;                  /* "CPV " */
  double tare;                           /* "TARE": the negated manual EU adder */
  double shuntCal;                       /* "SCAL": shunt calibration factor */
  double gaugeFactor;                    /* "GFAC" */
  double zeroOffset;                     /* "ZO  ": zero offset in counts */
} KEPRChannel;

/* Form description of a "KEPR" file, the argument of KEPRWriteForm. */
typedef struct KEPRForm {
  double clockRate;      /* "CLKR", Hz */
  uint32_t creationTime; /* "TIME", seconds since 1 January 1970 */
  int channelCount;
  const KEPRChannel* channels; /* channelCount descriptors */
} KEPRForm;

/* What KEPRParse found in a "KEPR" file.  The fields after formType are those
 * of KEPRForm, in the same order. */
typedef struct KEPRParseResult {
  uint32_t formType; /* KEPR_FORM_KEPR; in memory its bytes read "RPEK" */
  double clockRate;
  uint32_t creationTime;
  int channelCount;      /* number of "CHAN" chunks, at most KEPR_MAX_CHANNELS */
  KEPRChannel* channels; /* room for KEPR_MAX_CHANNELS; see KEPRParse for ownership */
  int dataLength;        /* DATA payload length in bytes */
  int dataOffset;        /* file offset of the first DATA payload byte */
} KEPRParseResult;

/* Channel descriptor of the "STRM" form. */
typedef struct STRMChannel {
  char name[STRM_TEXT_ROOM];  /* "NAME" */
  char units[STRM_TEXT_ROOM]; /* "EU  " */
  uint16_t transform;         /* "XFRM" */
  uint16_t precisionCount;    /* number of "PREC" values */
  uint16_t positionCount;     /* number of "POSC" values */
  double* precisions;         /* precisionCount values ("PRCS") */
  double* positions;          /* positionCount values ("POCS") */
} STRMChannel;

/* Write record of a "STRM" file, the argument of STRMWriteForm. */
typedef struct STRMForm {
  double clockRate;
  uint32_t creationTime;
  int channelCount;
  uint32_t scpp; /* "SCPP" */
  const STRMChannel* channels;
} STRMForm;

/* What KEPRParse found in a "STRM" file. */
typedef struct STRMParseResult {
  uint32_t formType; /* KEPR_FORM_STRM */
  double clockRate;
  uint32_t creationTime;
  int channelCount;
  uint32_t scpp;
  STRMChannel* channels; /* room for KEPR_MAX_CHANNELS; see KEPRParse for ownership */
  int dataLength, dataOffset;
  int pollLength, pollOffset;
  int eventLength, eventOffset;
} STRMParseResult;

/* The record KEPRParse fills: which member holds the result depends on the
 * form type found, so the caller must check formType before using `kepr`.
 * Both members begin with formType. */
typedef union KEPRParsed {
  uint32_t formType;
  KEPRParseResult kepr;
  STRMParseResult strm;
} KEPRParsed;

/* The read handle KEPRSetSample expects: the file handle, then what KEPRParse
 * found (the "KEPR" parse result sits at the start of `result`). */
typedef struct KEPRReadHandle {
  int handle;
  KEPRParsed result;
} KEPRReadHandle;

/* Creates (or truncates) the file `path` for reading and writing, readable and
 * writable by its owner (permissions 0666 less the umask).
 * Returns the handle, or -1 when path is NULL or the file cannot be created. */
ORVELA_EXPORT int KEPRCreateFile(const char* path);

/* Opens the file `path` with the C library open flags `flags` (0: read only).
 * Returns the handle, or -1 when path is NULL or the file cannot be opened. */
ORVELA_EXPORT int KEPROpenFile(const char* path, int flags);

/* Writes one chunk at the current position: the identifier `id`, a length
 * placeholder, the payload written by `body`(handle, argument), then the real
 * length; the position is left at the end of the file.
 * Returns the bytes the chunk occupies (8 + L, plus 1 when L is odd),
 * KEPR_E_SEEK (-2) when positioning fails, KEPR_E_WRITE (-4) when a write fails,
 * or the body writer's own negative code (also KEPR_E_BODY when body is NULL).
 * Nothing is rolled back: a failed chunk leaves what was written. */
ORVELA_EXPORT int KEPRWriteChunk(int handle, uint32_t id, KEPRBodyWriter body, void* argument);

/* Body writer of a "KEPR" FORM chunk; `form` is a const KEPRForm*.  Writes the
 * form type "KEPR", the "CONF" chunk (every channel's ten chunks, "CLKR",
 * "TIME") and an empty "DATA" chunk.
 * Returns 4 + the bytes of the two chunks, KEPR_E_BODY when form is NULL, its
 * channel count is negative or above KEPR_MAX_CHANNELS or its channels are
 * missing, or the negative code of the chunk that failed (-1 for a failed
 * channel). */
ORVELA_EXPORT int KEPRWriteForm(int handle, void* form);

/* Body writer of a "STRM" FORM chunk; `form` is a const STRMForm*.  Writes the
 * form type "STRM" and the "CONF" chunk; DATA, POLL and EVNT are added by
 * STRMCloseWriteFile.
 * Returns 4 + the bytes of CONF, or a negative code as KEPRWriteForm does
 * (also KEPR_E_BODY for a channel whose values are missing). */
ORVELA_EXPORT int STRMWriteForm(int handle, void* form);

/* Writes `count` bytes of `data` at the current position (the sample bytes of
 * a "KEPR" file, appended after KEPRWriteForm's empty DATA chunk).
 * Returns 0 when all bytes were written, else KEPR_E_WRITE (-4), also for a
 * negative count or NULL data. */
ORVELA_EXPORT int KEPRWriteBytes(int handle, const void* data, int count);

/* Writes `count` bytes of `data` with one call of the C library's write.
 * Returns what write returned: the bytes written, or -1. */
ORVELA_EXPORT int KEPRWriteRaw(int handle, const void* data, int count);

/* Moves the position of `handle` (origin SEEK_SET, SEEK_CUR or SEEK_END).
 * Returns the new position, or -1 after printing "KEPRLseek failed" through
 * perror. */
ORVELA_EXPORT long KEPRLseek(int handle, long offset, int origin);

/* Finishes a "KEPR" file: writes the DATA length (the bytes from the DATA
 * payload to the end of the file) and the FORM length (file length - 8), then
 * closes the handle.
 * Returns 0, or -1 when a length could not be written (the file is then not a
 * complete container) or the close failed.  The handle is closed in every
 * case. */
ORVELA_EXPORT int KEPRCloseWriteFile(int handle);

/* Finishes a "STRM" file: appends a "DATA" chunk with the whole contents of
 * `dataHandle`, then "POLL" and "EVNT" chunks from `pollHandle` and
 * `eventHandle` when they are not -1, writes the FORM length and closes all
 * four handles (those that are not -1).  When `handle` is -1 nothing is
 * written and only the other handles are closed.
 * Returns 0, or KEPR_E_WRITE (-4) when a chunk, a seek or a write failed. */
ORVELA_EXPORT int STRMCloseWriteFile(int handle, int dataHandle, int pollHandle, int eventHandle);

/* Parses the container at the current position (normally 0) of `handle`.
 * out: when the file starts with a FORM chunk of type "KEPR" or "STRM", out is
 *      set up for that form (formType set, the other fields cleared, room for
 *      KEPR_MAX_CHANNELS zero-filled descriptors allocated with calloc) and
 *      filled as far as the parse gets.  From then on the caller owns
 *      out->kepr.channels (or out->strm.channels and, for STRM, every
 *      descriptor's precisions and positions) and releases them with free(),
 *      whatever the result.  Otherwise out is left untouched.
 * Returns 1 when the file is a complete, consistent form of a known type,
 * else 0: not a FORM, an unknown form type, a short read, a chunk whose length
 * runs past its container or the file, more than KEPR_MAX_CHANNELS "CHAN"
 * chunks, a number chunk of the wrong length, a FORM length that disagrees
 * with its chunks, or no memory.  Text chunks longer than their slot are cut
 * to fit.  Unknown chunks are reported ("don't know subtag %lx\n") and
 * skipped. */
ORVELA_EXPORT int KEPRParse(int handle, KEPRParsed* out);

/* Reads sample set `index` (truncated to a whole number) of a parsed "KEPR"
 * file into `buffer`, which must hold channelCount * 2 bytes.
 * Returns 1, or 0 when an argument is NULL, the file is not a parsed "KEPR"
 * form, the index is negative or not a number, the set lies beyond the DATA
 * payload, the seek fails (prints "file des %d\n" and "lseek failure") or the
 * read is short (prints "read failure"). */
ORVELA_EXPORT int KEPRSetSample(double index, const KEPRReadHandle* file, void* buffer);

/* Closes a handle from KEPROpenFile.  Returns 1 when it was closed, else 0. */
ORVELA_EXPORT int KEPRCloseReadFile(int handle);

ORVELA_EXTERN_C_END

#endif
