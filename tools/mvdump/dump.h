// The decoding behind mvdump: the fields of a chart, scope, Sable-format or text data
// file, printed from its bytes. The tool reads the file and calls Dump; the data-file
// fuzz target calls Dump on any bytes.
#pragma once
#include <cstddef>
#include <cstdio>
#include <string>

namespace mvdump {

struct Options {
  bool scope = false;      // read a binary file as a scope file, whatever its bytes say
  bool fast = false;       // the sweep holds S + 1 values (implies scope)
  std::size_t limit = 10;  // at most this many values per channel are printed
};

// Prints the fields of the bytes d of the file named path to out. The format is told
// by the bytes, never the name: the first bytes tell a binary file from the Sable
// export and text, and the layout that decodes the whole file tells chart from scope.
// 0 when the file decoded whole, 1 when it did not.
int Dump(std::FILE* out, const std::string& path, const std::string& d, const Options& o);

}  // namespace mvdump
