// mvdump: prints the fields of a data file so anyone can read one. It decodes
// the files on its own (no program code), from the layouts:
//   mvdump [--scope] [--fast] [--values N] FILE
// The format is told by the file's bytes, not its name, since the program adds no
// extension unless the user asks: "-999" or "-9999" and CR start a chart or scope
// file, the single 1003.0 (little-endian) the Sable-format export, and anything else
// is read as a text file. Chart and scope files share their header: the layout that decodes
// the whole file tells which (the chart's input list, else the comment after a sweep
// of S values, else of S + 1 values, the fast scope's). --scope reads a binary file as
// a scope file whatever it holds; --fast also says the sweep holds S + 1 values. At
// most N values per channel are printed (default 10). A chart file's samples are also
// timed by the file's own rule (its interval, and the pauses, gaps and interval
// changes its pause log records): "sample times (s)", at most N of them.
// It exits 1 when the file does not decode whole: bytes of no format the program
// writes, an empty file, a binary file that ends early, or a text file cut inside a
// line (each line of the program's text files ends with its CR).
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "mvdump/dump.h"
#include "usage.h"

namespace {

constexpr const char* kUsage = "usage: mvdump [--scope] [--fast] [--values N] FILE\n";

// A whole count, every character of it a digit: "abc", "-1" and "10x" are no count.
bool WholeCount(const std::string& text, std::size_t* out) {
  if (text.empty()) return false;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), *out);
  return r.ec == std::errc{} && r.ptr == text.data() + text.size();
}

}  // namespace

int main(int argc, char** argv) {
  const bool help = mv::tools::AskedForHelp(argc, argv);
  if (help) return mv::tools::Usage(kUsage, true);
  mvdump::Options o;
  std::string path;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--scope") {
      o.scope = true;
    } else if (a == "--fast") {
      o.fast = o.scope = true;
    } else if (a == "--values") {
      if (i + 1 >= argc || !WholeCount(argv[i + 1], &o.limit)) {
        std::fprintf(stderr, "mvdump: --values takes a whole number of values, not \"%s\"\n",
                     i + 1 < argc ? argv[i + 1] : "");
        return mv::tools::Usage(kUsage, false);
      }
      ++i;
    } else if (!a.empty() && a[0] == '-') {
      // An option this tool does not take is refused, never opened as a file name.
      std::fprintf(stderr, "mvdump: no option %s\n", a.c_str());
      return mv::tools::Usage(kUsage, false);
    } else if (!path.empty()) {
      std::fprintf(stderr, "mvdump: one file at a time (%s and %s)\n", path.c_str(), a.c_str());
      return mv::tools::Usage(kUsage, false);
    } else {
      path = a;
    }
  }
  if (path.empty()) return mv::tools::Usage(kUsage, false);
  std::ifstream f(path, std::ios::binary);
  if (!f) {
    std::fprintf(stderr, "cannot open %s\n", path.c_str());
    return 2;
  }
  const std::string d((std::istreambuf_iterator<char>(f)), {});
  return mvdump::Dump(stdout, path, d, o);
}
