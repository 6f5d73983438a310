// The host's function table: the only door between a plug-in module and the
// host runtime. The host fills one `HostApi` and hands it to the module's
// entry point at init; the module calls every service through it. The layout
// is plain C (handles are opaque, strings cross as UTF-8 text) so that the
// module can be built and loaded as a separate shared library.
//
// New services are appended at the end of the table, never inserted, so a
// module built against an older table keeps working.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

// The interface version this host speaks. Modules refuse hosts below 7300;
// the host can report another version for tests (see host/runtime.h).
// 7900 appended fileWriteDrawing; 8000 parallelThreads and parallelFor.
constexpr int32_t kHostApiVersion = 8000;

// Opaque host objects. The module only ever holds pointers to them.
struct HostString;
struct HostContainer;
struct HostDocument;
struct HostThread;
struct HostFile;
struct HostResource;
struct HostUiApi;  // dialogs, registration, bitmaps: host/api/host_ui_api.h
struct HostObject;
struct HostMatrixPrecise;
struct HostSceneApi;  // objects, tags, materials, selections, cameras: host/api/host_scene_api.h

// Exact time as a reduced fraction num / den with den > 0.
struct HostTime {
  int64_t num;
  int64_t den;
};

// A vector of the host: three single-precision numbers.
struct HostVector {
  float x, y, z;
};

// Local date and time as the host's clock gives it.
struct HostDateTime {
  int32_t year, month, day, hour, minute, second;
};

// A drawing handed to the host to be written in a format the host draws
// (fileWriteDrawing). Page units are points; x grows to the right, y downward
// from the top edge. Parts are painted in order, each as one compound path:
// its fill first (non-zero rule, every path closed), then its stroke (butt
// ends, mitred corners with limit 10, closed paths only when filled).
enum HostDrawingFormat : int32_t {
  kHostDrawingSvg = 1,
  kHostDrawingPdf = 2,
  kHostDrawingPng = 3,
};

struct HostDrawingPath {
  const double* xy;  // count points as x, y pairs
  int32_t count;
};

enum HostDrawingPaint : int32_t {
  kHostPaintFill = 1,
  kHostPaintStroke = 2,
};

struct HostDrawingPart {
  int32_t paint;      // HostDrawingPaint bits
  uint8_t fill[4];    // RGBA; alpha is not used
  uint8_t stroke[4];  // RGBA; alpha is not used
  double lineWidth;   // points; 0: the thinnest line the output can show
  const char* layer;  // what the lines are ("edges", "creases", ...); parts of
                      // one layer and stroke colour are grouped where the format can
  const HostDrawingPath* paths;
  int32_t pathCount;
  const char* object;  // the name of the scene object all its paths are of; null: none
};

// The unit a format that states its page size in units states it in.
enum HostDrawingUnit : int32_t {
  kHostUnitPoints = 0,
  kHostUnitMillimetres = 1,  // the page is a sheet of paper chosen in millimetres
};

struct HostDrawing {
  int32_t width;  // page size in points
  int32_t height;
  double pixelsPerPoint;  // raster formats: the picture's scale (1 = 72 dpi)
  const HostDrawingPart* parts;
  int32_t partCount;
  int32_t sizeUnit;  // HostDrawingUnit
};

// Kinds of a document's data containers.
enum HostDocumentData : int32_t {
  kDocumentSettings = 0,  // keys kDoc* in host/api/vexmark_ids.h
  kDocumentPluginData = 1,
  kDocumentRenderSettings = 2,  // keys kRender* in host/api/vexmark_ids.h
};

// messageBox: the kind of box asked for, and the answers it returns.
constexpr int32_t kMessageBoxYesNo = 0x24;  // a question answered yes or no
constexpr int32_t kMessageAnswerOk = 1;     // the answer to any other box
constexpr int32_t kMessageAnswerYes = 6;
constexpr int32_t kMessageAnswerNo = 7;

// setPointer: the mouse pointer's shapes.
constexpr int32_t kPointerNormal = 2;
constexpr int32_t kPointerBusy = 3;

// threadStart: the mode and priority a module starts its threads with (a
// thread of its own, normal priority; this host has no other kinds).
constexpr int32_t kThreadModeAsync = 1;
constexpr int32_t kThreadPriorityNormal = 1;

// docAnimate: both flags of a full evaluation of every track (the flags this
// host is given; it evaluates every track whatever they are).
constexpr int32_t kAnimateFull = 1;

// Hooks a thread handle calls on the new thread.
using HostThreadMain = void (*)(void* user);
using HostThreadBreak = int32_t (*)(void* user);

