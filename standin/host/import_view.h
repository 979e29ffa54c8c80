// The views of a scene that assimp read: its cameras as viewports, or a view of
// the whole model when it has none.
#pragma once

#include "RhinoSdk.h"

struct aiCamera;

// The viewport of a camera placed by `place` (its node's world transform in
// document coordinates). atNode: the camera sits at its node's origin looking
// down -Z with +Y up (glTF), its own placement records unused. A camera with
// an orthographic width and no angle is a parallel view; the others are
// perspective views with the file's horizontal angle, or the host's usual one.
ON_Viewport CameraViewport(const aiCamera& camera, const ON_Xform& place, bool atNode);

// A perspective view of the whole box from the host's usual side, as a file
// opens zoomed to its extents.
ON_Viewport ExtentsViewport(const ON_BoundingBox& box);
