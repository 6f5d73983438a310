#include "shell/vexmark_dialog.h"

#include "host/api/vexmark_ids.h"
#include "output/frame_file.h"
#include "sdk/console.h"
#include "sdk/container.h"
#include "sdk/dialogs.h"
#include "sdk/document.h"
#include "sdk/exact_time.h"
#include "sdk/files.h"
#include "sdk/memory.h"
#include "sdk/resources.h"
#include "sdk/status.h"
#include "sdk/strings.h"
#include "shell/conv_thread.h"

namespace {

constexpr int32_t kFullRangeMin = -2147483647;
constexpr int32_t kFullRangeMax = 2147483647;
constexpr double kAngleLimitDegrees = 9e18;
constexpr double kLengthLimit = 1.0e6;  // points or millimetres

struct PictureSize {
  int32_t value, width, height;
};

constexpr PictureSize kPictureSizes[] = {
    {10013, 160, 120},   {10014, 320, 240},   {10015, 384, 288},   {10016, 480, 360},
    {10017, 640, 480},   {10018, 720, 486},   {10019, 756, 480},   {10020, 768, 576},
    {10021, 720, 576},   {10022, 800, 600},   {10023, 1024, 768},  {10024, 1280, 1024},
    {10025, 1280, 720},  {10026, 1920, 1080}, {10027, 2000, 1125}, {10028, 2048, 1366},
    {10029, 2048, 1536}, {10030, 1248, 384},  {10031, 2048, 768},
};

// A time as a frame at `rate`, truncated towards zero.
int32_t FrameAt(const Time& time, int32_t rate) {
  if (time.den == 0) return 0;
  const __int128 frames = static_cast<__int128>(time.num) * rate / time.den;
  return static_cast<int32_t>(frames);
}

// Replaces the first '#' of `text` by `name`.
String ReplaceHash(const String& text, const String& name) {
  const int32_t hash = text.FindChar('#');
  if (hash < 0) return text;
  return text.Sub(0, hash) + name + text.Sub(hash + 1, text.Length() - hash - 1);
}

}  // namespace

VexmarkDialog::VexmarkDialog() {
  settings_ = HostNew<ExportSettings>();
}

VexmarkDialog::~VexmarkDialog() {
  // The module ends while an export runs: stop it and wait for it.
  HostDelete(thread_);
  thread_ = nullptr;
  DropDocumentCopy();
  HostDelete(settings_);
  settings_ = nullptr;
}

bool VexmarkDialog::CreateLayout() {
  return LoadDialogResource(kMainLayout);
}

bool VexmarkDialog::InitValues() {
  if (!GeDialog::InitValues() || settings_ == nullptr) return false;
  ExportSettings& s = *settings_;
  LoadSettings(s);
  SetInt(kGadgetFromFrame, s.fromFrame, kFullRangeMin, kFullRangeMax, 1);
  SetInt(kGadgetToFrame, s.toFrame, kFullRangeMin, kFullRangeMax, 1);
  SetInt(kGadgetFrameRate, s.frameRate, kFullRangeMin, kFullRangeMax, 1);
  SetInt(kGadgetWidth, s.width, kFullRangeMin, kFullRangeMax, 1);
  SetInt(kGadgetHeight, s.height, kFullRangeMin, kFullRangeMax, 1);
  SetString(kGadgetFileName, s.fileName);
  SetString(kGadgetMoreFiles, s.moreFiles);
  SetInt(kGadgetPngDpi, s.pngDpi, 1, kMaxPngDpi, 1);
  SetInt(kGadgetStyle, s.drawingStyle);
  SetInt(kGadgetBackFaces, s.backFaces);
  LayoutRequest(kGadgetLayoutTarget, kLayoutRequest);
  const LineStyle& l = s.lines;
  SetBool(kGadgetOutline, l.outlineLines);
  SetBool(kGadgetCrease, l.creaseLines);
  SetDegree(kGadgetCreaseAngle, l.creaseAngle, -kAngleLimitDegrees, kAngleLimitDegrees, 1.0);
  SetInt(kGadgetLineWidth, l.lineWidth, 0, kMaxLineWidth, 1);
  SetBool(kGadgetFlatEdges, l.skipCoplanarEdges);
  SetColourField(kGadgetLineColour, ToHostColour(l.lineColour), l.lineBrightness, 1.0);
  SetBool(kGadgetPlotter, s.plotter.on);
  SetReal(kGadgetMinStrokeLength, s.plotter.minLength, 0.0, kLengthLimit, 0.1);
  SetReal(kGadgetSimplify, s.plotter.simplify, 0.0, kLengthLimit, 0.1);
  SetReal(kGadgetPaperWidth, s.paper.widthMm, 0.0, kLengthLimit, 1.0);
  SetReal(kGadgetPaperHeight, s.paper.heightMm, 0.0, kLengthLimit, 1.0);
  SetReal(kGadgetPaperMargin, s.paper.marginMm, 0.0, kLengthLimit, 1.0);
  return true;
}

