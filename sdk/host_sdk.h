// The module's view of the host: small wrapper types over the function table
// (strings, containers, time, documents, threads, memory) so that module code
// reads naturally and never touches the table directly. This header and
// host_api.h are the only host headers a module file may include; the
// wrappers are compiled into the module (host_sdk.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

#include "host/api/host_api.h"
#include "host/api/vexmark_ids.h"
#include "host/api/host_scene_api.h"

// Binds the module to the host's table; called once at init. The table is
// copied, so the host's storage may go away afterwards.
void HostBind(const HostApi* table);
// The bound table. Calling a service before HostBind is a programming error.
const HostApi& Host();
bool HostIsBound();

// ---------------------------------------------------------------- memory

void* MemAlloc(size_t bytes);
void MemFree(void* block);

// Constructs a T in host memory; null when the host has no memory.
template <class T, class... Args>
T* HostNew(Args&&... args) {
  void* block = MemAlloc(sizeof(T));
  if (block == nullptr) return nullptr;
  return new (block) T(std::forward<Args>(args)...);
}

template <class T>
void HostDelete(T* object) {
  if (object == nullptr) return;
  object->~T();
  MemFree(object);
}

// Array allocation in host memory: every slot default-constructed, the count
// kept in a header before the first slot so that the release can run every
// destructor. Null when the host has no memory.
namespace host_sdk_detail {
constexpr size_t ArrayHeader(size_t align) { return align > 16 ? align : 16; }
}  // namespace host_sdk_detail

template <class T>
T* HostNewArray(int32_t count) {
  if (count <= 0) return nullptr;
  const size_t header = host_sdk_detail::ArrayHeader(alignof(T));
  char* block = static_cast<char*>(MemAlloc(header + sizeof(T) * static_cast<size_t>(count)));
  if (block == nullptr) return nullptr;
  *reinterpret_cast<int32_t*>(block) = count;
  T* items = reinterpret_cast<T*>(block + header);
  for (int32_t i = 0; i < count; ++i) new (items + i) T();
  return items;
}

template <class T>
void HostDeleteArray(T* items) {
  if (items == nullptr) return;
  const size_t header = host_sdk_detail::ArrayHeader(alignof(T));
  char* block = reinterpret_cast<char*>(items) - header;
  const int32_t count = *reinterpret_cast<int32_t*>(block);
  for (int32_t i = 0; i < count; ++i) items[i].~T();
  MemFree(block);
}

// ---------------------------------------------------------------- console

void ConsolePrint(const char* line);
// Prints "NO MEMORY: <source> <line>", the module's report of a failed allocation.
void ReportNoMemory(const char* source, int32_t line);

// ---------------------------------------------------------------- strings

// A host string with value semantics. A string whose host allocation failed
// behaves as empty.
class String {
 public:
  String();
  String(const char* text);  // NOLINT: implicit on purpose, like a literal
  String(const String& other);
  String(String&& other) noexcept;
  String& operator=(const String& other);
  String& operator=(String&& other) noexcept;
  ~String();

  static String FromInt(int64_t value);
  // fracDigits < 0: the host's default form; see HostApi::strFromReal.
  static String FromReal(double value, int32_t intDigits = -1, int32_t fracDigits = -1,
                         bool exponent = false, char fill = '0');
  // Takes ownership of a string the host returned.
  static String Adopt(HostString* handle);

  const char* Text() const;
  int32_t Length() const;
  bool Empty() const { return Length() == 0; }
  int32_t FindChar(char ch, int32_t from = 0) const;  // -1 when absent
  String Sub(int32_t start, int32_t count) const;
  String& operator+=(const String& tail);
  friend String operator+(const String& a, const String& b);
  bool operator==(const char* text) const;
  bool operator==(const String& other) const { return *this == other.Text(); }

  const HostString* Handle() const { return handle_; }

 private:
  HostString* handle_ = nullptr;
};

// ---------------------------------------------------------------- time

