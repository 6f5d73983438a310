// Module-side implementation of the host wrappers: each call goes through the
// table that HostBind copied at init.
#include "sdk/host_sdk.h"

#include <cstdio>
#include <cstring>

namespace {

HostApi gTable{};
bool gBound = false;
HostResource* gResources = nullptr;

int64_t Gcd(int64_t a, int64_t b) {
  if (a < 0) a = -a;
  if (b < 0) b = -b;
  while (b != 0) {
    const int64_t r = a % b;
    a = b;
    b = r;
  }
  return a;
}

}  // namespace

void HostBind(const HostApi* table) {
  if (table == nullptr) {
    gBound = false;
    return;
  }
  gTable = HostApi{};
  // Copy no more than both sides know of, so that an older host's shorter
  // table leaves the newer entries null.
  size_t bytes = static_cast<size_t>(table->size);
  if (bytes == 0 || bytes > sizeof(HostApi)) bytes = sizeof(HostApi);
  std::memcpy(&gTable, table, bytes);
  gBound = true;
}

const HostApi& Host() { return gTable; }
bool HostIsBound() { return gBound; }

// ---------------------------------------------------------------- memory

void* MemAlloc(size_t bytes) { return gTable.memAlloc(bytes); }
void MemFree(void* block) {
  if (block != nullptr) gTable.memFree(block);
}

// ---------------------------------------------------------------- console

void ConsolePrint(const char* line) { gTable.consolePrint(line); }

void ReportNoMemory(const char* source, int32_t line) {
  char text[128];
  std::snprintf(text, sizeof text, "NO MEMORY: %s %d", source, static_cast<int>(line));
  ConsolePrint(text);
}

// ---------------------------------------------------------------- strings

// An empty string holds no host handle until it is first changed, so that
// empty strings cost nothing and can exist before the host is bound.
String::String() = default;
String::String(const char* text) : handle_(gTable.strNew(text == nullptr ? "" : text)) {}
String::String(const String& other)
    : handle_(other.handle_ != nullptr ? gTable.strCopy(other.handle_) : nullptr) {}
String::String(String&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }

String& String::operator=(const String& other) {
  if (this != &other) {
    if (handle_ == nullptr) {
      if (other.handle_ != nullptr) handle_ = gTable.strCopy(other.handle_);
    } else {
      gTable.strSet(handle_, other.Text());
    }
  }
  return *this;
}

String& String::operator=(String&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) gTable.strFree(handle_);
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}

String::~String() {
  if (handle_ != nullptr) gTable.strFree(handle_);
}

String String::Adopt(HostString* handle) {
  String s;
  s.handle_ = handle;
  return s;
}

String String::FromInt(int64_t value) { return Adopt(gTable.strFromInt(value)); }

String String::FromReal(double value, int32_t intDigits, int32_t fracDigits, bool exponent,
                        char fill) {
  return Adopt(gTable.strFromReal(value, intDigits, fracDigits, exponent ? 1 : 0, fill));
}

const char* String::Text() const { return handle_ != nullptr ? gTable.strText(handle_) : ""; }
int32_t String::Length() const { return handle_ != nullptr ? gTable.strLength(handle_) : 0; }

int32_t String::FindChar(char ch, int32_t from) const {
  return handle_ != nullptr ? gTable.strFindChar(handle_, static_cast<unsigned char>(ch), from)
                            : -1;
}

String String::Sub(int32_t start, int32_t count) const {
  if (handle_ == nullptr) return String();
  return Adopt(gTable.strSub(handle_, start, count));
}

String& String::operator+=(const String& tail) {
  if (handle_ == nullptr) handle_ = gTable.strNew("");
  if (handle_ != nullptr && tail.handle_ != nullptr) gTable.strAppend(handle_, tail.handle_);
  return *this;
}

String operator+(const String& a, const String& b) {
  String s(a);
  s += b;
  return s;
}

bool String::operator==(const char* text) const {
  return std::strcmp(Text(), text == nullptr ? "" : text) == 0;
}

// ---------------------------------------------------------------- time

Time::Time(int64_t numerator, int64_t denominator) : HostTime{0, 1} {
  if (denominator == 0) return;
  if (denominator < 0) {
    numerator = -numerator;
    denominator = -denominator;
  }
  const int64_t g = Gcd(numerator, denominator);
  num = g == 0 ? 0 : numerator / g;
  den = g == 0 ? 1 : denominator / g;
}