// One index of a parallelFor; returns 0 to ask that no further index start.
using HostParallelBody = int32_t (*)(void* context, int32_t index);

struct HostApi {
  int32_t version;
  int32_t size;  // sizeof(HostApi) as the host was built

  // Memory: null on failure.
  void* (*memAlloc)(size_t bytes);
  void (*memFree)(void* block);

  // Console and messages. messageBox shows `text` in a modal box of kind
  // `code` (kMessageBox*) and returns the answer (kMessageAnswer*).
  void (*consolePrint)(const char* line);
  int32_t (*messageBox)(const char* text, int32_t code);

  // Status bar, pointer and timer; all callable from any thread.
  void (*statusText)(const char* text);
  void (*statusPercent)(int32_t percent);
  void (*statusSpin)();
  void (*statusClear)();
  void (*setPointer)(int32_t code);  // kPointerBusy, kPointerNormal
  int32_t (*timerMs)();

  // Special events, delivered later on the user-interface thread.
  void (*postSpecialEvent)(int32_t id, int32_t a, int32_t b);

  // Strings. Every returned string belongs to the caller (free with strFree).
  HostString* (*strNew)(const char* text);
  HostString* (*strCopy)(const HostString* s);
  void (*strFree)(HostString* s);
  const char* (*strText)(const HostString* s);  // valid until s changes or is freed
  int32_t (*strLength)(const HostString* s);
  void (*strSet)(HostString* s, const char* text);
  void (*strAppend)(HostString* s, const HostString* tail);
  int32_t (*strFindChar)(const HostString* s, int32_t ch, int32_t from);  // -1 if absent
  HostString* (*strSub)(const HostString* s, int32_t start, int32_t count);
  HostString* (*strFromInt)(int64_t value);
  // Real to text. fracDigits < 0 means the host's default (shortest exact-enough
  // form); intDigits pads the integer part with `fill` to at least that many
  // digits; exponent != 0 allows exponent form for very large or small values.
  HostString* (*strFromReal)(double value, int32_t intDigits, int32_t fracDigits, int32_t exponent,
                             int32_t fill);

  // Containers of typed values under integer keys; a missing key yields the
  // caller's default.
  HostContainer* (*bcNew)(int32_t id);
  HostContainer* (*bcCopy)(const HostContainer* c);
  void (*bcFree)(HostContainer* c);
  int32_t (*bcId)(const HostContainer* c);
  int32_t (*bcHas)(const HostContainer* c, int32_t key);
  void (*bcRemove)(HostContainer* c, int32_t key);
  int64_t (*bcGetInt)(const HostContainer* c, int32_t key, int64_t preset);
  void (*bcSetInt)(HostContainer* c, int32_t key, int64_t value);
  int32_t (*bcGetBool)(const HostContainer* c, int32_t key, int32_t preset);
  void (*bcSetBool)(HostContainer* c, int32_t key, int32_t value);
  double (*bcGetReal)(const HostContainer* c, int32_t key, double preset);
  void (*bcSetReal)(HostContainer* c, int32_t key, double value);
  HostVector (*bcGetVector)(const HostContainer* c, int32_t key, HostVector preset);
  void (*bcSetVector)(HostContainer* c, int32_t key, HostVector value);
  HostString* (*bcGetString)(const HostContainer* c, int32_t key, const HostString* preset);
  void (*bcSetString)(HostContainer* c, int32_t key, const HostString* value);
  HostString* (*bcGetFilename)(const HostContainer* c, int32_t key, const HostString* preset);
  void (*bcSetFilename)(HostContainer* c, int32_t key, const HostString* value);
  HostTime (*bcGetTime)(const HostContainer* c, int32_t key, HostTime preset);
  void (*bcSetTime)(HostContainer* c, int32_t key, HostTime value);
  HostContainer* (*bcGetContainer)(const HostContainer* c, int32_t key);  // copy, or null
  void (*bcSetContainer)(HostContainer* c, int32_t key, const HostContainer* value);

  // Documents. docGetData returns a copy of the container (null when the
  // document has none of that kind); docSetData stores a copy.
  HostDocument* (*docActive)();
  HostDocument* (*docAlloc)();
  int32_t (*docCopyInto)(const HostDocument* source, HostDocument* target);
  void (*docFree)(HostDocument* doc);
  HostContainer* (*docGetData)(const HostDocument* doc, int32_t kind);
  int32_t (*docSetData)(HostDocument* doc, int32_t kind, const HostContainer* data);
  void (*docSetTime)(HostDocument* doc, HostTime time);
  HostTime (*docGetTime)(const HostDocument* doc);
  // Evaluates the document's animation at its current time (flags
  // kAnimateFull); returns when done.
  void (*docAnimate)(HostDocument* doc, HostThread* thread, int32_t flags1, int32_t flags2);

