// Reads a .3dm file with openNURBS into the SDK stand-in's document, the way
// the CAD application presents an opened file to a plug-in.
#pragma once

#include <string>

#include "document_reader.h"

// The file's units and absolute path, its materials, layers and objects:
// meshes as they are, polysurfaces and extrusions through the render meshes
// the file holds. Objects with no render mesh in the file are left out and
// counted in the result's notice. A file openNURBS cannot read gives no
// document and an error that names the file and the reason.
DocumentReadResult ReadModelFile(const std::string& path);
