// tolsiw: the report's text and JSON shapes, and the program's switches.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "run_program.h"
#include "tolsiw/report.h"

namespace {

TEST(TolsiwReport, JsonHoldsSectionsValuesListsAndEscapes) {
  tolsiw::Report report(2);
  report[0].name = "processor";
  report[0].add("model", "A \"quoted\" back\\slash\n");
  report[0].addList("empty", {});
  report[1].name = "display";
  report[1].addList("drivers", {"x11", "dummy"});
  EXPECT_EQ(tolsiw::formatJson(report),
            "{\n \"processor\": {\"model\": \"A \\\"quoted\\\" back\\\\slash\\n\", \"empty\": []},\n"
            " \"display\": {\"drivers\": [\"x11\", \"dummy\"]}\n}\n");
  EXPECT_EQ(tolsiw::jsonString(std::string("\x01", 1)), "\"\\u0001\"");
  EXPECT_EQ(tolsiw::formatText(report),
            "processor\n  model : A \"quoted\" back\\slash\n\n  empty : (none)\n"
            "display\n  drivers : \n    x11\n    dummy\n");
}

struct SwitchCase {
  std::vector<std::string> args;
  int code;
  const char* inOut;  // text the standard output must hold
};

// Keeps an environment variable set for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old, had_ = true;
    setenv(name, value, 1);
  }
  ~ScopedEnv() { had_ ? setenv(name_, old_.c_str(), 1) : unsetenv(name_); }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

TEST(TolsiwProgram, Switches) {
  testutil::TempDir dir;
  // With a display, SDL's system libraries (D-Bus) keep memory to the end;
  // the report's own code is leak-checked in the test above.
  ScopedEnv noLeakCheck("ASAN_OPTIONS", "detect_leaks=0");
  const SwitchCase cases[] = {
      {{}, 0, "kernels used"},
      {{"--json"}, 0, "\"processor\": {"},
      {{"/?"}, 0, "usage: tolsiw"},
      {{"--help"}, 0, "usage: tolsiw"},
      {{"/x"}, 2, ""},
  };
  for (const SwitchCase& c : cases) {
    std::vector<std::string> args{TOL_TOLSIW};
    args.insert(args.end(), c.args.begin(), c.args.end());
    Outcome o = runIn(dir.path().string(), args);
    EXPECT_EQ(o.code, c.code) << (c.args.empty() ? "" : c.args[0]) << o.err;
    EXPECT_NE(o.out.find(c.inOut), std::string::npos) << o.out;
  }
  Outcome json = runIn(dir.path().string(), {TOL_TOLSIW, "--json"});
  EXPECT_EQ(json.out.front(), '{');
  EXPECT_EQ(json.out.substr(json.out.size() - 2), "}\n");
  EXPECT_NE(json.out.find("\"version\": \""), std::string::npos);
}

}  // namespace
