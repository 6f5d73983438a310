// The program's work on the scene before and after an export: loading and
// saving scene files, choosing the camera, export tags from the command line,
// and the `info` listing.
#pragma once

#include <ostream>
#include <string>

#include "app/options.h"
#include "host/document.h"

namespace app {

// The bundled example scene beside the program, or "" when it is missing.
std::string BundledExample(const std::string& programFolder);

// Loads any supported scene file with the limits of `options`; null with one
// line in `error` on failure and in `exitStatus` the program's status for it:
// 1 when memory ran out, 2 when the scene was refused. The importer's
// warnings go to `err`, each once with its count, or with --quiet counted in
// one line. Relative output names the scene stores are made absolute from
// its folder.
HostDocument* LoadSceneFile(const std::string& path, const Options& options, std::string& error,
                            int& exitStatus, std::ostream& err);
// Saves the document as a .vxm; output names inside the scene's new folder
// are stored relative to it.
bool SaveSceneFile(HostDocument& doc, const std::string& path, std::string& error);

// Links the camera named by --camera to the document's view.
bool ApplySceneOptions(const Options& options, HostDocument& doc, std::string& error);

// Adds or edits the export tags of --tag through the registered tag's
// callbacks (the module must have started).
bool ApplyTagOptions(const Options& options, HostDocument& doc, std::string& error);

// Adds the export tag to `object` when it has none and sets the values of
// `request` through the tag's dialog, as a user would (`request.object`
// names the object in error lines).
bool EditExportTag(HostObject& object, const TagRequest& request, std::string& error);

// `vexmark info SCENE`: objects, cameras, materials, tags, frame range.
int PrintSceneInfo(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace app
