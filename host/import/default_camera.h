// The camera a scene without one gets: a perspective camera with the
// default 36 mm lens that looks at the middle of the scene from the front,
// a little from the right and from above, far enough away for the scene's
// bounding sphere to fill nine tenths of the picture's smaller side.
#pragma once

#include "host/scene.h"

namespace host::import {

// Adds the camera as the last top-level object, links it to the view and
// returns it. `pictureAspect` is the picture's width / height.
HostObject& AddFramingCamera(Scene& scene, double pictureAspect);

}  // namespace host::import
