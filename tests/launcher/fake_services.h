// Services that record what the launcher shows and starts, answering
// questions from a script (Yes once the script runs out).
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "core/launcher.h"
#include "core/services.h"

namespace tolvideo {

struct FakeServices : Services {
  struct Message {
    std::string kind, text, title;
  };
  std::vector<Message> messages;
  std::deque<Answer> answers;
  std::vector<ToolCommand> started;
  std::vector<std::string> documents;
  bool refuseStarts = false, commandKeys = false, refuseDocuments = false;

  void error(const std::string& t) override { messages.push_back({"error", t, "Error"}); }
  void postError(const std::string& t) override { messages.push_back({"posted", t, "Error"}); }
  Answer ask(const std::string& t, const std::string& title, bool) override {
    messages.push_back({"question", t, title});
    if (answers.empty()) return Answer::Yes;
    Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  void inform(const std::string& t, const std::string& title) override { messages.push_back({"info", t, title}); }
  bool start(const ToolCommand& c) override {
    started.push_back(c);
    return !refuseStarts;
  }
  bool openDocument(const std::string& d) override {
    documents.push_back(d);
    return !refuseDocuments;
  }
  bool commandKeysHeld() override { return commandKeys; }
};

struct FakeDialogs : DialogOpener {
  std::vector<std::string> opened;
  void listEditor(const std::string& t) override { opened.push_back("list " + t); }
  void player(bool zurn, const std::string& f) override { opened.push_back((zurn ? "zurnplayer " : "plevplayer ") + f); }
  void compressor(const std::string& i) override { opened.push_back("compressor " + i); }
  void mixer(bool zurn, const std::string& v, const std::string& s) override {
    opened.push_back((zurn ? "zurnmixer " : "plevmixer ") + v + "|" + s);
  }
  void converter(const std::string& i) override { opened.push_back("converter " + i); }
};

}  // namespace tolvideo
