#include "app/export_files.h"

#include <sys/stat.h>

#include <filesystem>

#include "app/options.h"
#include "host/api/vexmark_ids.h"
#include "host/runtime.h"

namespace app {

namespace fs = std::filesystem;

std::vector<std::string> ExistingDrawings(const std::string& chosen, bool range) {
  std::vector<std::string> found;
  std::error_code error;
  if (chosen.empty()) return found;
  const std::string suffix = DrawingSuffix(chosen);
  const fs::path file = DrawingPath(chosen);
  if (!range) {
    if (fs::exists(file, error)) found.push_back(file.string());
    return found;
  }
  const std::string prefix = file.stem().string() + "-";
  for (const auto& entry : fs::directory_iterator(file.parent_path(), error)) {
    const std::string name = entry.path().filename().string();
    if (name.size() <= prefix.size() + suffix.size() ||
        name.compare(0, prefix.size(), prefix) != 0 || entry.path().extension() != suffix)
      continue;
    const std::string number =
        name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (number.find_first_not_of("0123456789") == std::string::npos)
      found.push_back(entry.path().string());
  }
  return found;
}

int64_t FramesToWrite(const HostDialog* dialog, const HostDocument& doc) {
  const int64_t from = host::GadgetInt(dialog, kGadgetFromFrame).value_or(0);
  const int64_t to = host::GadgetInt(dialog, kGadgetToFrame).value_or(0);
  const int64_t rate = host::GadgetInt(dialog, kGadgetFrameRate).value_or(1);
  const int64_t* stored = doc.settings.Find<int64_t>(kDocFps);
  const int64_t fps = stored != nullptr && *stored > 0 ? *stored : kDefaultDocumentFps;
  if (to < from || rate < 1) return 1;
  return FramesInRange(from, to, rate, fps);
}

std::string SceneSaveRefusal(const std::string& scene, const std::string& target, bool& exists) {
  struct stat link {};
  exists = ::lstat(target.c_str(), &link) == 0;
  if (!exists) return "";
  if (!S_ISREG(link.st_mode)) return target + " is not an ordinary file; not replaced";
  struct stat read {};
  if (::stat(scene.c_str(), &read) == 0 && read.st_dev == link.st_dev && read.st_ino == link.st_ino)
    return target + " is the scene being read; not replaced";
  return "";
}

bool OutputFolderUsable(const std::string& output, std::string& error) {
  const fs::path folder = fs::absolute(output).parent_path();
  std::error_code ignored;
  if (fs::is_directory(folder, ignored)) return true;
  error = "cannot write " + output + ": " +
          (fs::exists(folder, ignored) ? folder.string() + " is not a folder"
                                       : "there is no folder " + folder.string());
  return false;
}

std::string ExportTrouble(const std::vector<std::string>& written, bool outOfMemory, bool stopped,
                          size_t emptyFrames, size_t firstFailure) {
  std::vector<host::FileFailure> failures = host::FileFailures();
  failures.erase(failures.begin(), failures.begin() + static_cast<std::ptrdiff_t>(
                                                          std::min(firstFailure, failures.size())));
  const std::string complete = std::to_string(written.size()) + " complete file(s) written";
  if (!failures.empty())
    return std::to_string(failures.size()) + " drawing(s) could not be written (" + complete +
           "); the first: " + failures[0].path + ": " + host::FileErrorText(failures[0].error);
  if (outOfMemory) return "not enough memory: the export stopped early; " + complete;
  if (written.empty() && emptyFrames > 0)
    return "no drawing was written: nothing of the scene is in view";
  if (written.empty()) return "no drawing was written";
  if (stopped) return "stopped; " + complete + ", the frame in progress discarded";
  return "";
}

}  // namespace app