bool VexmarkDialog::CoreMessage(int32_t id, const BaseContainer& message) {
  if (id == kVexmarkCommandId && settings_ != nullptr) {
    ShowButtonRow(kButtonRowExportCancel);
    Enable(kGadgetSettingsPart, true);
    // The thread posted the event as its last act; deleting it waits for
    // it to return.
    HostDelete(thread_);
    thread_ = nullptr;
    SendMessage(kGadgetSettingsPart, kMessageClose);
  }
  return GeDialog::CoreMessage(id, message);
}

bool VexmarkDialog::Command(int32_t id, const BaseContainer&) {
  switch (id) {
    case kGadgetStyle: {
      int32_t style = 0;
      GetInt(kGadgetStyle, style);
      break;
    }
    case kGadgetFromRenderSettings:
      TakeRenderSettings();
      break;
    case kGadgetPictureSize:
      TakePictureSize();
      break;
    case kGadgetChooseFile:
      ChooseFile();
      break;
    case kGadgetCancel:
      if (ExportRunning())
        thread_->End(false);
      else
        Close();
      break;
    case kGadgetExport:
      Export();
      break;
    default:
      break;
  }
  return true;
}

bool VexmarkDialog::AskClose() {
  return ExportRunning();
}

bool VexmarkDialog::ExportRunning() const {
  return thread_ != nullptr && thread_->IsRunning();
}

bool VexmarkDialog::Message(const BaseContainer& message) {
  if (message.Id() == kMessageClose) return true;
  return GeDialog::Message(message);
}

void VexmarkDialog::TakeRenderSettings() {
  const BaseContainer render = GetDocumentData(GetActiveDocument(), kDocumentRenderSettings);
  if (!render.Valid()) return;
  const int32_t rate = render.GetInt(kRenderFps);
  SetInt(kGadgetFromFrame, FrameAt(render.GetTime(kRenderFrom), rate), kFullRangeMin, kFullRangeMax,
         1);
  SetInt(kGadgetToFrame, FrameAt(render.GetTime(kRenderTo), rate), kFullRangeMin, kFullRangeMax, 1);
  SetInt(kGadgetFrameRate, rate, kFullRangeMin, kFullRangeMax, 1);
  SetInt(kGadgetWidth, render.GetInt(kRenderWidth), kFullRangeMin, kFullRangeMax, 1);
  SetInt(kGadgetHeight, render.GetInt(kRenderHeight), kFullRangeMin, kFullRangeMax, 1);
  const String file = render.GetFilename(kRenderFile);
  SetString(kGadgetFileName, file.Empty() ? String() : FilenameSetSuffix(file, "ai"));
}

void VexmarkDialog::TakePictureSize() {
  int32_t value = 0;
  if (!GetInt(kGadgetPictureSize, value)) return;
  for (const PictureSize& size : kPictureSizes) {
    if (size.value != value) continue;
    SetInt(kGadgetWidth, size.width, kFullRangeMin, kFullRangeMax, 1);
    SetInt(kGadgetHeight, size.height, kFullRangeMin, kFullRangeMax, 1);
    return;
  }
}

