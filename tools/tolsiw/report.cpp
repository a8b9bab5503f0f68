#include "tolsiw/report.h"

#include <algorithm>
#include <cstdio>

namespace tolsiw {

std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

std::string formatText(const Report& report) {
  std::string out;
  for (const Section& section : report) {
    size_t width = 0;
    for (const Entry& e : section.entries) width = std::max(width, e.key.size());
    out += section.name + "\n";
    for (const Entry& e : section.entries) {
      std::string label = "  " + e.key + std::string(width - e.key.size(), ' ') + " : ";
      if (!e.isList) {
        out += label + e.values.front() + "\n";
        continue;
      }
      out += label + (e.values.empty() ? "(none)" : "") + "\n";
      for (const std::string& v : e.values) out += "    " + v + "\n";
    }
  }
  return out;
}

std::string formatJson(const Report& report) {
  std::string out = "{";
  for (size_t s = 0; s < report.size(); ++s) {
    out += (s ? ",\n " : "\n ") + jsonString(report[s].name) + ": {";
    const auto& entries = report[s].entries;
    for (size_t i = 0; i < entries.size(); ++i) {
      out += (i ? ", " : "") + jsonString(entries[i].key) + ": ";
      if (!entries[i].isList) {
        out += jsonString(entries[i].values.front());
        continue;
      }
      out += "[";
      for (size_t v = 0; v < entries[i].values.size(); ++v)
        out += (v ? ", " : "") + jsonString(entries[i].values[v]);
      out += "]";
    }
    out += "}";
  }
  return out + "\n}\n";
}

}  // namespace tolsiw
