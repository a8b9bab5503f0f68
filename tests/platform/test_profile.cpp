// The per-user profile file: round trips, names without regard to case,
// several sections, and what it keeps of a file written by hand.
#include <gtest/gtest.h>

#include <thread>

#include "platform/profile.h"
#include "testutil.h"

namespace profile = tol::profile;

namespace {

// Points the profile at a fresh folder for the duration of a test.
class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    hadOld_ = old != nullptr;
    if (old) old_ = old;
    setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1);
  }
  void TearDown() override {
    if (hadOld_)
      setenv("XDG_CONFIG_HOME", old_.c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
  }
  std::string text() const {
    auto bytes = testutil::readFile(profile::path());
    return std::string(bytes.begin(), bytes.end());
  }
  std::string get(const char* section, const char* key, const char* def = "-") const {
    char buf[256];
    profile::getString(section, key, def, buf, sizeof buf);
    return buf;
  }

  testutil::TempDir dir_;
  std::string old_;
  bool hadOld_ = false;
};

}  // namespace

TEST_F(ProfileTest, LivesUnderTheConfigFolder) {
  EXPECT_EQ(profile::path(), dir_.file("tolvideo/tolvideo.ini"));
  EXPECT_TRUE(profile::writeInt("S", "k", 1));
  EXPECT_TRUE(std::filesystem::exists(dir_.file("tolvideo/tolvideo.ini")));
  setenv("XDG_CONFIG_HOME", "relative/path", 1);  // not absolute: ignored
  const char* home = std::getenv("HOME");
  if (home && *home) {
    EXPECT_EQ(profile::path(), std::string(home) + "/.config/tolvideo/tolvideo.ini");
  }
}

TEST_F(ProfileTest, TextAndNumbersRoundTrip) {
  EXPECT_EQ(get("TOL Video Tools", "Missing", "default"), "default");
  EXPECT_EQ(profile::getInt("TOL Video Tools", "Missing", -5), -5);
  EXPECT_TRUE(profile::writeString("TOL Video Tools", "LastFolder", "/home/u/Videos = mine"));
  EXPECT_TRUE(profile::writeInt("TOL Video Tools", "Rate", -250000));
  EXPECT_TRUE(profile::writeString("TOL Video Tools", "Word", "abc"));
  EXPECT_EQ(get("TOL Video Tools", "LastFolder"), "/home/u/Videos = mine");
  EXPECT_EQ(profile::getInt("TOL Video Tools", "Rate", 0), -250000);
  EXPECT_EQ(profile::getInt("TOL Video Tools", "Word", 7), 7);  // not a number
  EXPECT_TRUE(profile::writeString("TOL Video Tools", "Big", "99999999999"));
  EXPECT_EQ(profile::getInt("TOL Video Tools", "Big", 0), INT32_MAX);
  // A value longer than the destination is cut.
  char small[5];
  EXPECT_EQ(profile::getString("TOL Video Tools", "LastFolder", "", small, sizeof small), 4u);
  EXPECT_STREQ(small, "/hom");
  // A null value removes the key.
  EXPECT_TRUE(profile::writeString("TOL Video Tools", "Word", nullptr));
  EXPECT_EQ(get("TOL Video Tools", "Word"), "-");
  EXPECT_EQ(text().find("Word"), std::string::npos);
}

TEST_F(ProfileTest, SectionsAndKeysIgnoreCase) {
  EXPECT_TRUE(profile::writeString("TOL Video Tools", "Quality", "high"));
  EXPECT_TRUE(profile::writeString("Player", "quality", "low"));
  EXPECT_TRUE(profile::writeInt("Mixer", "QUALITY", 3));
  EXPECT_EQ(get("tol video tools", "QUALITY"), "high");
  EXPECT_EQ(get("PLAYER", "Quality"), "low");
  EXPECT_EQ(profile::getInt("mixer", "quality", 0), 3);
  // Writing under another spelling replaces the value instead of adding one.
  EXPECT_TRUE(profile::writeString("player", "QUALITY", "medium"));
  EXPECT_EQ(get("Player", "quality"), "medium");
  const std::string t = text();
  size_t count = 0;
  for (size_t at = t.find("=medium"); at != std::string::npos; at = t.find("=medium", at + 1)) ++count;
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(t.find("low"), std::string::npos);
  EXPECT_EQ(get("TOL Video Tools", "Quality"), "high");
}

TEST_F(ProfileTest, KeepsWhatItDoesNotTouch) {
  std::filesystem::create_directories(dir_.file("tolvideo"));
  const std::string handWritten =
      "; settings\n[First]\n  a = 1 \n;b=commented\n\n[Second]\nc=3\n";
  testutil::writeFile(profile::path(), std::vector<uint8_t>(handWritten.begin(), handWritten.end()));
  EXPECT_EQ(get("First", "a"), "1");
  EXPECT_EQ(get("First", "b"), "-");  // commented out
  EXPECT_EQ(get("First", ";b"), "-");
  EXPECT_TRUE(profile::writeString("First", "b", "2"));
  EXPECT_TRUE(profile::writeString("Third", "d", "4"));
  EXPECT_EQ(text(), "; settings\n[First]\n  a = 1 \nb=2\n;b=commented\n\n[Second]\nc=3\n\n[Third]\nd=4\n");
}

TEST_F(ProfileTest, RefusesWhatWouldBreakTheFile) {
  EXPECT_FALSE(profile::writeString("S", "key", "two\nlines"));
  EXPECT_FALSE(profile::writeString("S", "a=b", "v"));
  EXPECT_FALSE(profile::writeString("S]", "k", "v"));
  EXPECT_FALSE(profile::writeString("S", "", "v"));
  EXPECT_FALSE(profile::writeString(nullptr, "k", "v"));
  EXPECT_EQ(get("S", "key"), "-");
}

TEST_F(ProfileTest, ConcurrentWritersLoseNothing) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < 10; ++i)
        profile::writeInt("Threads", ("k" + std::to_string(t) + "_" + std::to_string(i)).c_str(), t * 100 + i);
    });
  for (auto& th : threads) th.join();
  for (int t = 0; t < 4; ++t)
    for (int i = 0; i < 10; ++i)
      EXPECT_EQ(profile::getInt("Threads", ("K" + std::to_string(t) + "_" + std::to_string(i)).c_str(), -1), t * 100 + i);
}
