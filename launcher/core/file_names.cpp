#include "core/file_names.h"

#include <cctype>

namespace tolvideo {
namespace {

bool isBlank(char c) { return c != 0 && static_cast<signed char>(c) <= 32; }

}  // namespace

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

std::vector<std::string> splitSelection(std::string_view s) {
  std::vector<std::string> names;
  size_t i = 0;
  while (true) {
    while (i < s.size() && isBlank(s[i])) ++i;
    if (i >= s.size()) break;
    if (s[i] == '"') {
      size_t close = s.find('"', i + 1);
      size_t end = close == std::string_view::npos ? s.size() : close;
      if (end > i + 1) names.emplace_back(s.substr(i + 1, end - i - 1));
      i = close == std::string_view::npos ? s.size() : close + 1;
    } else {
      size_t end = s.size();
      while (end > i && isBlank(s[end - 1])) --end;
      names.emplace_back(s.substr(i, end - i));
      break;
    }
  }
  return names;
}

std::string selectionText(const std::vector<std::string>& names) {
  if (names.size() == 1) return names[0];
  std::string text;
  for (const auto& n : names) {
    if (!text.empty()) text += ' ';
    text += '"' + n + '"';
  }
  return text;
}

std::string quotedList(const std::vector<std::string>& names) {
  std::string text;
  for (const auto& n : names) text += " \"" + n + '"';
  return text;
}

bool isListName(std::string_view text) {
  if (!text.empty() && text.back() == '"') text.remove_suffix(1);
  size_t dot = text.rfind('.');
  if (dot == std::string_view::npos) return false;
  std::string_view ext = text.substr(dot);
  return equalsNoCase(ext, ".lst") || equalsNoCase(ext, ".list");
}

size_t fileNamePart(std::string_view name) {
  size_t slash = name.rfind('/');
  return slash == std::string_view::npos ? 0 : slash + 1;
}

const SaveKindInfo& saveKind(int kind) {
  static const SaveKindInfo kinds[kSaveKindCount] = {
      {"Zurn Video files (*.zrn)", "*.zrn", "zrn"},   {"Pleven Video files (*.plv)", "*.plv", "plv"},
      {"List files (*.lst)", "*.lst;*.list", "lst"},  {"AVI files (*.avi)", "*.avi", "avi"},
      {"WAV files (*.wav)", "*.wav", "wav"},          {"FLC files (*.flc)", "*.flc", "flc"},
      {"BMP files (*.bmp)", "*.bmp", "bmp"},          {"GIF files (*.gif)", "*.gif", "gif"},
      {"JPG files (*.jpg)", "*.jpg", "jpg"},          {"TGA files (*.tga)", "*.tga", "tga"},
      {"TIFF files (*.tif*)", "*.tif*", "tif"},       {"PCX files (*.pcx)", "*.pcx", "pcx"},
      {"PNG files (*.png)", "*.png", "png"},          {"EXE files (*.exe)", "*.exe", "exe"},
  };
  return kinds[kind >= 0 && kind < kSaveKindCount ? kind : 0];
}

std::string proposeOutputName(std::string_view input, int kind) {
  const size_t part = fileNamePart(input);
  std::string name(input);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot >= part)
    name = name.substr(0, dot + 1) + saveKind(kind).extension;
  else
    name += std::string(".") + saveKind(kind).extension;
  std::string out;
  for (size_t i = 0; i < name.size(); ++i)
    if (name[i] != '?' || i < part) out += name[i];
  if (equalsNoCase(out, input)) return std::string(input.substr(0, part)) + "New_" + std::string(input.substr(part));
  return out;
}

std::string withDefaultExtension(std::string_view name, std::string_view extension) {
  const size_t dot = name.rfind('.');
  if (dot != std::string_view::npos && dot >= fileNamePart(name)) return std::string(name);
  return std::string(name) + "." + std::string(extension);
}

const std::vector<FilterInfo>& openFilters() {
  static const std::vector<FilterInfo> filters = {
      {"All media files (*.zrn;*.plv;*.wav;*.avi;*.mov;*.qt*;*.lst;*.flc;*.fli;*.bmp;*.gif;*.tga;*.pcx;*.tif*;*.sgi;"
       "*.png;*.pic*;*.jpg;*.jpeg;*.dv*;*.mp3)",
       "*.zrn;*.plv;*.wav;*.mp3;*.avi;*.mov;*.qt*;*.flc;*.fli;*.bmp;*.gif;*.tga;*.pcx;*.tif*;*.lst;*.list;*.sgi;*.png;"
       "*.pic*;*.jpg;*.jpeg;*.dv*;*.exe;"},
      {"All graphics files (*.zrn;*.plv;*.avi;*.mov;*.qt*;*.lst;*.flc;*.fli;*.bmp;*.gif;*.tga;*.pcx;*.tif*;*.sgi;"
       "*.png;*.pic*;*.jpg;*.jpeg;*.dv*)",
       "*.zrn;*.plv;*.avi;*.mov;*.qt*;*.flc;*.fli;*.bmp;*.gif;*.tga;*.pcx;*.tif*;*.sgi;*.png;*.lst;*.list;*.pic*;*.jpg;"
       "*.jpeg;*.dv*;*.exe;"},
      {"All sound files (*.zrn;*.plv;*.wav;*.mp3;*.avi;*.mov;*.qt*;*.lst;*.dv*)",
       "*.zrn;*.plv;*.wav;*.mp3;*.avi;*.mov;*.qt*;*.lst;*.list;*.dv*;"},
      {"Zurn files (*.zrn)", "*.zrn;"},
      {"Pleven files (*.plv)", "*.plv;"},
      {"All files (*.*)", "*.*"},
  };
  return filters;
}

std::vector<std::string> splitPatterns(std::string_view patterns) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start < patterns.size()) {
    size_t end = patterns.find(';', start);
    if (end == std::string_view::npos) end = patterns.size();
    if (end > start) out.emplace_back(patterns.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

}  // namespace tolvideo
