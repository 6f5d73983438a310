// Framing of the EPS file: header, setup, body, trailer.
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

}  // namespace

int32_t WriteComments(const EpsPage& page, HostFileWriter* file, const String& title) {
  String name;
  String organisation;
  OwnerRecord(name, organisation);
  const HostDateTime now = LocalTime();
  const String date = Number(now.day) + "." + Number(now.month) + "." + Number(now.year);
  const String time = Number(now.hour) + ":" + Number(now.minute) + ":" + Number(now.second);

  Line(file, page.standalone ? "%!PS-Adobe-3.0 EPSF-3.0" : "%!PS-Adobe-3.0");
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
  if (page.standalone) WriteStandaloneProlog(file);
  return 1;
}

int32_t WriteHeader(const EpsPage& page, HostFileWriter* file, const String& title) {
  WriteComments(page, file, title);
  Line(file, "%%BeginProlog");
  WriteProlog(page, file);
  Line(file, "%%EndProlog");
  Line(file, "%%BeginSetup");
  if (page.standalone) Line(file, "Vexmark_Standalone begin");
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
  if (page.standalone) Line(file, "end");
  Line(file, "%%EOF");
  return 1;
}

void WriteEpsDocument(const EpsPage& page, HostFileWriter* file, const String& title) {
  WriteHeader(page, file, title);
  WriteDrawingBody(page, file);
  WriteTrailer(page, file);
}