// Exact time as a reduced fraction.
struct Time : HostTime {
  Time() : HostTime{0, 1} {}
  Time(int64_t numerator, int64_t denominator);  // reduces; denominator 0 gives 0
  Time(const HostTime& t) : Time(t.num, t.den) {}  // NOLINT
  static Time FromFrame(int64_t frame, int64_t fps) { return Time(frame, fps); }
  // The frame at `fps` that this time falls in (rounded down).
  int64_t ToFrame(int64_t fps) const;
  double Seconds() const { return den == 0 ? 0.0 : static_cast<double>(num) / static_cast<double>(den); }
  friend Time operator+(const Time& a, const Time& b);
  // Compares exactly by cross-multiplication.
  friend int Compare(const Time& a, const Time& b);
  friend bool operator<(const Time& a, const Time& b) { return Compare(a, b) < 0; }
  friend bool operator<=(const Time& a, const Time& b) { return Compare(a, b) <= 0; }
  friend bool operator==(const Time& a, const Time& b) { return Compare(a, b) == 0; }
};

// ---------------------------------------------------------------- containers

struct Vector {
  float x = 0, y = 0, z = 0;
};

// Typed values under integer keys, with value semantics. Getters return the
// preset when the key is missing or holds another type.
class BaseContainer {
 public:
  explicit BaseContainer(int32_t id = 0);
  BaseContainer(const BaseContainer& other);
  BaseContainer(BaseContainer&& other) noexcept;
  BaseContainer& operator=(const BaseContainer& other);
  BaseContainer& operator=(BaseContainer&& other) noexcept;
  ~BaseContainer();
  // Takes ownership of a container the host returned (may be null: invalid).
  static BaseContainer Adopt(HostContainer* handle);

  bool Valid() const { return handle_ != nullptr; }
  int32_t Id() const;
  bool Has(int32_t key) const;

  int32_t GetInt(int32_t key, int32_t preset = 0) const;
  void SetInt(int32_t key, int32_t value);
  bool GetBool(int32_t key, bool preset = false) const;
  void SetBool(int32_t key, bool value);
  double GetReal(int32_t key, double preset = 0.0) const;
  void SetReal(int32_t key, double value);
  Vector GetVector(int32_t key, Vector preset = Vector()) const;
  void SetVector(int32_t key, const Vector& value);
  String GetString(int32_t key, const String& preset = String()) const;
  void SetString(int32_t key, const String& value);
  String GetFilename(int32_t key, const String& preset = String()) const;
  void SetFilename(int32_t key, const String& value);
  Time GetTime(int32_t key, const Time& preset = Time()) const;
  void SetTime(int32_t key, const Time& value);
  // A copy of the sub-container, or an invalid container when there is none.
  BaseContainer GetContainer(int32_t key) const;
  void SetContainer(int32_t key, const BaseContainer& value);

  const HostContainer* Handle() const { return handle_; }

 private:
  HostContainer* handle_ = nullptr;
};

// ---------------------------------------------------------------- documents

// Document and render setting keys: host/api/vexmark_ids.h.

// Documents are host objects; the module holds plain pointers to them.
using BaseDocument = HostDocument;

BaseDocument* GetActiveDocument();
BaseDocument* AllocDocument();                   // null on failure
BaseDocument* CopyDocument(const BaseDocument* source);  // new copy, or null
void FreeDocument(BaseDocument* doc);
// The document's data container of a kind; invalid when it has none.
BaseContainer GetDocumentData(const BaseDocument* doc, int32_t kind);
bool SetDocumentData(BaseDocument* doc, int32_t kind, const BaseContainer& data);
void SetDocumentTime(BaseDocument* doc, const Time& time);
Time GetDocumentTime(const BaseDocument* doc);

// ---------------------------------------------------------------- threads

// Base class of module threads. Construction asks the host for a handle that
// runs Main on a new thread and answers break tests through TestBreak.
class Thread {
 public:
  Thread();
  virtual ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // The break test the host calls on this thread's behalf: the host's
  // standard answer for this handle.
  virtual bool TestBreak();
  virtual void Main() = 0;

  bool Valid() const { return handle_ != nullptr; }
  bool Start();
  bool IsRunning() const;
  bool BreakRequested() const;
  // Asks the thread to end; waits for it when `wait` is true.
  void End(bool wait = true);
  HostThread* Handle() const { return handle_; }

 private:
  static void MainHook(void* user);
  static int32_t BreakHook(void* user);
  HostThread* handle_ = nullptr;
};

// Evaluates the document's animation at its current time for `thread`.
void AnimateDocument(BaseDocument* doc, Thread* thread, int32_t flags1, int32_t flags2);

// ---------------------------------------------------------------- parallel work

