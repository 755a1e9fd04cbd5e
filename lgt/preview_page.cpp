#include "preview_page.h"

#include "code_page.h"

namespace lgt {
namespace {

// Text as HTML shows it: the five characters HTML gives a meaning escaped, and any byte that is
// not UTF-8 shown as U+FFFD.
std::string Html(std::string_view text) {
  std::string html;
  while (!text.empty()) {
    const std::size_t length = Utf8SequenceLength(text);
    switch (length ? text[0] : '\0') {
      case '&':
        html += "&amp;";
        break;
      case '<':
        html += "&lt;";
        break;
      case '>':
        html += "&gt;";
        break;
      case '"':
        html += "&quot;";
        break;
      case '\'':
        html += "&#39;";
        break;
      case '\0':
        html += "&#xFFFD;";  // a NUL, or a byte that is not UTF-8
        break;
      default:
        html += text.substr(0, length);
    }
    text.remove_prefix(std::max<std::size_t>(length, 1));
  }
  return html;
}

// A name in a web address: every byte but letters, digits and -._~ written as %XX.
std::string Address(std::string_view name) {
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string address;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
        (byte >= '0' && byte <= '9') || std::string_view("-._~").find(c) != std::string_view::npos)
      address += c;
    else
      address += {'%', kHex[byte >> 4], kHex[byte & 15]};
  }
  return address;
}

}  // namespace

void Page::AddSet(const std::string& file, const std::string& picture,
                  const lightset::LoadedLightSetting& set, const std::string& sun) {
  ++count_;
  const std::string name = FromCodePage(set.values.Name);
  const std::string title = name.empty() ? "(no name)" : name;
  sets_ += "<figure>\n<img src=\"" + Address(picture) + "\" width=\"" + std::to_string(size_) +
           "\" height=\"" + std::to_string(size_) + "\" alt=\"" + Html("Preview of " + title) +
           "\">\n<figcaption><h2>" + Html(title) + "</h2>\n<p class=\"file\">" + Html(file) +
           "</p>\n<p>" + Html(sun) + "</p>\n<dl>\n";
  for (std::size_t i = 0; i < lightset::kFieldCount; ++i) {
    const lightset::Field& field = lightset::kFields[i];
    const std::string& value = set.values.*field.text;
    std::string shown = set.lines[i] ? Html(FromCodePage(value)) : "<i>not set</i>";
    if (set.lines[i] && field.kind == lightset::FieldKind::Colour) {
      const auto colour = *lightset::ParseColourText(value);
      std::string swatch = "<span class=\"swatch\" style=\"background:rgb(";
      swatch += std::to_string(colour & 0xFF) + ",";
      swatch += std::to_string((colour >> 8) & 0xFF) + ",";
      swatch += std::to_string(colour >> 16) + ")\"></span>";
      shown.insert(0, swatch);
    }
    sets_ += "<dt>" + std::string(field.key) + "</dt><dd>" + shown + "</dd>\n";
  }
  sets_ += "</dl></figcaption>\n</figure>\n";
}

void Page::AddFailure(const std::string& file, const std::string& message) {
  failures_ += "<li><span class=\"file\">" + Html(file) + "</span>: " + Html(message) + "</li>\n";
}

std::string Page::Text() const {
  std::string text =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<title>Lighting sets</title>\n<style>\n"
      "body { font-family: sans-serif; margin: 1.5em; background: #f4f4f2; color: #222; }\n"
      "main { display: flex; flex-wrap: wrap; gap: 1.5em; }\n"
      "figure { margin: 0; background: #fff; padding: 0.8em; border: 1px solid #ccc; }\n"
      "h2 { font-size: 1.1em; margin: 0.4em 0 0.2em; }\n"
      ".file { color: #666; font-size: 0.85em; word-break: break-all; }\n"
      "dl { display: grid; grid-template-columns: auto auto; gap: 0.1em 0.8em; margin: 0.4em 0; "
      "font-size: 0.9em; }\n"
      "dt { color: #555; } dd { margin: 0; white-space: pre-wrap; word-break: break-all; }\n"
      ".swatch { display: inline-block; width: 0.9em; height: 0.9em; margin-right: 0.4em; "
      "border: 1px solid #888; vertical-align: middle; }\n"
      "figcaption { max-width: " +
      std::to_string(std::max(size_, 240)) +
      "px; }\n</style>\n</head>\n<body>\n<h1>Lighting sets</h1>\n"
      "<p>" +
      std::to_string(count_) +
      " lighting sets, each lit as common real-time lighting would light it: an approximation, "
      "not the game's renderer.</p>\n<main>\n" +
      sets_ + "</main>\n";
  if (!failures_.empty())
    text +=
        "<h2>Files that could not be read</h2>\n<ul class=\"failures\">\n" + failures_ + "</ul>\n";
  return text + "</body>\n</html>\n";
}

}  // namespace lgt