int64_t Time::ToFrame(int64_t fps) const {
  const __int128 scaled = static_cast<__int128>(num) * fps;
  __int128 frame = scaled / den;
  if (scaled % den != 0 && scaled < 0) frame -= 1;  // round towards minus infinity
  return static_cast<int64_t>(frame);
}

// The cross terms are formed in 128 bits: for large numerators they overflow
// 64 bits even when the reduced sum fits.
Time operator+(const Time& a, const Time& b) {
  const int64_t g = Gcd(a.den, b.den);
  const int64_t scaleA = b.den / g;
  __int128 num =
      static_cast<__int128>(a.num) * scaleA + static_cast<__int128>(b.num) * (a.den / g);
  __int128 den = static_cast<__int128>(a.den) * scaleA;
  __int128 x = num < 0 ? -num : num;
  __int128 y = den;
  while (y != 0) {
    const __int128 r = x % y;
    x = y;
    y = r;
  }
  if (x > 1) {
    num /= x;
    den /= x;
  }
  return Time(static_cast<int64_t>(num), static_cast<int64_t>(den));
}

int Compare(const Time& a, const Time& b) {
  const __int128 left = static_cast<__int128>(a.num) * b.den;
  const __int128 right = static_cast<__int128>(b.num) * a.den;
  return left < right ? -1 : (left > right ? 1 : 0);
}

// ---------------------------------------------------------------- containers

BaseContainer::BaseContainer(int32_t id) : handle_(gTable.bcNew(id)) {}
BaseContainer::BaseContainer(const BaseContainer& other)
    : handle_(other.handle_ != nullptr ? gTable.bcCopy(other.handle_) : nullptr) {}
BaseContainer::BaseContainer(BaseContainer&& other) noexcept : handle_(other.handle_) {
  other.handle_ = nullptr;
}

BaseContainer& BaseContainer::operator=(const BaseContainer& other) {
  if (this != &other) {
    HostContainer* copy = other.handle_ != nullptr ? gTable.bcCopy(other.handle_) : nullptr;
    if (handle_ != nullptr) gTable.bcFree(handle_);
    handle_ = copy;
  }
  return *this;
}

BaseContainer& BaseContainer::operator=(BaseContainer&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) gTable.bcFree(handle_);
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}

BaseContainer::~BaseContainer() {
  if (handle_ != nullptr) gTable.bcFree(handle_);
}

BaseContainer BaseContainer::Adopt(HostContainer* handle) {
  BaseContainer c(0);
  if (c.handle_ != nullptr) gTable.bcFree(c.handle_);
  c.handle_ = handle;
  return c;
}

int32_t BaseContainer::Id() const { return handle_ ? gTable.bcId(handle_) : 0; }
bool BaseContainer::Has(int32_t key) const { return handle_ && gTable.bcHas(handle_, key); }

int32_t BaseContainer::GetInt(int32_t key, int32_t preset) const {
  return handle_ ? static_cast<int32_t>(gTable.bcGetInt(handle_, key, preset)) : preset;
}
void BaseContainer::SetInt(int32_t key, int32_t value) {
  if (handle_) gTable.bcSetInt(handle_, key, value);
}
bool BaseContainer::GetBool(int32_t key, bool preset) const {
  return handle_ ? gTable.bcGetBool(handle_, key, preset ? 1 : 0) != 0 : preset;
}
void BaseContainer::SetBool(int32_t key, bool value) {
  if (handle_) gTable.bcSetBool(handle_, key, value ? 1 : 0);
}
double BaseContainer::GetReal(int32_t key, double preset) const {
  return handle_ ? gTable.bcGetReal(handle_, key, preset) : preset;
}
void BaseContainer::SetReal(int32_t key, double value) {
  if (handle_) gTable.bcSetReal(handle_, key, value);
}
Vector BaseContainer::GetVector(int32_t key, Vector preset) const {
  if (!handle_) return preset;
  const HostVector v = gTable.bcGetVector(handle_, key, HostVector{preset.x, preset.y, preset.z});
  return Vector{v.x, v.y, v.z};
}
void BaseContainer::SetVector(int32_t key, const Vector& value) {
  if (handle_) gTable.bcSetVector(handle_, key, HostVector{value.x, value.y, value.z});
}
String BaseContainer::GetString(int32_t key, const String& preset) const {
  if (!handle_) return preset;
  return String::Adopt(gTable.bcGetString(handle_, key, preset.Handle()));
}
void BaseContainer::SetString(int32_t key, const String& value) {
  if (handle_) gTable.bcSetString(handle_, key, value.Handle());
}
String BaseContainer::GetFilename(int32_t key, const String& preset) const {
  if (!handle_) return preset;
  return String::Adopt(gTable.bcGetFilename(handle_, key, preset.Handle()));
}
void BaseContainer::SetFilename(int32_t key, const String& value) {
  if (handle_) gTable.bcSetFilename(handle_, key, value.Handle());
}
Time BaseContainer::GetTime(int32_t key, const Time& preset) const {
  return handle_ ? Time(gTable.bcGetTime(handle_, key, preset)) : preset;
}
void BaseContainer::SetTime(int32_t key, const Time& value) {
  if (handle_) gTable.bcSetTime(handle_, key, value);
}
BaseContainer BaseContainer::GetContainer(int32_t key) const {
  return Adopt(handle_ ? gTable.bcGetContainer(handle_, key) : nullptr);
}
void BaseContainer::SetContainer(int32_t key, const BaseContainer& value) {
  if (handle_ && value.handle_) gTable.bcSetContainer(handle_, key, value.handle_);
}

