// How the coordinates of a scene that assimp read become the document's: the
// file's axes turned so that Z is up, lengths in the document's units.
#pragma once

#include <string>

#include "RhinoSdk.h"

struct aiScene;

struct SceneFrame {
  // Scene coordinates to document coordinates: a turn of the axes (possibly a
  // mirror, when the file says so) times a uniform scale.
  ON_Xform toDocument = ON_Xform::IdentityTransformation;
  ON::LengthUnitSystem units = ON::LengthUnitSystem::Millimeters;
  // glTF places cameras and lights at their node's origin, looking down -Z
  // with +Y up; their own placement records are not used.
  bool nodePlacesCameras = false;
};

// The frame of a scene read from path (the extension names the format, the
// scene's metadata carries the FBX axes and unit). Y-up scenes (glTF, OBJ, and
// COLLADA, 3DS, IFC and DXF, which assimp turns Y-up) are turned Z-up; glTF,
// COLLADA and IFC are in metres (assimp applies the COLLADA and IFC units);
// FBX gives its own axes and unit; everything else keeps its axes and takes
// defaultUnits.
SceneFrame FrameOfScene(const std::string& path, const aiScene& scene,
                        ON::LengthUnitSystem defaultUnits);

// The turn that takes a Y-up scene (X right, Y up, Z towards the viewer) to
// Z up (X right, Y away from the viewer, Z up): (x, y, z) -> (x, -z, y).
ON_Xform YUpToZUp();

// The turn for an FBX file's axis settings (axis numbers 0..2, signs +1/-1):
// its right (coord) axis becomes X, its front axis -Y and its up axis Z. False
// when the settings do not name three different axes with signs of one.
bool FbxAxes(int upAxis, int upSign, int frontAxis, int frontSign, int coordAxis, int coordSign,
             ON_Xform* axes);

// The document units of an FBX unit scale factor (centimetres per file unit);
// false when no unit system has that size.
bool UnitsOfFbxScale(double centimetresPerUnit, ON::LengthUnitSystem* units);

// Directions of cameras and lights.
// v as a unit vector; fallback when v has no direction.
ON_3dVector Unit(const ON_3dVector& v, const ON_3dVector& fallback);
// A unit vector perpendicular to the unit vector v.
ON_3dVector Perpendicular(const ON_3dVector& v);
// up made perpendicular to the unit direction; up itself when it cannot be.
ON_3dVector UpAcross(const ON_3dVector& up, const ON_3dVector& direction);
