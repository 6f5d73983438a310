// The res* entries of the table: a module's string table loaded from
// <folder>/res/strings.txt (format in string_table.h).
#include <fstream>
#include <map>

#include "host/file_names.h"
#include "host/handles.h"
#include "host/host_string.h"
#include "host/runtime.h"
#include "host/services.h"
#include "host/resource.h"
#include "host/string_table.h"


namespace host {
namespace {

// Null when the file is missing or malformed; a malformed file is reported on
// the console with its line number.
HostResource* ResLoad(const HostString* folder) {
  if (TextOf(folder).empty()) return nullptr;
  const std::string path = ComposePath(ComposePath(TextOf(folder), "res"), "strings.txt");
  std::ifstream in(path);
  if (!in) return nullptr;
  StringTableResult parsed = ParseStringTable(in);
  if (parsed.badLine != 0) {
    const std::string line = path + ":" + std::to_string(parsed.badLine) +
                             ": malformed string table entry (" + parsed.problem + ")";
    Table()->consolePrint(line.c_str());
    return nullptr;
  }
  CountHandle(HandleKind::kResource, 1);
  return new HostResource{TextOf(folder), std::move(parsed.strings)};
}

void ResFree(HostResource* r) {
  if (r == nullptr) return;
  CountHandle(HandleKind::kResource, -1);
  delete r;
}

HostString* ResString(const HostResource* r, int32_t id) {
  if (r == nullptr) return NewString("");
  const auto it = r->strings.find(id);
  return NewString(it != r->strings.end() ? it->second : "");
}

}  // namespace

void FillResourceEntries(HostApi& table) {
  table.resLoad = &ResLoad;
  table.resFree = &ResFree;
  table.resString = &ResString;
}

}  // namespace host