// How many threads ParallelFor uses: the host's count, at least 1; 1 for a
// host before API version 8000, which has no parallel service.
int32_t ParallelThreadCount();

// Calls body(context, index) once for every index in 0..count-1 on the
// host's threads, the calling thread among them, in no fixed order; a host
// without the service, or with one thread, runs them in order on the
// calling thread. A call that returns 0 asks for the end: no index starts
// after it. True when every index ran and none returned 0. The other
// threads have no job bound (core/job.h); the body must be safe to run
// concurrently with itself.
bool ParallelForCalls(int32_t count, HostParallelBody body, void* context);

// The same with a callable: body(index) returns false to ask for the end.
template <class Body>
bool ParallelFor(int32_t count, Body& body) {
  return ParallelForCalls(
      count,
      [](void* context, int32_t index) -> int32_t {
        return (*static_cast<Body*>(context))(index) ? 1 : 0;
      },
      &body);
}

// ---------------------------------------------------------------- status

void StatusSetText(const String& text);
void StatusSetBar(int32_t percent);
void StatusSetSpin();
void StatusClear();
void SetMousePointer(int32_t code);
int32_t TimerMs();
void PostSpecialEvent(int32_t id, int32_t a, int32_t b);

// ---------------------------------------------------------------- resources

// Loads the module's resources (string table) from its resource folder.
bool ResourcesLoad(const String& folder);
void ResourcesFree();
// A string of the module's string table; empty when missing or not loaded.
String LoadResourceString(int32_t id);
// The resources that ResourcesLoad loaded (null before and after).
const HostResource* ModuleResources();

// ---------------------------------------------------------------- files

// Writes bytes to a host file; every call reports success.
class HostFileWriter {
 public:
  HostFileWriter() = default;
  ~HostFileWriter();
  HostFileWriter(const HostFileWriter&) = delete;
  HostFileWriter& operator=(const HostFileWriter&) = delete;
  bool Open(const String& path);
  // Opens a new temporary file beside `target` and sets `name` to it; to be
  // renamed to `target` (FileRename) when complete or removed (FileDelete).
  // A host without the temporary-file service gets `target` + ".part".
  bool OpenTemporary(const String& target, String& name);
  bool Write(const void* data, int32_t bytes);
  // Has the host write `drawing` in `format` (HostDrawingFormat) from here
  // on; false when it could not, or when the host cannot draw drawings
  // (HostDrawsDrawings).
  bool WriteDrawing(int32_t format, const HostDrawing& drawing);
  bool Close();  // false when any write or the close failed
  bool IsOpen() const { return file_ != nullptr; }

 private:
  HostFile* file_ = nullptr;
  bool failed_ = false;
};

// Whether the host writes drawings in the formats it draws (SVG, PDF, PNG):
// hosts before API version 7900 do not.
bool HostDrawsDrawings();

String FilenameCompose(const String& folder, const String& file);
String FilenameFilePart(const String& path);
String FilenameFolderPart(const String& path);
String FilenameSuffix(const String& path);
String FilenameSetSuffix(const String& path, const char* suffix);
bool FilenameExists(const String& path);
bool FileDelete(const String& path);
bool FileRename(const String& from, const String& to);

// ---------------------------------------------------------------- scene

// Scene objects, tags and materials are host objects; the module holds plain
// pointers to them, valid while their document lives unchanged. Type codes,
// keys and the HostMatrix and HostPolygon layouts are in host_scene_api.h.
using SceneObject = HostObject;
using SceneTag = HostTag;
using SceneMaterial = HostMaterial;

// An affine map: a point p goes to off + v1 * p.x + v2 * p.y + v3 * p.z.
struct Matrix {
  Vector off;
  Vector v1{1, 0, 0};
  Vector v2{0, 1, 0};
  Vector v3{0, 0, 1};
};

// The interface version of the bound host (some answers depend on it).
int32_t HostVersion();

// The object tree: each call returns null at the end of its direction.
SceneObject* GetFirstObject(const BaseDocument* doc);
SceneObject* ObjectDown(const SceneObject* object);  // first child
SceneObject* ObjectNext(const SceneObject* object);  // next sibling
SceneObject* ObjectUp(const SceneObject* object);    // parent