// ---------------------------------------------------------------- documents

BaseDocument* GetActiveDocument() { return gTable.docActive(); }
BaseDocument* AllocDocument() { return gTable.docAlloc(); }

BaseDocument* CopyDocument(const BaseDocument* source) {
  if (source == nullptr) return nullptr;
  BaseDocument* copy = gTable.docAlloc();
  if (copy == nullptr) return nullptr;
  if (!gTable.docCopyInto(source, copy)) {
    gTable.docFree(copy);
    return nullptr;
  }
  return copy;
}

void FreeDocument(BaseDocument* doc) {
  if (doc != nullptr) gTable.docFree(doc);
}

BaseContainer GetDocumentData(const BaseDocument* doc, int32_t kind) {
  return BaseContainer::Adopt(doc != nullptr ? gTable.docGetData(doc, kind) : nullptr);
}

bool SetDocumentData(BaseDocument* doc, int32_t kind, const BaseContainer& data) {
  return doc != nullptr && data.Valid() && gTable.docSetData(doc, kind, data.Handle()) != 0;
}

void SetDocumentTime(BaseDocument* doc, const Time& time) {
  if (doc != nullptr) gTable.docSetTime(doc, time);
}

Time GetDocumentTime(const BaseDocument* doc) {
  return doc != nullptr ? Time(gTable.docGetTime(doc)) : Time();
}

// ---------------------------------------------------------------- threads

Thread::Thread() : handle_(gTable.threadNew(&Thread::MainHook, &Thread::BreakHook, this)) {}

Thread::~Thread() {
  if (handle_ != nullptr) gTable.threadFree(handle_);
}

bool Thread::TestBreak() { return handle_ != nullptr && gTable.threadTestBreak(handle_) != 0; }

bool Thread::Start() { return handle_ != nullptr && gTable.threadStart(handle_, 1, 1) != 0; }
bool Thread::IsRunning() const { return handle_ != nullptr && gTable.threadIsRunning(handle_) != 0; }
bool Thread::BreakRequested() const {
  return handle_ != nullptr && gTable.threadTestBreak(handle_) != 0;
}
void Thread::End(bool wait) {
  if (handle_ != nullptr) gTable.threadEnd(handle_, wait ? 1 : 0);
}

void Thread::MainHook(void* user) { static_cast<Thread*>(user)->Main(); }
int32_t Thread::BreakHook(void* user) { return static_cast<Thread*>(user)->TestBreak() ? 1 : 0; }

void AnimateDocument(BaseDocument* doc, Thread* thread, int32_t flags1, int32_t flags2) {
  if (doc != nullptr)
    gTable.docAnimate(doc, thread != nullptr ? thread->Handle() : nullptr, flags1, flags2);
}

// ---------------------------------------------------------------- parallel work

int32_t ParallelThreadCount() {
  if (gTable.parallelThreads == nullptr || gTable.parallelFor == nullptr) return 1;
  const int32_t threads = gTable.parallelThreads();
  return threads > 1 ? threads : 1;
}

bool ParallelForCalls(int32_t count, HostParallelBody body, void* context) {
  if (gTable.parallelFor != nullptr) return gTable.parallelFor(count, body, context) != 0;
  for (int32_t index = 0; index < count; ++index) {
    if (body(context, index) == 0) return false;
  }
  return true;
}

