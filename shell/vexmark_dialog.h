// VexmarkDialog: the module's one non-modal window. It shows the export
// settings, fills them from the scene's render settings or a list of picture
// sizes, lets the user choose the output file, and starts an export; while
// the export runs it offers only a stop button, and when the conversion
// thread reports the end of the job it deletes the thread and returns to its
// idle state.
#pragma once

#include <cstdint>

#include "core/export_settings.h"
#include "sdk/container.h"
#include "sdk/dialogs.h"
#include "sdk/document.h"
#include "sdk/strings.h"
#include "shell/frame_export.h"
#include "shell/settings_storage.h"

class ConvThread;

// The layout, gadget and string IDs: host/api/vexmark_ids.h.
// The message ID 'clos' as a four-character code.
constexpr int32_t kMessageClose = 0x636C6F73;
constexpr int32_t kLayoutRequest = 26;

class VexmarkDialog : public GeDialog {
 public:
  VexmarkDialog();
  ~VexmarkDialog() override;

  bool CreateLayout() override;
  bool InitValues() override;
  bool CoreMessage(int32_t id, const BaseContainer& message) override;
  bool Command(int32_t id, const BaseContainer& message) override;
  bool AskClose() override;
  bool Message(const BaseContainer& message) override;

  // Starts the conversion thread on a copy of the settings record.
  void StartExport();

  // Reads the shown settings as an export reads them and stores them in
  // `doc`'s plug-in data, for a drawing made without an export (a preview);
  // false while an export runs or when they cannot be stored.
  bool StoreShownSettings(BaseDocument* doc);

  ExportSettings* Settings() { return settings_; }
  // The running export's thread, and the document copy made for an export
  // that has not started yet (null when there is none).
  const ConvThread* RunningThread() const { return thread_; }
  const BaseDocument* DocumentCopy() const { return documentCopy_; }
  // The frame renderer handed to every export thread (tests install their own).
  void SetFrameRenderer(FrameRenderer renderer) { frameRenderer_ = renderer; }

 private:
  void TakeRenderSettings();
  void TakePictureSize();
  void ChooseFile();
  void Export();
  // Steps of Export; false when the user cancelled.
  bool ProposeFileName(bool& justChosen);
  void CompleteFileName();
  static String CompletedName(const String& name, const String& docFolder, const String& docName);
  bool ConfirmOverwrite();
  bool ConfirmOverwriteOf(const String& fileName);
  void ReadFrameSettings();  // range, size, style, back faces, files
  void ReadLineSettings();
  void ReadPlotterSettings();  // plotter paths and paper
  void ShowButtonRow(int32_t row);
  // Releases the document copy of an export that did not start.
  void DropDocumentCopy();

  bool ExportRunning() const;

  ExportSettings* settings_ = nullptr;        // the options shown, owned
  BaseDocument* documentCopy_ = nullptr;      // made for an export until its thread takes it
  ConvThread* thread_ = nullptr;              // the running export, owned
  FrameRenderer frameRenderer_ = &RenderFrame;
};
