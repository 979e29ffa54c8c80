// The Windows build of the host reads document files only: assimp has no
// mingw-w64 build to link.
#include "assimp_importer.h"

DocumentReadResult ImportWithAssimp(const std::string& path, const std::string&) {
  DocumentReadResult result;
  result.error = path + ": this build of the host reads document files (.orvexdoc.json) only";
  return result;
}