// ---------------------------------------------------------------- status

void StatusSetText(const String& text) { gTable.statusText(text.Text()); }
void StatusSetBar(int32_t percent) { gTable.statusPercent(percent); }
void StatusSetSpin() { gTable.statusSpin(); }
void StatusClear() { gTable.statusClear(); }
void SetMousePointer(int32_t code) { gTable.setPointer(code); }
int32_t TimerMs() { return gTable.timerMs(); }
void PostSpecialEvent(int32_t id, int32_t a, int32_t b) { gTable.postSpecialEvent(id, a, b); }

// ---------------------------------------------------------------- resources

bool ResourcesLoad(const String& folder) {
  ResourcesFree();
  gResources = gTable.resLoad(folder.Handle());
  return gResources != nullptr;
}

void ResourcesFree() {
  if (gResources != nullptr) gTable.resFree(gResources);
  gResources = nullptr;
}

const HostResource* ModuleResources() { return gResources; }

String LoadResourceString(int32_t id) {
  if (gResources == nullptr) return String();
  return String::Adopt(gTable.resString(gResources, id));
}

// ---------------------------------------------------------------- files

HostFileWriter::~HostFileWriter() { Close(); }

bool HostFileWriter::Open(const String& path) {
  Close();
  failed_ = false;
  file_ = gTable.fileOpenWrite(path.Handle());
  return file_ != nullptr;
}

bool HostFileWriter::OpenTemporary(const String& target, String& name) {
  Close();
  failed_ = false;
  if (gTable.fileOpenTemporary == nullptr) {
    name = target + String(".part");
    file_ = gTable.fileOpenWrite(name.Handle());
    return file_ != nullptr;
  }
  HostString* hostName = nullptr;
  file_ = gTable.fileOpenTemporary(target.Handle(), &hostName);
  if (hostName != nullptr) name = String::Adopt(hostName);
  return file_ != nullptr;
}

bool HostFileWriter::Write(const void* data, int32_t bytes) {
  if (file_ == nullptr || failed_) return false;
  if (bytes > 0 && !gTable.fileWrite(file_, data, bytes)) failed_ = true;
  return !failed_;
}

bool HostFileWriter::WriteDrawing(int32_t format, const HostDrawing& drawing) {
  if (file_ == nullptr || failed_ || !HostDrawsDrawings()) return false;
  if (!gTable.fileWriteDrawing(file_, format, &drawing)) failed_ = true;
  return !failed_;
}

bool HostFileWriter::Close() {
  if (file_ == nullptr) return !failed_;
  if (!gTable.fileClose(file_)) failed_ = true;
  file_ = nullptr;
  return !failed_;
}

bool HostDrawsDrawings() { return gTable.fileWriteDrawing != nullptr; }

String FilenameCompose(const String& folder, const String& file) {
  return String::Adopt(gTable.fnCompose(folder.Handle(), file.Handle()));
}
String FilenameFilePart(const String& path) { return String::Adopt(gTable.fnFilePart(path.Handle())); }
String FilenameFolderPart(const String& path) {
  return String::Adopt(gTable.fnFolderPart(path.Handle()));
}
String FilenameSuffix(const String& path) { return String::Adopt(gTable.fnSuffix(path.Handle())); }
String FilenameSetSuffix(const String& path, const char* suffix) {
  return String::Adopt(gTable.fnSetSuffix(path.Handle(), suffix));
}
bool FilenameExists(const String& path) { return gTable.fnExists(path.Handle()) != 0; }
bool FileDelete(const String& path) { return gTable.fileDelete(path.Handle()) != 0; }
bool FileRename(const String& from, const String& to) {
  return gTable.fileRename != nullptr && gTable.fileRename(from.Handle(), to.Handle()) != 0;
}

// ---------------------------------------------------------------- scene

// An older host's table has no scene services: every call then answers as
// for an empty scene.
namespace {

const HostSceneApi* SceneTable() {
  return gTable.scene;
}

Vector FromHost(const HostVector& v) {
  return Vector{v.x, v.y, v.z};
}

}  // namespace

int32_t HostVersion() {
  return gTable.version;
}

SceneObject* GetFirstObject(const BaseDocument* doc) {
  return SceneTable() && doc ? SceneTable()->docFirstObject(doc) : nullptr;
}
SceneObject* ObjectDown(const SceneObject* object) {
  return SceneTable() && object ? SceneTable()->objDown(object) : nullptr;
}
SceneObject* ObjectNext(const SceneObject* object) {
  return SceneTable() && object ? SceneTable()->objNext(object) : nullptr;
}
SceneObject* ObjectUp(const SceneObject* object) {
  return SceneTable() && object ? SceneTable()->objUp(object) : nullptr;
}

