// Shared helpers of the EPS tests: a fresh host and memory-error flag per
// test, a private folder for written files, and readers for what was written.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "core/stack.h"
#include "eps/eps_document.h"
#include "eps/eps_page.h"
#include "host_fixture.h"
#include "lines/drawing.h"
#include "lines/line_group.h"
#include "output/drawing_file.h"
#include "output/frame_file.h"

// The page under test: the drawing and the file it goes to.
struct TestPage {
  Drawing drawing;
  FrameFile file;

  // What the EPS writer gets for it.
  EpsPage Eps() const { return EpsPage{drawing, DrawingSuffix(file.fileName) == "eps", file.job}; }
};

class EpsTest : public ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // The process id keeps two runs of the suite at once apart.
    folder_ = std::filesystem::temp_directory_path() / "vexmark_eps_tests" /
              (std::string(info->test_suite_name()) + "." + info->name() + "-" +
               std::to_string(::getpid()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    page_ = std::make_unique<TestPage>();
  }
  void TearDown() override {
    page_.reset();  // its host memory goes back before the host is reset
    elements_.Clear();
    std::filesystem::remove_all(folder_);
    ModuleTest::TearDown();
  }

  std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }

  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  // The lines of a text whose every line ends in CR LF; fails the test on
  // any other line ending.
  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
      const size_t end = text.find("\r\n", start);
      if (end == std::string::npos) {
        ADD_FAILURE() << "text does not end in CR LF: " << text.substr(start);
        break;
      }
      const std::string line = text.substr(start, end - start);
      EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "stray line end in: " << line;
      lines.push_back(line);
      start = end + 2;
    }
    return lines;
  }

  // What `write` puts into a file through the host's file service.
  std::vector<std::string> LinesWrittenBy(const std::function<void(HostFileWriter*)>& write) {
    const std::string path = PathOf("capture.txt");
    HostFileWriter file;
    EXPECT_TRUE(file.Open(path.c_str()));
    write(&file);
    EXPECT_TRUE(file.Close());
    return Lines(ReadFile(path));
  }

  // A page of the given size that writes to `name` in the test's folder.
  void SetPage(int32_t width, int32_t height, const std::string& name) {
    page_->drawing.width = width;
    page_->drawing.height = height;
    page_->file.fileName = PathOf(name).c_str();
  }

  // Adds a list of page-space segments to the line groups of the page.
  void AddSegments(const std::vector<EdgeSegment>& segments, const LineGroupStyle& style) {
    Stack<EdgeSegment> list;
    for (const EdgeSegment& s : segments) list.Push(s);
    ASSERT_TRUE(AddPolygon(elements_, list, style));
  }

  // Builds the drawing of `style` from the line groups, as the frame driver
  // does, and writes the page as the file of frame `frame` through the
  // output stage; false when either was cut short.
  bool WritePage(int32_t style, int32_t frame = 0) {
    page_->drawing.parts.Clear();
    if (!BuildDrawing(elements_, style, page_->drawing, nullptr, ProgressBand{})) return false;
    return WriteDrawingFile(page_->file, page_->drawing, frame);
  }

  std::filesystem::path folder_;
  std::unique_ptr<TestPage> page_;
  Stack<LineGroup> elements_;
};

inline EdgeSegment PageSegment(double ax, double ay, double bx, double by) {
  return EdgeSegment{{ax, ay, 0}, {bx, by, 0}};
}

// The four sides of an axis-aligned rectangle, counter-clockwise on the page
// as the eye sees it (y grows downward).
inline std::vector<EdgeSegment> Rectangle(double left, double top, double right, double bottom) {
  return {PageSegment(left, top, left, bottom), PageSegment(left, bottom, right, bottom),
          PageSegment(right, bottom, right, top), PageSegment(right, top, left, top)};
}

inline LineGroupStyle Style(int32_t kind, std::array<uint8_t, 3> fill, std::array<uint8_t, 3> line,
                            int32_t width, const void* object) {
  LineGroupStyle style;
  style.kind = kind;
  style.colour = PageColour{fill[0], fill[1], fill[2], 255};
  style.lineColour = PageColour{line[0], line[1], line[2], 255};
  style.lineWidth = width;
  style.object = object;
  return style;
}