int32_t ObjectType(const SceneObject* object);
String ObjectName(const SceneObject* object);
int32_t ObjectVisibility(const SceneObject* object);  // 0 on, 1 off, 2 undefined
Matrix ObjectGlobalMatrix(const SceneObject* object);

// The global matrix in double precision, as the host keeps it; from a host
// without that entry, the single-precision matrix widened.
struct PreciseMatrix {
  double off[3] = {0, 0, 0};
  double v1[3] = {1, 0, 0};
  double v2[3] = {0, 1, 0};
  double v3[3] = {0, 0, 1};
};
PreciseMatrix ObjectGlobalMatrixPrecise(const SceneObject* object);

// Points (object space) and polygons of a polygon object; null and 0 for
// other objects. The arrays are the host's own: read them, never free them.
int32_t ObjectPointCount(const SceneObject* object);
const HostVector* ObjectPoints(const SceneObject* object);
int32_t ObjectPolygonCount(const SceneObject* object);
const HostPolygon* ObjectPolygons(const SceneObject* object);

// Tags in order, and what each kind carries.
int32_t ObjectTagCount(const SceneObject* object);
SceneTag* ObjectTag(const SceneObject* object, int32_t index);  // null out of range
int32_t TagType(const SceneTag* tag);
String TagName(const SceneTag* tag);
BaseContainer TagData(const SceneTag* tag);  // a copy of the settings
bool SetTagData(SceneTag* tag, const BaseContainer& data);
SceneMaterial* TagMaterial(const SceneTag* tag);         // texture tags; null when none
const HostSelection* TagSelection(const SceneTag* tag);  // selection tags; else null
int32_t TagPluginId(const SceneTag* tag);                // plug-in tags; else 0

int32_t MaterialType(const SceneMaterial* material);
String MaterialName(const SceneMaterial* material);
bool MaterialChannelEnabled(const SceneMaterial* material, int32_t channel);
// The channel's container (colour 1000, brightness 1001); invalid when the
// host cannot give that channel.
BaseContainer MaterialChannelData(const SceneMaterial* material, int32_t channel);
BaseContainer MaterialData(const SceneMaterial* material);  // the material's own settings

// A set of polygon (or other) indices held by the host. Created empty by
// Create(); a selection whose creation failed is not Valid() and holds
// nothing. Copies are independent.
class Selection {
 public:
  Selection() = default;
  Selection(const Selection& other);
  Selection(Selection&& other) noexcept;
  Selection& operator=(const Selection& other);
  Selection& operator=(Selection&& other) noexcept;
  ~Selection();

  bool Create();  // false when the host had no memory
  bool Valid() const { return handle_ != nullptr; }
  bool Select(int32_t index);
  void Deselect(int32_t index);
  void DeselectAll();
  bool IsSelected(int32_t index) const;
  int32_t Count() const;
  // Replaces the contents with a copy of `source` (e.g. a tag's selection).
  bool CopyFrom(const HostSelection* source);
  const HostSelection* Handle() const { return handle_; }

 private:
  HostSelection* handle_ = nullptr;
};

// The host's polygon-neighbour service over one polygon list.
class PolygonNeighbourService {
 public:
  PolygonNeighbourService() = default;
  ~PolygonNeighbourService();
  PolygonNeighbourService(const PolygonNeighbourService&) = delete;
  PolygonNeighbourService& operator=(const PolygonNeighbourService&) = delete;

  // False when an index lies outside the points or the host had no memory.
  bool Init(int32_t pointCount, const HostPolygon* polygons, int32_t polygonCount);
  bool Valid() const { return handle_ != nullptr; }
  // The first two polygons that have the edge between points a and b
  // (either direction); -1 where there is none.
  void EdgePolygons(int32_t a, int32_t b, int32_t& first, int32_t& second) const;

 private:
  HostNeighbours* handle_ = nullptr;
};

// A new document with every object as polygons; free with FreeDocument.
BaseDocument* PolygonizeDocument(const BaseDocument* doc);

// The view's linked scene camera (null when none) and its own camera.
SceneObject* ViewLinkedCamera(const BaseDocument* doc);
SceneObject* ViewCamera(const BaseDocument* doc);
int32_t CameraProjection(const SceneObject* camera);  // 0 perspective, 1 parallel
double CameraLens(const SceneObject* camera);         // millimetres
double CameraFilmWidth(const SceneObject* camera);    // millimetres
double CameraZoom(const SceneObject* camera);
