// The IDs that the export module and its host (runtime, importers and the
// vexmark program) share: plug-in IDs, container keys, choice values, dialog
// gadgets and string-table entries, and the limits, defaults and rules of
// arithmetic that both sides apply. Both sides take them from here, so that
// each number is written once.
#pragma once

#include <cstdint>

// Plug-in IDs. The export command's ID is also the key of the stored export
// settings in the document's plug-in data and the ID of the end-of-job event.
constexpr int32_t kVexmarkCommandId = 1010761;
constexpr int32_t kExportTagId = 1010814;

// The start of the console line the module prints for a frame that writes
// no file because nothing of the scene is in view; the file's name follows.
// The program gathers these lines into one.
constexpr char kNothingInViewLine[] = "Nothing in view, no file: ";

// Keys of a document's settings (data kind kDocumentSettings).
constexpr int32_t kDocTime = 1000;       // time
constexpr int32_t kDocFps = 1001;        // integer
constexpr int32_t kDocStartTime = 1002;  // time
constexpr int32_t kDocFolder = 1012;     // file name
constexpr int32_t kDocName = 1013;       // string
// A document's frame rate when it sets none, and a new document's.
constexpr int32_t kDefaultDocumentFps = 30;

// Keys of a document's render settings (data kind kDocumentRenderSettings).
constexpr int32_t kRenderWidth = 5008;   // integer
constexpr int32_t kRenderHeight = 5009;  // integer
constexpr int32_t kRenderFrom = 5017;    // time
constexpr int32_t kRenderTo = 5018;      // time
constexpr int32_t kRenderFps = 5020;     // integer
constexpr int32_t kRenderFile = 5041;    // file name

// Keys of the export settings sub-container, stored in the document's plug-in
// data under kVexmarkCommandId.
enum SettingsKey : int32_t {
  kSettingsValid = 1000,  // holds 1 when the sub-container is valid
  kSettingsFromFrame = 1001,
  kSettingsToFrame = 1002,
  kSettingsDrawingStyle = 1003,
  kSettingsBackFaces = 1004,
  kSettingsFrameRate = 1005,
  kSettingsWidth = 1006,
  kSettingsHeight = 1007,
  kSettingsFileName = 1008,
  kSettingsOutlineLines = 1009,
  kSettingsCreaseLines = 1010,
  kSettingsCreaseAngle = 1011,
  kSettingsLineWidth = 1012,
  kSettingsSkipCoplanarEdges = 1013,
  kSettingsLineColour = 1014,
  kSettingsLineBrightness = 1015,
  kSettingsPlotter = 1016,          // bool
  kSettingsMinStrokeLength = 1017,  // real, points
  kSettingsSimplify = 1018,         // real, points
  kSettingsPaperWidth = 1019,       // real, millimetres; 0: no sheet
  kSettingsPaperHeight = 1020,      // real, millimetres
  kSettingsPaperMargin = 1021,      // real, millimetres
  kSettingsMoreFiles = 1022,        // string: further files of each frame, one name a line
  kSettingsPngDpi = 1023,           // integer: dots per inch of PNG pictures
};

// Drawing styles: the values of kSettingsDrawingStyle and of the style gadget.
constexpr int32_t kStyleAllEdges = 10034;      // drawn edges, no hidden-surface removal
constexpr int32_t kStyleVisibleEdges = 10035;  // drawn edges after hidden-surface removal
constexpr int32_t kStyleEdgeLines = 10036;     // colour-region edge lines and creases
constexpr int32_t kStyleFilled = 10037;        // filled colour regions with edges and creases

// Limits both sides hold an export to: the picture's width and height in
// pixels (1 to kMaxPictureSize), and the files one export may write.
constexpr int32_t kMaxPictureSize = 100000;
constexpr int64_t kMaxExportFrames = 100000;
// PNG pictures: 72 dots per inch is one pixel per point.
constexpr int32_t kDefaultPngDpi = 72;
constexpr int32_t kMaxPngDpi = 7200;