int32_t ObjectType(const SceneObject* object) {
  return SceneTable() && object ? SceneTable()->objType(object) : 0;
}
String ObjectName(const SceneObject* object) {
  return SceneTable() && object ? String::Adopt(SceneTable()->objName(object)) : String();
}
int32_t ObjectVisibility(const SceneObject* object) {
  return SceneTable() && object ? SceneTable()->objVisibility(object) : kVisibilityUndefined;
}
Matrix ObjectGlobalMatrix(const SceneObject* object) {
  if (!SceneTable() || !object) return Matrix();
  const HostMatrix m = SceneTable()->objGlobalMatrix(object);
  return Matrix{FromHost(m.off), FromHost(m.v1), FromHost(m.v2), FromHost(m.v3)};
}

PreciseMatrix ObjectGlobalMatrixPrecise(const SceneObject* object) {
  PreciseMatrix out;
  if (!SceneTable() || !object) return out;
  const auto copy = [](double to[3], double x, double y, double z) {
    to[0] = x;
    to[1] = y;
    to[2] = z;
  };
  if (gTable.objGlobalMatrixPrecise != nullptr) {
    HostMatrixPrecise m{};
    gTable.objGlobalMatrixPrecise(object, &m);
    copy(out.off, m.off.x, m.off.y, m.off.z);
    copy(out.v1, m.v1.x, m.v1.y, m.v1.z);
    copy(out.v2, m.v2.x, m.v2.y, m.v2.z);
    copy(out.v3, m.v3.x, m.v3.y, m.v3.z);
    return out;
  }
  const Matrix m = ObjectGlobalMatrix(object);
  copy(out.off, m.off.x, m.off.y, m.off.z);
  copy(out.v1, m.v1.x, m.v1.y, m.v1.z);
  copy(out.v2, m.v2.x, m.v2.y, m.v2.z);
  copy(out.v3, m.v3.x, m.v3.y, m.v3.z);
  return out;
}

int32_t ObjectPointCount(const SceneObject* object) {
  return SceneTable() && object ? SceneTable()->objPointCount(object) : 0;
}
const HostVector* ObjectPoints(const SceneObject* object) {
  return SceneTable() && object ? SceneTable()->objPoints(object) : nullptr;
}
int32_t ObjectPolygonCount(const SceneObject* object) {
  return SceneTable() && object ? SceneTable()->objPolygonCount(object) : 0;
}
const HostPolygon* ObjectPolygons(const SceneObject* object) {
  return SceneTable() && object ? SceneTable()->objPolygons(object) : nullptr;
}

int32_t ObjectTagCount(const SceneObject* object) {
  return SceneTable() && object ? SceneTable()->objTagCount(object) : 0;
}
SceneTag* ObjectTag(const SceneObject* object, int32_t index) {
  return SceneTable() && object ? SceneTable()->objTag(object, index) : nullptr;
}
int32_t TagType(const SceneTag* tag) {
  return SceneTable() && tag ? SceneTable()->tagType(tag) : 0;
}
String TagName(const SceneTag* tag) {
  return SceneTable() && tag ? String::Adopt(SceneTable()->tagName(tag)) : String();
}
BaseContainer TagData(const SceneTag* tag) {
  return BaseContainer::Adopt(SceneTable() && tag ? SceneTable()->tagGetData(tag) : nullptr);
}
bool SetTagData(SceneTag* tag, const BaseContainer& data) {
  return SceneTable() && tag && data.Valid() && SceneTable()->tagSetData(tag, data.Handle()) != 0;
}
SceneMaterial* TagMaterial(const SceneTag* tag) {
  return SceneTable() && tag ? SceneTable()->tagMaterial(tag) : nullptr;
}
const HostSelection* TagSelection(const SceneTag* tag) {
  return SceneTable() && tag ? SceneTable()->tagSelection(tag) : nullptr;
}
int32_t TagPluginId(const SceneTag* tag) {
  return SceneTable() && tag ? SceneTable()->tagPluginId(tag) : 0;
}

