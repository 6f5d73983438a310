// The native document format: one JSON file (suffix ".vxm") holding every
// item of a host document: its settings, plug-in data (where the export
// settings live) and render settings, the object tree with matrices,
// geometry, tags (export tags included), camera parameters and keyframe
// tracks, the materials and the view. Loading what was saved gives an equal
// document.
#pragma once

#include <memory>
#include <string>

#include "host/document.h"
#include "host/import/native_json.h"

namespace host::import {

inline constexpr char kNativeSuffix[] = "vxm";
inline constexpr char kNativeFormatName[] = "vexmark document";
inline constexpr int kNativeFormatVersion = 1;

// Throws FormatError when the scene holds geometry, matrices, camera
// parameters or keys that are not finite numbers.
json DocumentToJson(const HostDocument& doc);
// Throws FormatError when the JSON is not a document of this format.
std::unique_ptr<HostDocument> DocumentFromJson(const json& root);

// Writes through a temporary file, so a failed save leaves an earlier file
// at `path` as it was. False with the reason on failure.
bool SaveNativeFile(const HostDocument& doc, const std::string& path, std::string& reason);
std::unique_ptr<HostDocument> LoadNativeFile(const std::string& path, std::string& reason);

}  // namespace host::import