void VexmarkDialog::ChooseFile() {
  if (settings_ == nullptr) return;
  GetString(kGadgetFileName, settings_->fileName);
  String chosen;
  if (!SaveFileSelector("Export drawing", settings_->fileName, chosen)) return;
  settings_->fileName = chosen;
  SetString(kGadgetFileName, chosen);
}

void VexmarkDialog::Export() {
  if (settings_ == nullptr || thread_ != nullptr) return;
  ExportSettings& s = *settings_;
  DropDocumentCopy();
  documentCopy_ = CopyDocument(GetActiveDocument());
  if (documentCopy_ == nullptr) {
    ConsolePrint("Export not started: the scene could not be copied.");
    return;
  }
  ReadFrameSettings();

  bool justChosen = false;
  if (s.fileName.Empty() && !ProposeFileName(justChosen)) {
    DropDocumentCopy();
    return;
  }
  CompleteFileName();
  if (!justChosen && !ConfirmOverwrite()) {
    DropDocumentCopy();
    return;
  }
  ReadLineSettings();
  ReadPlotterSettings();
  SaveSettings(s);
  StartExport();
}

void VexmarkDialog::ReadFrameSettings() {
  ExportSettings& s = *settings_;
  GetInt(kGadgetFromFrame, s.fromFrame);
  GetInt(kGadgetToFrame, s.toFrame);
  GetInt(kGadgetFrameRate, s.frameRate);
  GetInt(kGadgetWidth, s.width);
  GetInt(kGadgetHeight, s.height);
  GetInt(kGadgetStyle, s.drawingStyle);
  GetInt(kGadgetBackFaces, s.backFaces);
  GetString(kGadgetFileName, s.fileName);
  GetString(kGadgetMoreFiles, s.moreFiles);
  GetInt(kGadgetPngDpi, s.pngDpi);
  if (s.pngDpi < 1 || s.pngDpi > kMaxPngDpi) s.pngDpi = kDefaultPngDpi;
}

bool VexmarkDialog::StoreShownSettings(BaseDocument* doc) {
  if (settings_ == nullptr || ExportRunning()) return false;
  ReadFrameSettings();
  ReadLineSettings();
  ReadPlotterSettings();
  return SaveSettingsTo(doc, *settings_);
}

bool VexmarkDialog::ProposeFileName(bool& justChosen) {
  const BaseDocument* active = GetActiveDocument();
  const BaseContainer render = GetDocumentData(active, kDocumentRenderSettings);
  String proposal = render.GetFilename(kRenderFile);
  if (!proposal.Empty()) {
    proposal = FilenameSetSuffix(proposal, "ai");
  } else {
    const BaseContainer doc = GetDocumentData(active, kDocumentSettings);
    proposal = FilenameSetSuffix(
        FilenameCompose(doc.GetFilename(kDocFolder), doc.GetString(kDocName)), "ai");
  }
  String chosen;
  if (!SaveFileSelector("Export drawing", proposal, chosen)) return false;
  settings_->fileName = chosen;
  SetString(kGadgetFileName, chosen);
  justChosen = true;
  return true;
}

void VexmarkDialog::CompleteFileName() {
  ExportSettings& s = *settings_;
  const BaseContainer doc = GetDocumentData(documentCopy_, kDocumentSettings);
  const String docFolder = doc.GetFilename(kDocFolder);
  String docName = doc.GetString(kDocName);
  if (docName.Empty()) docName = "untitled";  // a name is needed to write anything

  s.fileName = CompletedName(s.fileName, docFolder, docName);
  String more;
  String completed;
  for (int32_t at = 0; NextListedFile(s.moreFiles, at, more);)
    completed +=
        (completed.Empty() ? String() : String("\n")) + CompletedName(more, docFolder, docName);
  s.moreFiles = completed;
}

