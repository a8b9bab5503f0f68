// Dates of the new-version prompt, compared as "%04i-%02i-%02i" texts.
#pragma once

#include <string>

namespace tolvideo {

struct Date {
  int year, month, day;
};

std::string dateText(const Date& d);
Date today();
// The same day one month earlier (January goes back to December).
Date monthBefore(const Date& d);
// Seven days earlier: the day minus 7 when above 7, else the day plus 23
// of the month before.
Date weekBefore(const Date& d);

extern const char* const kBuildDate;  // "1999-10-14"

// The prompt at start is due: the build is older than a month and the last
// check older than a week.
bool versionCheckDue(const Date& today, const std::string& lastCheck);

}  // namespace tolvideo
