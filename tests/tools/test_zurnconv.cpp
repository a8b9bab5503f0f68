// The converter program, run as the launcher runs it (no terminal), on a
// small clip made by zurnsample: what it leaves behind when it refuses,
// fails or is stopped.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <set>
#include <thread>

#include "run_program.h"
#include "testutil.h"
#include "tol/sfile.h"

namespace {

namespace fs = std::filesystem;

// What a run leaves in its folder, apart from the captured output.
std::set<std::string> filesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) {
    const std::string n = e.path().filename().string();
    if (n != "stdout.txt" && n != "stderr.txt") names.insert(n);
  }
  return names;
}

class ConverterTool : public ::testing::Test {
 protected:
  // frame0000.png to frame0015.png, 64 x 48, and sound.wav.
  static void SetUpTestSuite() {
    sample_ = std::make_unique<testutil::TempDir>();
    const Outcome r = runIn(sample_->path().string(), {TOL_ZURNSAMPLE, "clip", "/N16", "/W64", "/H48", "/R11025"});
    ASSERT_EQ(r.code, 0) << r.err;
  }
  static void TearDownTestSuite() { sample_.reset(); }
  static std::string clip() { return sample_->file("clip/frame????.png"); }

  Outcome zurnconv(std::vector<std::string> args) {
    args.insert(args.begin(), TOL_ZURNCONV);
    return runIn(dir.path().string(), std::move(args));
  }

  testutil::TempDir dir;
  static std::unique_ptr<testutil::TempDir> sample_;
};

std::unique_ptr<testutil::TempDir> ConverterTool::sample_;

TEST_F(ConverterTool, HelpNamesTheSwitchesAndTheDefault) {
  for (const char* ask : {"--help", "/?"}) {
    const Outcome r = zurnconv({ask});
    EXPECT_EQ(r.code, 0);
    for (const char* text : {"/Z", "/V", "/N-1", "/Q", "\"/z\"", ".wav"})
      EXPECT_NE(r.out.find(text), std::string::npos) << text;
  }
  EXPECT_EQ(zurnconv({}).code, 2);
}

TEST_F(ConverterTool, AnExistingOutputIsReplacedOnlyWithO) {
  for (const char* output : {"old.avi", "old.png", "old.wav"}) {
    testutil::writeFile(dir.file(output), {'o', 'l', 'd'});
    // One frame of a series is the name itself.
    const std::string input = std::string(output) == "old.wav" ? sample_->file("clip/sound.wav") : clip();
    Outcome r = zurnconv({input, output, "/e1"});
    EXPECT_EQ(r.code, 1) << output;
    EXPECT_NE(r.err.find("exists and was not replaced"), std::string::npos) << r.err;
    EXPECT_EQ(testutil::readFile(dir.file(output)).size(), 3u) << output;
    EXPECT_EQ(filesIn(dir.path()), std::set<std::string>{output});
    r = zurnconv({input, output, "/e1", "/o", "/z"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_GT(testutil::readFile(dir.file(output)).size(), 3u) << output;
    fs::remove(dir.file(output));
  }
}

TEST_F(ConverterTool, HeaderlessSoundBecomesAWaveFile) {
  // 16-bit stereo at 8000 Hz after 10 bytes of something else: one second.
  std::vector<uint8_t> raw(10 + 8000 * 4, 0x11);
  testutil::writeFile(dir.file("sound.pcm"), raw);
  // The launcher writes the picture's top before the format: "/y" stands
  // for the format here, after the sound switches.
  const Outcome r = zurnconv({"sound.pcm", "out.wav", "/m10", "/g8000", "/y4"});
  ASSERT_EQ(r.code, 0) << r.err;
  std::unique_ptr<SFile, void (*)(SFile*)> s(SFileOpen(dir.file("out.wav").c_str(), 0, 0, 0, 0, 0, 0, 0, 0, nullptr),
                                            SFileClose);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->srcRate, 8000);
  EXPECT_EQ(s->srcBits, 16);
  EXPECT_EQ(s->srcChannels, 2);
  EXPECT_EQ(s->length, 8000u * 4);
}

TEST_F(ConverterTool, FailuresLeaveNothingBehind) {
  struct Case {
    std::vector<std::string> args;
    int code;
    const char* says;
  };
  const Case cases[] = {
      {{"missing.avi", "out.avi"}, 1, "missing.avi: No such file or directory"},
      {{clip(), "out.png", "/&nothere.bmp"}, 1, "palette"},
      {{clip(), "out.wav"}, 1, "no sound this program reads"},
      {{sample_->file("clip/sound.wav"), "out.avi", "/g8000"}, 2, "need its format"},
      {{sample_->file("clip/sound.wav"), sample_->file("clip/sound.wav"), "/o"}, 1, "not converted"},
      // The staged name beside it must fit the libraries' 127 bytes too.
      {{clip(), std::string(118, 'n') + ".avi"}, 1, "the output name is longer than"},
  };
  for (const Case& c : cases) {
    const Outcome r = zurnconv(c.args);
    EXPECT_EQ(r.code, c.code) << c.args[1] << ": " << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_TRUE(filesIn(dir.path()).empty()) << *filesIn(dir.path()).begin();
  }
}

TEST_F(ConverterTool, StoppingRemovesWhatWasWritten) {
  // Each picture a thousand times: long enough to be stopped half-way.
  for (const char* output : {"long.png", "long.avi"}) {
    std::string folder = dir.path().string(), program = TOL_ZURNCONV, input = clip(), out = output;
    std::vector<std::string> args = {program, input, out, "/f1", "/a1000"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
      const int null = open("/dev/null", O_RDWR);
      if (null < 0 || chdir(folder.c_str()) != 0 || dup2(null, 0) < 0 || dup2(null, 1) < 0 || dup2(null, 2) < 0)
        _exit(127);
      execv(argv[0], argv.data());
      _exit(127);
    }
    ASSERT_GT(pid, 0);
    // Stop it as soon as its first file is on disk.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (filesIn(dir.path()).empty() && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_FALSE(filesIn(dir.path()).empty());
    kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << output;
    EXPECT_EQ(WEXITSTATUS(status), 130) << output;
    EXPECT_TRUE(filesIn(dir.path()).empty()) << output << ": " << *filesIn(dir.path()).begin();
  }
}

}  // namespace