String VexmarkDialog::CompletedName(const String& name, const String& docFolder,
                                    const String& docName) {
  String folder = FilenameFolderPart(name);
  String file = FilenameFilePart(name);
  if (folder.Empty()) folder = docFolder;
  if (file.Empty()) file = docName;
  // ".eps", ".svg", ".pdf" and ".png" are kept; any other name gets the ".ai" suffix.
  return FilenameSetSuffix(FilenameCompose(folder, file), DrawingSuffix(name).Text());
}

bool VexmarkDialog::ConfirmOverwrite() {
  if (!ConfirmOverwriteOf(settings_->fileName)) return false;
  String more;
  for (int32_t at = 0; NextListedFile(settings_->moreFiles, at, more);)
    if (!ConfirmOverwriteOf(more)) return false;
  return true;
}

bool VexmarkDialog::ConfirmOverwriteOf(const String& fileName) {
  if (!FilenameExists(fileName)) return true;
  const String question = ReplaceHash(LoadResourceString(kOverwriteQuestionString), fileName);
  return MessageDialog(question, kMessageBoxYesNo) != kMessageAnswerNo;
}

void VexmarkDialog::ReadLineSettings() {
  LineStyle& l = settings_->lines;
  bool check = false;
  if (GetBool(kGadgetOutline, check)) l.outlineLines = check;
  if (GetBool(kGadgetCrease, check)) l.creaseLines = check;
  double angle = 0.0;
  if (GetReal(kGadgetCreaseAngle, angle)) l.creaseAngle = static_cast<float>(angle);
  int32_t width = 0;
  if (GetInt(kGadgetLineWidth, width)) l.lineWidth = ClampLineWidth(width);
  if (GetBool(kGadgetFlatEdges, check)) l.skipCoplanarEdges = check;
  double brightness = 1.0;
  HostVector colour = ToHostColour(l.lineColour);
  if (GetColourField(kGadgetLineColour, colour, brightness)) {
    l.lineColour = FromHostColour(colour);
    l.lineBrightness = static_cast<float>(brightness);
  }
  DeriveLineColour(l);
}

void VexmarkDialog::ReadPlotterSettings() {
  ExportSettings& s = *settings_;
  bool check = false;
  if (GetBool(kGadgetPlotter, check)) s.plotter.on = check;
  double value = 0.0;
  if (GetReal(kGadgetMinStrokeLength, value)) s.plotter.minLength = value;
  if (GetReal(kGadgetSimplify, value)) s.plotter.simplify = value;
  if (GetReal(kGadgetPaperWidth, value)) s.paper.widthMm = value;
  if (GetReal(kGadgetPaperHeight, value)) s.paper.heightMm = value;
  if (GetReal(kGadgetPaperMargin, value)) s.paper.marginMm = value;
}

void VexmarkDialog::StartExport() {
  ConvThread* thread = HostNew<ConvThread>();
  if (thread == nullptr || !thread->Valid()) {
    HostDelete(thread);
    ConsolePrint("Export not started: not enough memory for the export thread.");
    DropDocumentCopy();
    return;
  }
  thread_ = thread;
  thread->settings = *settings_;
  thread->renderer = frameRenderer_;
  // The document copy now belongs to the thread.
  thread->job.document = documentCopy_;
  documentCopy_ = nullptr;
  if (!thread->Start()) {
    ConsolePrint("Export not started: the export thread could not be started.");
    FreeDocument(thread->job.document);
    thread->job.document = nullptr;
    HostDelete(thread);
    thread_ = nullptr;
    SetMousePointer(kPointerNormal);
    return;
  }
  Enable(kGadgetSettingsPart, false);
  ShowButtonRow(kButtonRowCancel);
}

void VexmarkDialog::ShowButtonRow(int32_t row) {
  LayoutFlushGroup(kGadgetButtonGroup);
  AddDlgGroup(kGadgetButtonGroup, row);
  LayoutChanged(kGadgetButtonGroup);
}

void VexmarkDialog::DropDocumentCopy() {
  FreeDocument(documentCopy_);
  documentCopy_ = nullptr;
}