// How many files the frame range from..to (document frames at `fps` frames
// a second) gives at `rate` exported frames a second: one per step of
// 1/rate seconds from the first frame up to the last; kMaxExportFrames + 1
// for any count past the limit, and 0 when the range ends before it
// starts. `rate` and `fps` must be at least 1.
constexpr int64_t FramesInRange(int64_t from, int64_t to, int64_t rate, int64_t fps) {
  if (to < from) return 0;
  const __int128 steps = (static_cast<__int128>(to) - from) * rate / fps;
  return steps >= kMaxExportFrames ? kMaxExportFrames + 1 : static_cast<int64_t>(steps) + 1;
}

// Numbers both sides compute with.
constexpr double kPi = 3.14159265358979323846;
// Points (1/72 inch) in a millimetre: sheet sizes are given in millimetres.
constexpr double kPointsPerMm = 72.0 / 25.4;

// Back-face modes: the values of kSettingsBackFaces and of the back-face gadget.
constexpr int32_t kBackFacesDrop = 10039;
constexpr int32_t kBackFacesKeep = 10040;

// Keys of an export tag's settings.
enum TagKey : int32_t {
  kTagOutline = 1000,
  kTagCrease = 1001,
  kTagCreaseAngle = 1002,
  kTagLineWidth = 1003,
  kTagFlatEdges = 1004,
  kTagLineColour = 1005,
  kTagLineBrightness = 1006,
};

// Gadgets of the main dialog, and its layout (res/dialogs/<kMainLayout>.dlg).
enum VexmarkGadget : int32_t {
  kGadgetExport = 1,
  kGadgetCancel = 2,
  kMainLayout = 10001,
  kGadgetSettingsPart = 10002,  // disabled while an export runs
  kGadgetButtonGroup = 10003,
  kGadgetLayoutTarget = 10005,
  kGadgetFromRenderSettings = 10007,
  kGadgetFromFrame = 10008,
  kGadgetToFrame = 10009,
  kGadgetWidth = 10010,
  kGadgetHeight = 10011,
  kGadgetPictureSize = 10012,
  kGadgetFrameRate = 10032,
  kGadgetStyle = 10033,
  kGadgetBackFaces = 10038,
  kGadgetChooseFile = 10041,
  kGadgetFileName = 10042,
  kGadgetOutline = 10044,
  kGadgetCrease = 10045,
  kGadgetCreaseAngle = 10046,
  kGadgetLineWidth = 10047,
  kGadgetFlatEdges = 10048,
  kGadgetLineColour = 10049,
  kGadgetMoreFiles = 10065,  // further files, one name a line
  kGadgetPngDpi = 10066,
  kGadgetPlotterGroup = 10080,
  kGadgetPlotter = 10081,
  kGadgetMinStrokeLength = 10082,
  kGadgetSimplify = 10083,
  kGadgetPaperWidth = 10084,
  kGadgetPaperHeight = 10085,
  kGadgetPaperMargin = 10086,
};

// The tag dialog's layout (res/dialogs/<kTagLayout>.dlg) and its gadgets.
constexpr int32_t kTagLayout = 10050;
enum TagGadget : int32_t {
  kTagGadgetOutline = 10052,
  kTagGadgetCrease = 10053,
  kTagGadgetCreaseAngle = 10054,
  kTagGadgetLineWidth = 10055,
  kTagGadgetFlatEdges = 10056,
  kTagGadgetLineColour = 10057,
};

// Entries of the module's string table (res/strings.txt).
constexpr int32_t kCommandNameString = 10106;
constexpr int32_t kCommandHelpString = 10107;
constexpr int32_t kStatusPrefixString = 10108;  // shown before the frame index
constexpr int32_t kTagNameString = 10110;
constexpr int32_t kTagHelpString = 10111;
constexpr int32_t kOverwriteQuestionString = 10112;  // '#' stands for the file name
