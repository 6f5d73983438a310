// The scene as the studio's page sees it, in the viewer's convention
// (right-handed, Y up, a camera looks down its -Z axis): the object tree with
// each object's export tag, the meshes and cameras at the shown frame, "use
// this view" (a camera named "Studio view" made or moved and made the export
// camera).
//
// The host's world is left-handed (Z away from the viewer) and its cameras
// look down their +Z axis: mirroring Z carries one convention into the
// other, a point (x, y, z) into (x, y, -z) and a matrix M into S M S with
// S = diag(1, 1, -1), which also turns a camera's forward axis.
#pragma once

#include <string>

#include "app/studio/studio_session.h"

namespace app::studio {

// The name of the camera that "use this view" makes.
inline constexpr char kStudioViewName[] = "Studio view";

// GET /api/scene.
Json SceneListing(StudioSession& session);
// GET /api/geometry, at the session's frame.
Json Geometry(StudioSession& session);
// PUT /api/view: {"position": [x, y, z], "quaternion": [x, y, z, w], "fov": DEG}.
JsonAnswer UseView(StudioSession& session, const Json& view);

}  // namespace app::studio
