// preview: a picture of each lighting set, and one web page that shows them all.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO  // the pictures are written as every file is, through the core
#include <stb/stb_image_write.h>

#include <set>

#include "code_page.h"
#include "commands.h"
#include "lightset/disk_files.h"
#include "lightset/file_reader.h"
#include "preview/scene.h"
#include "preview/sun.h"
#include "preview_files.h"
#include "preview_page.h"
#include "wildcards.h"

namespace lgt {
namespace {

constexpr int kSmallest = 32, kLargest = 2048;

// The PNG of a picture: stb_image_write's encoder, into memory.
std::string Png(const preview::Image& image) {
  std::string png;
  stbi_write_png_to_func(
      [](void* to, void* data, int size) {
        static_cast<std::string*>(to)->append(static_cast<const char*>(data), std::size_t(size));
      },
      &png, image.width, image.height, 3, image.rgb.data(), image.width * 3);
  return png;
}

}  // namespace

int PreviewCommand(const std::vector<Argument>& arguments, Output& err) {
  std::vector<Argument> files;
  const Argument* folder = nullptr;
  int size = 256;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& text = arguments[i].display;
    if (text == "--out" || text == "--size") {
      if (i + 1 == arguments.size()) return BadCommand(err, text + " needs a value");
      const Argument& value = arguments[++i];
      if (text == "--out") {
        if (folder) return BadCommand(err, "--out is given twice");
        folder = &value;
        continue;
      }
      std::size_t end = 0;
      try {
        size = std::stoi(value.display, &end);
      } catch (const std::exception&) {
        end = 0;
      }
      if (end == 0 || end != value.display.size() || size < kSmallest || size > kLargest)
        return BadCommand(err, "--size: give a whole number of pixels from 32 to 2048");
    } else if (text.starts_with("--")) {
      return BadCommand(err, "unknown option " + text);
    } else if (arguments[i].path.empty()) {
      return BadCommand(err, "preview: a file name is empty");
    } else {
      files.push_back(arguments[i]);
    }
  }
  if (!folder || folder->path.empty()) return BadCommand(err, "preview: give --out FOLDER");
  if (files.empty()) return BadCommand(err, "preview: no file named");
  if (auto why = MakeFolder(folder->path)) {
    err << folder->display << ": " << *why << '\n';
    return kFailed;
  }

  const preview::Scene scene(size, size);
  Page page(size);
  std::set<std::string> taken = {"index"};
  int status = 0;
  auto fail = [&](const std::string& message) {
    err << message << '\n';
    err.Flush();
    status = kFailed;
  };
  for (const Argument& argument : files) {
    const auto matches = FilesMatching(argument);
    if (matches.empty()) {
      page.AddFailure(argument.display, "no file matches");
      fail(argument.display + ": no file matches");
    }
    for (const Argument& file : matches) {
      const std::string shown = lightset::PathForDisplay(file.path);
      lightset::LoadedLightSetting loaded;
      if (auto error = lightset::LoadLightFile(file.path, loaded)) {
        page.AddFailure(shown, (error->Line ? "line " + std::to_string(error->Line) + ": " : "") +
                                   error->Message);
        fail(lightset::DescribeLoadError(file.path, *error));
        continue;
      }
      const std::string picture = PictureName(shown, taken);
      if (auto failure = lightset::ReplaceFileContents(FileInFolder(folder->path, picture),
                                                       Png(scene.Render(loaded.values)))) {
        fail(failure->message);
        continue;
      }
      page.AddSet(shown, picture, loaded, preview::DescribeSun(preview::SunOf(loaded.values)));
    }
  }
  if (auto failure =
          lightset::ReplaceFileContents(FileInFolder(folder->path, "index.html"), page.Text())) {
    fail(failure->message);
  }
  return status;
}

}  // namespace lgt
