// The large real document of the benchmarks: a .3dm file written with
// openNURBS at its first use (10,000 mesh objects of 500 triangles, 200 block
// definitions of one such mesh with 50 references each, 100 materials: 5.1
// million triangles), in a folder of its own that is removed when the program
// ends.
#pragma once

#include <filesystem>

#include "bench/bench_document.h"

namespace bench {

struct LargeFile {
  std::filesystem::path folder;
  std::filesystem::path file;
  ModelFileContents contents;
  bool written = false;
  ~LargeFile();
};

const LargeFile& TheLargeFile();

}  // namespace bench
