// An Assimp camera as the parameters and frame of a host camera: the lens
// length matches the file's horizontal field of view on a 36 mm film
// (field of view = 2 atan(film / 2 / lens)), a parallel camera's zoom its
// visible width.
#pragma once

#include <assimp/camera.h>

#include <string>

#include "host/import/gltf_details.h"
#include "host/import/import_report.h"
#include "host/scene.h"

namespace host::import {

struct ImportedCamera {
  CameraParams params;
  // Where the camera sits and looks relative to its node, in host space:
  // third axis forward, second up.
  Matrix frame;
  bool frameIsNodeFrame = true;  // the camera sits at its node, looking as the node does
};

// `gltf` is the file's own record of the camera when it is a glTF file;
// `pictureAspect` (width / height) stands in for an aspect ratio the file
// leaves open. `nodeOffset` is the offset of the camera's node relative to
// its parent, in the file's space.
ImportedCamera ConvertCamera(const aiCamera& camera, const GltfCamera* gltf,
                             const aiVector3D& nodeOffset, double pictureAspect,
                             ImportReport& report);

// The lens length that gives a horizontal field of view (radians) on a film.
double LensForFieldOfView(double fieldOfView, double filmWidth);

}  // namespace host::import
