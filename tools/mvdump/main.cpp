// mvdump: prints the fields of a data file so anyone can read one. It decodes
// the files on its own (no program code), from the layouts:
//   mvdump [--scope] [--fast] [--values N] FILE
// The format is told by the file's bytes, not its name, since the program adds no
// extension unless the user asks: "-999" or "-9999" and CR start a chart or scope
// file, the single 1003.0 (little-endian) the Sable-format export, and anything else
// is a text file. Chart and scope files share their header: the layout that decodes
// the whole file tells which (the chart's input list, else the comment after a sweep
// of S values, else of S + 1 values, the fast scope's). --scope reads a binary file as
// a scope file whatever it holds; --fast also says the sweep holds S + 1 values. At
// most N values per channel are printed (default 10). A chart file's samples are also
// timed by the file's own rule (its interval, and the pauses, gaps and interval
// changes its pause log records): "sample times (s)", at most N of them.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "mvdump/dump.h"
#include "usage.h"

int main(int argc, char** argv) {
  mvdump::Options o;
  std::string path;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--scope")
      o.scope = true;
    else if (a == "--fast")
      o.fast = o.scope = true;
    else if (a == "--values" && i + 1 < argc)
      o.limit = std::stoul(argv[++i]);
    else
      path = a;
  }
  const bool help = mv::tools::AskedForHelp(argc, argv);
  if (help || path.empty())
    return mv::tools::Usage("usage: mvdump [--scope] [--fast] [--values N] FILE\n", help);
  std::ifstream f(path, std::ios::binary);
  if (!f) {
    std::fprintf(stderr, "cannot open %s\n", path.c_str());
    return 2;
  }
  const std::string d((std::istreambuf_iterator<char>(f)), {});
  return mvdump::Dump(stdout, path, d, o);
}
