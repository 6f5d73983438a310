// Framing of the EPS file: name, header, setup, body dispatch, trailer.
#include "eps/eps_document.h"

#include "eps/eps_bodies.h"
#include "eps/eps_line.h"
#include "eps/eps_prolog.h"
#include "sdk/owner.h"

namespace {

void Line(HostFileWriter* file, const String& text) {
  WriteLine(file, text, true);
}

String Number(int64_t value) {
  return String::FromInt(value);
}

// `text` as the inside of a PostScript string: a backslash goes before each
// parenthesis and backslash, so that a file name cannot end the string early
// (line breaks are replaced by WriteLine).
String PostScriptText(const String& text) {
  String escaped;
  const char* raw = text.Text();
  int32_t start = 0;
  bool changed = false;
  for (int32_t i = 0; raw[i] != '\0'; ++i) {
    const char c = raw[i];
    const char* replacement = c == '(' ? "\\(" : c == ')' ? "\\)" : c == '\\' ? "\\\\" : nullptr;
    if (replacement == nullptr) continue;
    escaped += text.Sub(start, i - start);
    escaped += String(replacement);
    start = i + 1;
    changed = true;
  }
  if (!changed) return text;
  escaped += text.Sub(start, text.Length() - start);
  return escaped;
}

// Whether the page goes to a standalone EPS file.
bool Standalone(const EpsPage& page) {
  return DrawingSuffix(page.fileName) == "eps";
}

}  // namespace

String DrawingSuffix(const String& fileName) {
  const String suffix = FilenameSuffix(fileName);
  const char* text = suffix.Text();
  if (suffix.Length() != 3) return "ai";
  for (const char* known : {"eps", "svg", "pdf", "png"}) {
    if ((text[0] | 0x20) == known[0] && (text[1] | 0x20) == known[1] &&
        (text[2] | 0x20) == known[2])
      return known;
  }
  return "ai";
}

String EpsFileName(const EpsPage& page, int32_t frame) {
  const String& chosen = page.fileName;
  if (page.fromFrame == page.toFrame) return chosen;
  const String bare = FilenameSetSuffix(chosen, "");
  // The suffix is appended, not set: in a name like "out.v2" setting it
  // would replace ".v2-<frame>" and send every frame to the same file.
  const String numbered =
      FilenameFilePart(bare) + "-" + Number(frame) + "." + DrawingSuffix(chosen);
  return FilenameCompose(FilenameFolderPart(bare), numbered);
}

int32_t WriteComments(const EpsPage& page, HostFileWriter* file, const String& title) {
  String name;
  String organisation;
  OwnerRecord(name, organisation);
  const HostDateTime now = LocalTime();
  const String date = Number(now.day) + "." + Number(now.month) + "." + Number(now.year);
  const String time = Number(now.hour) + ":" + Number(now.minute) + ":" + Number(now.second);

  Line(file, Standalone(page) ? "%!PS-Adobe-3.0 EPSF-3.0" : "%!PS-Adobe-3.0");
  Line(file, "%%Creator: Vexmark Orvel 2002");
  Line(file,
       String("%%For: (") + PostScriptText(name) + ") (" + PostScriptText(organisation) + ")");
  Line(file, String("%%Title: (") + PostScriptText(title) + ")");
  Line(file, String("%%CreationDate: (") + date + ") (" + time + ")");
  Line(file, String("%%BoundingBox: 0 0 ") + Number(page.drawing.width) + " " +
                 Number(page.drawing.height));
  Line(file, "%AI5_FileFormat 3.0");
  Line(file, "%%EndComments");
  return 1;
}

int32_t WriteProlog(const EpsPage& page, HostFileWriter* file) {
  if (Standalone(page)) WriteStandaloneProlog(file);
  return 1;
}

int32_t WriteHeader(const EpsPage& page, HostFileWriter* file, const String& title) {
  WriteComments(page, file, title);
  Line(file, "%%BeginProlog");
  WriteProlog(page, file);
  Line(file, "%%EndProlog");
  Line(file, "%%BeginSetup");
  if (Standalone(page)) Line(file, "Vexmark_Standalone begin");
  Line(file, "Adobe_level2_AI5 /initialize get exec");
  Line(file, "Adobe_Illustrator_AI5 /initialize get exec");
  Line(file, "%%EndSetup");
  return 1;
}

int32_t WriteTrailer(const EpsPage& page, HostFileWriter* file) {
  Line(file, "%%PageTrailer");
  Line(file, "gsave annotatepage grestore showpage");
  Line(file, "%%Trailer");
  Line(file, "Adobe_Illustrator_AI5 /terminate get exec");
  Line(file, "Adobe_level2_AI5 /terminate get exec");
  if (Standalone(page)) Line(file, "end");
  Line(file, "%%EOF");
  return 1;
}

bool WriteEpsFile(const EpsPage& page, int32_t frame) {
  return WritePageFile(
      page, frame, [](const EpsPage& eps, HostFileWriter* file, const String& name, const void*) {
        WriteHeader(eps, file, FilenameFilePart(name));
        WriteDrawingBody(eps, file);
        WriteTrailer(eps, file);
      });
}

// The file is written under a new temporary name beside the final one (the
// host makes it exclusively, so no existing file or link is ever written
// through) and put in place only when it is complete: a failed write, a stop
// request or a memory failure leaves no half-written drawing and keeps an
// older file of that name.
bool WritePageFile(const EpsPage& page, int32_t frame, PageBody body, const void* context) {
  const String fileName = EpsFileName(page, frame);
  String partName;
  HostFileWriter* file = HostNew<HostFileWriter>();
  if (file == nullptr) {
    MemoryErrorFlag::Set();  // the frame has no file: the run must not pass for complete
    return false;
  }
  if (!file->OpenTemporary(fileName, partName)) {
    HostDelete(file);
    ConsolePrint((String("Cannot write ") + fileName).Text());
    return false;
  }
  body(page, file, fileName, context);
  const bool closed = file->Close();
  HostDelete(file);
  const bool complete = closed && MemoryErrorFlag::Test() == 0 && !PageAborted(page);
  if (!complete) {
    FileDelete(partName);
    if (!closed) ConsolePrint((String("Cannot write ") + fileName).Text());
    return false;
  }
  if (!FileRename(partName, fileName)) {
    FileDelete(partName);
    ConsolePrint((String("Cannot write ") + fileName).Text());
    return false;
  }
  if (page.job != nullptr) ReportProgress(*page.job, 100, 100, 0, 100);
  return true;
}
