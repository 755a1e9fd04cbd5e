#include "json_values.h"

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include <algorithm>
#include <iterator>
#include <tuple>

#include "code_page.h"
#include "lightset/light_setting.h"

namespace lgt {
namespace {

// Text as UTF-8, each byte that is not part of a UTF-8 sequence replaced by U+FFFD.
std::string ValidUtf8(std::string_view text) {
  std::string valid;
  while (!text.empty()) {
    const std::size_t length = Utf8SequenceLength(text);
    valid += length ? text.substr(0, length) : "\xEF\xBF\xBD";
    text.remove_prefix(std::max<std::size_t>(length, 1));
  }
  return valid;
}

}  // namespace

struct JsonResults::State {
  rapidjson::StringBuffer buffer;
  rapidjson::PrettyWriter<rapidjson::StringBuffer> writer{buffer};

  void String(std::string_view text) {
    writer.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
  }
  // A value as read --json gives it: a colour as [R, G, B], any other as its decoded text.
  void Value(const lightset::Field& field, const std::string& value) {
    if (field.kind != lightset::FieldKind::Colour) return String(FromCodePage(value));
    const lightset::ColourRef colour = *lightset::ParseColourText(value);
    writer.StartArray();
    for (const int shift : {0, 8, 16}) writer.Int((colour >> shift) & 0xFF);
    writer.EndArray();
  }
  void File(std::string_view file) {
    writer.StartObject();
    writer.Key("file");
    String(ValidUtf8(file));
  }
};

JsonResults::JsonResults() : state_(std::make_unique<State>()) {
  state_->writer.SetIndent(' ', 2);
  state_->writer.SetFormatOptions(rapidjson::kFormatSingleLineArray);
  state_->writer.StartArray();
}

JsonResults::~JsonResults() = default;

void JsonResults::Add(std::string_view file, const lightset::LoadedLightSetting* values) {
  auto& writer = state_->writer;
  state_->File(file);
  if (values) {
    writer.Key("values");
    writer.StartObject();
    for (std::size_t i = 0; i < lightset::kFieldCount; ++i) {
      const lightset::Field& field = lightset::kFields[i];
      if (!values->lines[i]) continue;
      state_->String(field.key);
      state_->Value(field, values->values.*field.text);
    }
    writer.EndObject();
  }
  writer.EndObject();
}

void JsonResults::Add(std::string_view file, const lightset::LoadError& error) {
  auto& writer = state_->writer;
  state_->File(file);
  writer.Key("error");
  writer.StartObject();
  writer.Key("line");
  writer.Uint64(error.Line);
  writer.Key("message");
  state_->String(ValidUtf8(error.Message));
  writer.EndObject();
  writer.EndObject();
}

std::string JsonResults::Take() {
  std::string text(state_->buffer.GetString(), state_->buffer.GetSize());
  state_->buffer.Clear();
  return text;
}

std::string JsonResults::Close() {
  state_->writer.EndArray();
  return Take() + '\n';
}

std::string JsonOfDifferences(const lightset::LoadedLightSetting& a,
                              const lightset::LoadedLightSetting& b) {
  JsonResults::State json;
  json.writer.SetIndent(' ', 2);
  json.writer.SetFormatOptions(rapidjson::kFormatSingleLineArray);
  json.writer.StartObject();
  json.writer.Key("changed");
  json.writer.StartObject();
  for (std::size_t i = 0; i < lightset::kFieldCount; ++i) {
    const lightset::Field& field = lightset::kFields[i];
    if (!a.lines[i] || !b.lines[i] || a.values.*field.text == b.values.*field.text) continue;
    json.String(field.key);
    json.writer.StartObject();
    json.writer.Key("a");
    json.Value(field, a.values.*field.text);
    json.writer.Key("b");
    json.Value(field, b.values.*field.text);
    json.writer.EndObject();
  }
  json.writer.EndObject();
  for (const auto& [key, in, notIn] :
       {std::tuple("only_in_a", &a, &b), std::tuple("only_in_b", &b, &a)}) {
    json.writer.Key(key);
    json.writer.StartArray();
    for (std::size_t i = 0; i < lightset::kFieldCount; ++i) {
      if (in->lines[i] && !notIn->lines[i]) json.String(lightset::kFields[i].key);
    }
    json.writer.EndArray();
  }
  json.writer.EndObject();
  return std::string(json.buffer.GetString(), json.buffer.GetSize()) + '\n';
}

std::variant<GivenValues, std::string> ValuesFromJson(std::string_view text) {
  rapidjson::Document document;
  // Numbers keep the text they are written in, as the file keeps a number as typed.
  document.Parse<rapidjson::kParseNumbersAsStringsFlag>(text.data(), text.size());
  if (document.HasParseError())
    return "not JSON: " + std::string(rapidjson::GetParseError_En(document.GetParseError())) +
           " (at character " + std::to_string(document.GetErrorOffset()) + ")";
  const rapidjson::Value* set = &document;
  if (set->IsArray()) {
    if (set->Size() != 1) return "an array must hold exactly one lighting set";
    set = &(*set)[0];
  }
  if (!set->IsObject()) return "not a lighting set: give an object as read --json prints it";
  if (set->HasMember("error")) return "the object holds an error, not values";
  const auto values = set->FindMember("values");
  if (values == set->MemberEnd() || !values->value.IsObject())
    return "no \"values\" object: give an object as read --json prints it";

  GivenValues given;
  for (const auto& member : values->value.GetObject()) {
    const std::string key(member.name.GetString(), member.name.GetStringLength());
    const auto field = std::find_if(std::begin(lightset::kFields), std::end(lightset::kFields),
                                    [&key](const lightset::Field& f) { return f.key == key; });
    if (field == std::end(lightset::kFields))
      return "\"" + key + "\" is no value of a lighting set";
    for (const auto& [taken, ignored] : given) {
      if (taken == field) return key + " is given twice";
    }
    const rapidjson::Value& value = member.value;
    if (field->kind == lightset::FieldKind::Colour) {
      const std::string bad = key + " must be [R, G, B], three whole numbers 0 to 255";
      if (!value.IsArray() || value.Size() != 3) return bad;
      std::string colour;
      for (const auto& component : value.GetArray()) {
        if (!component.IsString() ||
            !lightset::ParseColourText(std::string(component.GetString()) + " 0 0"))
          return bad;
        colour += (colour.empty() ? "" : " ") + std::string(component.GetString());
      }
      given.emplace_back(field, lightset::ColourText(*lightset::ParseColourText(colour)));
      continue;
    }
    if (!value.IsString()) return key + " must be a string";
    const auto bytes = ToCodePage(std::string_view(value.GetString(), value.GetStringLength()));
    if (!bytes) return key + " holds characters that " + kCodePageName + " cannot hold";
    given.emplace_back(field, *bytes);
  }
  std::sort(given.begin(), given.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  return given;
}

}  // namespace lgt
