// Loading and saving scenes for the program: one call that reads any scene
// file (the native ".vxm" format, or a format Assimp reads) into a new host
// document, and one that saves a document in the native format.
//
// Failures come back as one line naming the file and the reason; warnings
// (data dropped or guessed) go to the host console, one line each.
#pragma once

#include <cstdint>
#include <string>

#include "host/document.h"
#include "host/import/triangle_budget.h"

namespace host {

// Where the importer library runs. In a child process (the default), a
// crash of the library on a damaged file refuses the file instead of ending
// the program. The fuzzing harnesses run it here, so that its faults and
// ours show as the crashes they are.
enum class ImporterPlace { kChildProcess, kThisProcess };

struct LoadSettings {
  ImporterPlace place = ImporterPlace::kChildProcess;
  // A scene that expands to more triangles is refused before it is built,
  // and the importer's child process gets memory for this many.
  int64_t maxTriangles = import::kDefaultMaxTriangles;
};

// Why a scene was not loaded: the file was refused, or memory ran out.
enum class LoadFailure { kNone, kRefused, kOutOfMemory };

// A new document (owned by the caller) or null with the error line. A scene
// without polygons is refused as empty, and so is one of more triangles than
// `settings.maxTriangles`. A scene without a camera gets one that frames it,
// and the console says so. The document's animation is evaluated at its
// time, its name and folder are the file's. Throws nothing; `failure`, when
// given, says why the load failed.
HostDocument* LoadScene(const std::string& path, std::string& error, const LoadSettings& settings,
                        LoadFailure* failure = nullptr);
HostDocument* LoadScene(const std::string& path, std::string& error,
                        ImporterPlace place = ImporterPlace::kChildProcess);

// Saves in the native format; false with the error line. A failed save
// leaves an earlier file at `path` as it was.
bool SaveNativeDocument(const HostDocument& doc, const std::string& path, std::string& error);

}  // namespace host
