#include "core/version_check.h"

#include <cstdio>
#include <ctime>

namespace tolvideo {

const char* const kBuildDate = "1999-10-14";

std::string dateText(const Date& d) {
  char text[32];
  std::snprintf(text, sizeof text, "%04i-%02i-%02i", d.year, d.month, d.day);
  return text;
}

Date today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

Date monthBefore(const Date& d) {
  return d.month > 1 ? Date{d.year, d.month - 1, d.day} : Date{d.year - 1, 12, d.day};
}

Date weekBefore(const Date& d) {
  if (d.day > 7) return {d.year, d.month, d.day - 7};
  Date earlier = monthBefore(d);
  earlier.day = d.day + 23;
  return earlier;
}

bool versionCheckDue(const Date& now, const std::string& lastCheck) {
  if (std::string(kBuildDate) >= dateText(monthBefore(now))) return false;
  return lastCheck < dateText(weekBefore(now));
}

}  // namespace tolvideo
