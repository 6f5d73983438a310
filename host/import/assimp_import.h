// Scene files of the formats Assimp reads (glTF 2.0, OBJ with MTL, FBX,
// COLLADA, PLY, STL, 3DS, ...) as host documents: nodes become objects in
// the same hierarchy, meshes polygon objects with their materials as tags,
// cameras camera objects (the first one linked to the view) and node
// animation keyframe tracks with the document's frame rate and range.
#pragma once

#include <memory>
#include <string>

#include "host/document.h"
#include "host/import/import_report.h"

namespace host::import {

// True when Assimp has a reader for the file's suffix.
bool AssimpReadsSuffix(const std::string& path);

// The document, or null with the reason in `report`. A scene that expands
// to more than `maxTriangles` triangles is refused before it is built.
std::unique_ptr<HostDocument> ImportWithAssimp(const std::string& path, int64_t maxTriangles,
                                               ImportReport& report);

}  // namespace host::import
