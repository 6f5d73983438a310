// The console: every printed line goes to the live captures, or to the line
// sink (stderr unless replaced) when nothing captures. Text with line breaks
// arrives at the sink as one call per line. Also the message box, answered by
// a configurable callback since this host has no user interface of its own.
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "host/runtime.h"
#include "host/services.h"

namespace host {

struct ConsoleCapture::Shared {
  std::vector<std::string> lines;
};

namespace {

std::mutex gMutex;  // guards everything below, and the lines of every capture
LineSink gSink;
std::vector<std::vector<std::string>*> gCaptures;  // the lines of each live capture

using MessageBoxAnswer = std::function<int32_t(const std::string& text, int32_t code)>;
MessageBoxAnswer gAnswer;

void EmitLine(const std::string& line) {
  if (!gCaptures.empty()) {
    for (std::vector<std::string>* lines : gCaptures) lines->push_back(line);
  } else if (gSink) {
    gSink(line);
  } else {
    std::fprintf(stderr, "%s\n", line.c_str());
  }
}

// The sink is called under the lock so that lines keep their order across
// threads; a sink must not print to the console itself.
void ConsolePrint(const char* text) {
  std::string rest = text != nullptr ? text : "";
  if (!rest.empty() && rest.back() == '\n') rest.pop_back();
  std::lock_guard<std::mutex> lock(gMutex);
  size_t start = 0;
  for (size_t end; (end = rest.find('\n', start)) != std::string::npos; start = end + 1) {
    EmitLine(rest.substr(start, end - start));
  }
  EmitLine(rest.substr(start));
}

int32_t DefaultAnswer(int32_t code) {
  return code == kMessageBoxYesNo ? kMessageAnswerNo : kMessageAnswerOk;
}

int32_t MessageBox(const char* text, int32_t code) {
  MessageBoxAnswer answer;
  {
    std::lock_guard<std::mutex> lock(gMutex);
    answer = gAnswer;
  }
  if (!answer) return DefaultAnswer(code);
  return answer(text != nullptr ? text : "", code);
}

}  // namespace

void SetConsoleSink(LineSink sink) {
  std::lock_guard<std::mutex> lock(gMutex);
  gSink = std::move(sink);
}

ConsoleCapture::ConsoleCapture() : shared_(new Shared) {
  std::lock_guard<std::mutex> lock(gMutex);
  gCaptures.push_back(&shared_->lines);
}

ConsoleCapture::~ConsoleCapture() {
  {
    std::lock_guard<std::mutex> lock(gMutex);
    std::erase(gCaptures, &shared_->lines);
  }
  delete shared_;
}

std::vector<std::string> ConsoleCapture::Lines() const {
  std::lock_guard<std::mutex> lock(gMutex);
  return shared_->lines;
}

bool ConsoleCapture::Contains(const std::string& line) const {
  std::lock_guard<std::mutex> lock(gMutex);
  for (const std::string& captured : shared_->lines) {
    if (captured == line) return true;
  }
  return false;
}

void SetMessageBoxAnswer(MessageBoxAnswer answer) {
  std::lock_guard<std::mutex> lock(gMutex);
  gAnswer = std::move(answer);
}

void FillConsoleEntries(HostApi& table) {
  table.consolePrint = &ConsolePrint;
  table.messageBox = &MessageBox;
}

// Live captures stay attached: they belong to the code that created them.
void ResetConsole() {
  std::lock_guard<std::mutex> lock(gMutex);
  gSink = nullptr;
  gAnswer = nullptr;
}

}  // namespace host