  // Threads. threadStart launches the main hook on a new thread (mode
  // kThreadModeAsync, priority kThreadPriorityNormal); threadEnd asks it to
  // end (and waits for it when wait != 0).
  HostThread* (*threadNew)(HostThreadMain main, HostThreadBreak testBreak, void* user);
  int32_t (*threadStart)(HostThread* t, int32_t mode, int32_t priority);
  int32_t (*threadIsRunning)(const HostThread* t);
  int32_t (*threadTestBreak)(const HostThread* t);  // the standard break answer
  void (*threadEnd)(HostThread* t, int32_t wait);
  void (*threadFree)(HostThread* t);

  // File names (as strings) and files.
  HostString* (*fnCompose)(const HostString* folder, const HostString* file);
  HostString* (*fnFilePart)(const HostString* path);
  HostString* (*fnFolderPart)(const HostString* path);
  HostString* (*fnSuffix)(const HostString* path);  // without the dot, or empty
  HostString* (*fnSetSuffix)(const HostString* path, const char* suffix);  // "" removes it
  int32_t (*fnExists)(const HostString* path);
  // Asks the user for a file to save; returns a new string or null when cancelled.
  HostString* (*fnSaveSelector)(const char* title, const HostString* preset);
  HostFile* (*fileOpenWrite)(const HostString* path);  // null on failure
  int32_t (*fileWrite)(HostFile* f, const void* data, int32_t bytes);
  int32_t (*fileClose)(HostFile* f);  // flushes; false when anything failed
  int32_t (*fileDelete)(const HostString* path);

  // Owner record of the installation and the local time.
  void (*ownerRecord)(HostString** name, HostString** company);
  HostDateTime (*localTime)();

  // Module resources: the string table of a resource folder.
  HostResource* (*resLoad)(const HostString* folder);
  void (*resFree)(HostResource* r);
  HostString* (*resString)(const HostResource* r, int32_t id);  // empty when missing

  // Dialogs, command and tag registration, bitmaps.
  const HostUiApi* ui;

  // Scene objects, tags, materials, selections, neighbours, view and camera.
  const HostSceneApi* scene;

  // Renames a file, replacing any ordinary file of the new name; false on
  // failure. A temporary file from fileOpenTemporary replaces an existing
  // file only where the host allows it (a program that asks the user first
  // allows only the files the user agreed to replace); else the rename fails
  // and the file of the new name stays as it is.
  int32_t (*fileRename)(const HostString* from, const HostString* to);

  // Creates a new empty file beside `path` (in its folder) under a unique
  // name, exclusively: never over an existing file, never through a symbolic
  // link. Sets *name to the new file's name (a new string; where the file
  // system allows, the file has no name on disk until the rename, and this
  // name only stands for it) and returns the file open for writing; null on
  // failure. The caller renames it to `path` with fileRename when complete,
  // or removes it with fileDelete; until then the host removes it when the
  // program is interrupted.
  HostFile* (*fileOpenTemporary)(const HostString* path, HostString** name);

  // The object's global matrix in double precision; scene->objGlobalMatrix
  // rounds it to single precision, which puts the points of a model far
  // from the origin on a coarse grid. The identity for a null object.
  void (*objGlobalMatrixPrecise)(const HostObject* obj, HostMatrixPrecise* out);

  // Writes `drawing` in `format` (HostDrawingFormat) to the open file `f`
  // (from fileOpenTemporary or fileOpenWrite) from its current position;
  // the caller still closes the file. False when the format is unknown, the
  // drawing cannot be drawn or a write failed; the file then counts as
  // failed. Since version 7900.
  int32_t (*fileWriteDrawing)(HostFile* f, int32_t format, const HostDrawing* drawing);

  // Parallel work, since version 8000. parallelThreads: how many threads
  // parallelFor runs on, the calling thread among them (at least 1; the
  // user chooses it, by default the hardware's thread count).
  int32_t (*parallelThreads)();
  // Calls body(context, index) once for every index in 0..count-1, in no
  // fixed order, on up to parallelThreads() threads, the calling thread
  // among them, and returns when every call has returned. A call that
  // returns 0 asks for the end: no index starts after it (those running
  // finish). The other threads are the host's and carry nothing of the
  // caller's thread-local state; they block the signals the caller blocks.
  // Returns 1 when every index ran and none asked for the end, else 0.
  // Called from inside a body, it runs its indices on that thread.
  int32_t (*parallelFor)(int32_t count, HostParallelBody body, void* context);
};

}  // extern "C"
