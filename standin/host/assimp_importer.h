// Opens 3D files (glTF, OBJ, FBX, COLLADA, 3DS, PLY, STL and the other formats
// assimp reads) as documents, the way the CAD application's own importers
// would: Z up, in the file's units, meshes as objects or, when several nodes
// share a mesh, as an instance definition with one reference per node;
// materials as RDK materials; cameras as named views; lights as lights.
#pragma once

#include <filesystem>
#include <string>

#include "document_reader.h"
#include "import_frame.h"

struct aiScene;

// Reads the file with assimp and builds its document. defaultUnits names the
// units (as a document file names them) for formats that carry none. The
// scene is taken as the file holds it: no clean-up step of assimp runs, so a
// mesh keeps out-of-range face corners and non-finite vertices. On failure the
// result has no document and an error that names the file and assimp's reason.
DocumentReadResult ImportWithAssimp(const std::string& path, const std::string& defaultUnits);

struct SceneImportOptions {
  SceneFrame frame;
  std::wstring documentPath;
  std::filesystem::path modelFolder;     // relative texture paths start here
  std::filesystem::path embeddedFolder;  // images held in the file are written here
};

// Builds the document of a scene already read:
// - a mesh placed by one node becomes a mesh object named after the node, its
//   render mesh in world position; a mesh placed by several nodes becomes an
//   instance definition (named after the mesh) holding it once, with one
//   instance reference per node carrying the node's world transform;
// - the materials the meshes use become RDK materials;
// - cameras become named views named after their nodes, the first one also
//   the active view; without cameras the active view frames the whole model;
// - point, spot, directional and area lights become lights (area lights as
//   rectangular lights); other kinds are left out;
// - everything lies on one layer, "Default".
DocumentReadResult DocumentFromScene(const aiScene& scene, const SceneImportOptions& options);

// The folder that receives the images embedded in the model file at
// absolutePath: one folder per model under the temporary folder.
std::filesystem::path EmbeddedTextureFolder(const std::string& absolutePath);
