// A system report: named sections of named values, written as aligned text
// or as JSON. Kept apart from the gathering so its shape can be tested.
#pragma once

#include <string>
#include <vector>

namespace tolsiw {

struct Entry {
  std::string key;
  std::vector<std::string> values;  // one value, or a list
  bool isList = false;
};

struct Section {
  std::string name;
  std::vector<Entry> entries = {};
  void add(std::string key, std::string value) { entries.push_back({std::move(key), {std::move(value)}, false}); }
  void addList(std::string key, std::vector<std::string> values) {
    entries.push_back({std::move(key), std::move(values), true});
  }
};

using Report = std::vector<Section>;

// "Section\n  key : value\n", lists one item a line under the key.
std::string formatText(const Report& report);
// {"section": {"key": "value", "list": ["a", "b"]}, ...}
std::string formatJson(const Report& report);
// A JSON string literal, quotes included.
std::string jsonString(const std::string& text);

}  // namespace tolsiw