int32_t MaterialType(const SceneMaterial* material) {
  return SceneTable() && material ? SceneTable()->mtlType(material) : 0;
}
String MaterialName(const SceneMaterial* material) {
  return SceneTable() && material ? String::Adopt(SceneTable()->mtlName(material)) : String();
}
bool MaterialChannelEnabled(const SceneMaterial* material, int32_t channel) {
  return SceneTable() && material && SceneTable()->mtlChannelEnabled(material, channel) != 0;
}
BaseContainer MaterialChannelData(const SceneMaterial* material, int32_t channel) {
  return BaseContainer::Adopt(
      SceneTable() && material ? SceneTable()->mtlChannelData(material, channel) : nullptr);
}
BaseContainer MaterialData(const SceneMaterial* material) {
  return BaseContainer::Adopt(SceneTable() && material ? SceneTable()->mtlGetData(material)
                                                       : nullptr);
}

Selection::Selection(const Selection& other) {
  if (other.Valid() && Create()) CopyFrom(other.handle_);
}
Selection::Selection(Selection&& other) noexcept : handle_(other.handle_) {
  other.handle_ = nullptr;
}
Selection& Selection::operator=(const Selection& other) {
  if (this == &other) return *this;
  if (!other.Valid()) {
    DeselectAll();
  } else if (Valid() || Create()) {
    CopyFrom(other.handle_);
  }
  return *this;
}
Selection& Selection::operator=(Selection&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) gTable.scene->selFree(handle_);
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}
Selection::~Selection() {
  if (handle_ != nullptr) gTable.scene->selFree(handle_);
}

bool Selection::Create() {
  if (handle_ != nullptr) {
    DeselectAll();
    return true;
  }
  handle_ = SceneTable() ? SceneTable()->selNew() : nullptr;
  return handle_ != nullptr;
}
bool Selection::Select(int32_t index) {
  return handle_ != nullptr && gTable.scene->selSelect(handle_, index) != 0;
}
void Selection::Deselect(int32_t index) {
  if (handle_ != nullptr) gTable.scene->selDeselect(handle_, index);
}
void Selection::DeselectAll() {
  if (handle_ != nullptr) gTable.scene->selDeselectAll(handle_);
}
bool Selection::IsSelected(int32_t index) const {
  return handle_ != nullptr && gTable.scene->selIsSelected(handle_, index) != 0;
}
int32_t Selection::Count() const {
  return handle_ != nullptr ? gTable.scene->selCount(handle_) : 0;
}
bool Selection::CopyFrom(const HostSelection* source) {
  return handle_ != nullptr && source != nullptr && gTable.scene->selCopyFrom(handle_, source) != 0;
}

PolygonNeighbourService::~PolygonNeighbourService() {
  if (handle_ != nullptr) gTable.scene->nbrFree(handle_);
}
bool PolygonNeighbourService::Init(int32_t pointCount, const HostPolygon* polygons,
                                   int32_t polygonCount) {
  if (handle_ != nullptr) gTable.scene->nbrFree(handle_);
  handle_ = SceneTable() ? SceneTable()->nbrNew(pointCount, polygons, polygonCount) : nullptr;
  return handle_ != nullptr;
}
void PolygonNeighbourService::EdgePolygons(int32_t a, int32_t b, int32_t& first,
                                           int32_t& second) const {
  first = -1;
  second = -1;
  if (handle_ != nullptr) gTable.scene->nbrEdgePolygons(handle_, a, b, &first, &second);
}

BaseDocument* PolygonizeDocument(const BaseDocument* doc) {
  return SceneTable() && doc ? SceneTable()->docPolygonize(doc) : nullptr;
}
SceneObject* ViewLinkedCamera(const BaseDocument* doc) {
  return SceneTable() && doc ? SceneTable()->docViewLinkedCamera(doc) : nullptr;
}
SceneObject* ViewCamera(const BaseDocument* doc) {
  return SceneTable() && doc ? SceneTable()->docViewCamera(doc) : nullptr;
}
int32_t CameraProjection(const SceneObject* camera) {
  return SceneTable() && camera ? SceneTable()->camProjection(camera) : kProjectionPerspective;
}
double CameraLens(const SceneObject* camera) {
  return SceneTable() && camera ? SceneTable()->camLens(camera) : 0.0;
}
double CameraFilmWidth(const SceneObject* camera) {
  return SceneTable() && camera ? SceneTable()->camFilmWidth(camera) : 0.0;
}
double CameraZoom(const SceneObject* camera) {
  return SceneTable() && camera ? SceneTable()->camZoom(camera) : 0.0;
}
