// The table of built-in files: records, the 71-bucket name index and its fold table.
#ifndef TRENDEL_BUILTIN_INDEX_H
#define TRENDEL_BUILTIN_INDEX_H

#include <string>
#include <vector>

namespace trendel::host {

// One entry of the compiled-in table (generated at build time).
struct CompiledFile {
  const char* name;
  const char* data;  // followed by a NUL byte
  int size;          // bytes without the NUL
};

// The compiled-in table, in index order, and its length.
extern const CompiledFile kCompiledFiles[];
extern const int kCompiledFilesCount;

// The console script, alone in its table (registered at set-up).
extern const CompiledFile kConsoleFiles[];
extern const int kConsoleFilesCount;

// The two library directory names compiled into the host.  They do not exist
// on disk; the built-in library files are named beneath them.
extern const char kTclLibraryDir[];
extern const char kTkLibraryDir[];

// Builds the fold table and puts every compiled-in record into the index,
// once per process.
void EnsureIndex();

// Fold-table value of byte `c`: ASCII letters in lower case, "\" as "/".
unsigned char Fold(unsigned char c);

// The bucket (0..70) of `name` under the designed name hash.
unsigned BucketOf(const char* name);

// Compares two names through the fold table as signed bytes; 0 when equal.
int CompareNames(const char* a, const char* b);

// True when `path` is a directory that holds built-in files beneath one of the
// two library directories (the directories themselves included).
bool IsBuiltinDirectory(const char* path);

// The names of the built-in files and directories directly inside the
// library directory `dir` (as given, without a trailing "/"), each joined to
// `dir` with "/".  `want_files` and `want_dirs` pick the kinds.
std::vector<std::string> ListBuiltinDirectory(const char* dir, bool want_files, bool want_dirs);

}  // namespace trendel::host

#endif
