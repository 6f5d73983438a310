// Export and Save scene from the studio: the files the command line would
// write with the same settings, under its rules (no file written twice in
// one run, nothing replaced unless asked, temporary files put in place only
// when complete), and only inside the scene's folder: a name that is
// absolute or leaves the folder is refused, and nothing is written on any
// refusal.
#pragma once

#include <filesystem>
#include <string>

#include "app/studio/studio_session.h"

namespace app::studio {

// `name` inside `folder` as an absolute path; false with `error` set when
// it is empty, absolute, steps out of the folder (also through a linked
// folder) or names a folder that does not exist.
bool PathInFolder(const std::filesystem::path& folder, const std::string& name,
                  std::filesystem::path& path, std::string& error);

// POST /api/export: {"output": NAME or [NAME...], "replace": bool}. Runs under
// the session's lock; waits for the export to end.
JsonAnswer ExportFiles(StudioSession& session, const Json& request);
// POST /api/save: {"output": NAME, "replace": bool}.
JsonAnswer SaveScene(StudioSession& session, const Json& request);

}  // namespace app::studio
