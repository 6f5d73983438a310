// The messages a host sends through the module's entry point (kModuleMessage)
// to show the drawing of one frame without writing files, as the studio does:
//   c4d_main(kModuleMessage, p1 = the message ID, p2 = its record, p3 = null)
// where p1 carries the ID itself as a pointer-sized integer.
//
// kMessageStoreDialogSettings: the export dialog's shown settings are read as
// an export reads them and stored in the record's document, in its plug-in
// data under the export command's ID (where a saved scene keeps them).
// Answers 1, or 0 when the dialog is not open or the settings could not be
// stored.
//
// kMessageDrawPreview: one frame of the record's document drawn with the
// settings stored in it, by the same frame driver and job an export uses;
// the drawing is handed to `takeDrawing` as the plain description the host
// draws files from (HostDrawing), and nothing is written. Answers one of
// HostPreviewAnswer.
#pragma once

#include <cstdint>

#include "host/api/host_api.h"

extern "C" {

constexpr int32_t kMessageStoreDialogSettings = 0x56585353;  // 'VXSS'
constexpr int32_t kMessageDrawPreview = 0x56584450;          // 'VXDP'

struct HostSettingsRequest {
  HostDocument* document;  // receives the dialog's settings
};

struct HostPreviewRequest {
  // The document to draw; the module may change its time and animate it,
  // so the host hands it a copy of its own.
  HostDocument* document;
  int32_t frame;  // a document frame, at the document's rate
  // What the document's scene is: the host changes it whenever objects,
  // tags, materials or the camera change, so that the module may keep what
  // it captured of an earlier request with the same revision and frame.
  int64_t sceneRevision;
  // Read during the work; non-zero stops it (answer kPreviewStopped).
  const volatile int32_t* stop;
  // Called once with the drawing when it is made; the description lives only
  // during the call.
  void (*takeDrawing)(void* context, const HostDrawing* drawing);
  void* context;
};

enum HostPreviewAnswer : int32_t {
  kPreviewRefused = 0,        // no document, no callback or no stored settings
  kPreviewDrawn = 1,          // takeDrawing was called
  kPreviewNothingInView = 2,  // the camera sees nothing of the scene
  kPreviewStopped = 3,        // the stop flag ended the work
  kPreviewNoMemory = 4,       // memory ran out
};

}  // extern "C"
