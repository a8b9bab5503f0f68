#include "core/launcher.h"

#include <chrono>
#include <thread>

#include "core/file_names.h"
#include "core/sequence.h"
#include "core/switch_text.h"

namespace tolvideo {

const char* const kNoFileMessage = "You haven't highlighted a file.";

namespace {

const char* const kVersionTitle = "New version check...";
const char* const kVersionTail =
    "Would you like to check for a newer version of Zurn on the Internet?\n\n"
    "If you choose to check for a new version, the Zurn window will close to allow the update install.";

}  // namespace

std::optional<std::string> Launcher::singleName(const std::string& selection) {
  const auto names = splitSelection(selection);
  if (names.empty()) {
    services_.error(kNoFileMessage);
    return std::nullopt;
  }
  if (names.size() > 1) {
    services_.error("You have selected multiple files - highlight a single file or create a list file.");
    return std::nullopt;
  }
  return names[0];
}

bool Launcher::launchInFolder(ToolCommand command) {
  command.workingFolder = state_.settings.path;
  return launch(command, services_);
}

void Launcher::quickPlay(const std::string& selection) {
  std::string text = selection;
  if (text.empty() || text[0] != '"') text = '"' + text + '"';
  if (isListName(text)) {
    dialogs_.listEditor(text);
    return;
  }
  std::vector<std::string> zurn, pleven;
  for (const auto& name : splitSelection(text)) {
    switch (probeFile(name, services_)) {
      case FileType::Zurn: zurn.push_back(name); break;
      case FileType::Pleven: pleven.push_back(name); break;
      case FileType::OldZurn: break;
      case FileType::Other:
        if (!services_.openDocument(name)) services_.postError("Error opening the file.");
        break;
    }
  }
  if (!zurn.empty()) launch(quickPlayCommand(state_.tools, true, quotedList(zurn)), services_);
  if (!pleven.empty()) launch(quickPlayCommand(state_.tools, false, quotedList(pleven)), services_);
}

void Launcher::advancedPlay(const std::string& selection) {
  const auto names = splitSelection(selection);
  if (names.empty()) {
    services_.error(kNoFileMessage);
    return;
  }
  FileType first = FileType::Other;
  for (size_t i = 0; i < names.size(); ++i) {
    const FileType t = probeFile(names[i], services_);
    if (t == FileType::OldZurn) return;
    if (i == 0) first = t;
    if (t != FileType::Zurn && t != FileType::Pleven) {
      services_.error("Advanced playback options are only available for Zurn and Pleven files.");
      return;
    }
    if (t != first) {
      services_.error("To play multiple files at once, highlight all Zurn files or all Pleven files.");
      return;
    }
  }
  dialogs_.player(first == FileType::Zurn, selectionText(names));
}

void Launcher::openStartupFile() {
  if (state_.startupFile.empty()) return;
  if (isListName(state_.startupFile))
    dialogs_.listEditor(state_.startupFile);
  else
    advancedPlay(state_.startupFile);
}

void Launcher::analyse(const std::string& selection) {
  const auto name = singleName(selection);
  if (!name) return;
  switch (probeFile(*name, services_)) {
    case FileType::OldZurn: return;
    case FileType::Zurn:
    case FileType::Pleven: launch(analyserCommand(state_.tools, *name), services_); return;
    case FileType::Other: services_.error("You can only analyze Zurn or Pleven video files."); return;
  }
}

void Launcher::fileInfo(const std::string& selection) {
  const auto names = splitSelection(selection);
  if (names.empty()) {
    services_.error(kNoFileMessage);
    return;
  }
  for (const auto& name : names)
    if (!launch(fileInfoCommand(state_.tools, name), services_)) return;
}

void Launcher::systemInfo() { launch(systemInfoCommand(state_.tools), services_); }

void Launcher::compress(const std::string& selection) {
  const auto name = singleName(selection);
  if (name) dialogs_.compressor(sequenceOrName(*name, services_));
}

void Launcher::mix(const std::string& selection) {
  const auto names = splitSelection(selection);
  bool anyZurn = false, anyPleven = false;
  std::vector<FileType> types;
  for (const auto& n : names) {
    types.push_back(probeFile(n, services_));
    anyZurn |= types.back() == FileType::Zurn;
    anyPleven |= types.back() == FileType::Pleven;
  }
  const bool zurn = !(anyPleven && (!anyZurn || services_.ask("Do you want to use the Zurn mixer (hit No for the "
                                                              "Pleven Mixer)?",
                                                              "Zurn or Pleven Mixer") == Answer::No));
  if (names.empty()) {
    services_.error(kNoFileMessage);
    return;
  }
  if (names.size() > 2) {
    services_.error(zurn ? "You have selected too many files - highlight just a Zurn file and/or a sound file."
                         : "You have selected too many files - highlight just a Pleven file and/or a sound file.");
    return;
  }
  const FileType own = zurn ? FileType::Zurn : FileType::Pleven;
  std::string video, sound;
  if (types[0] == own) {
    video = names[0];
    if (names.size() > 1) sound = names[1];
  } else if (names.size() > 1 && types[1] == own) {
    video = names[1];
    sound = names[0];
  } else {
    services_.error(zurn ? "You didn't select a Zurn file to mix from." : "You didn't select a Pleven file to mix from.");
    return;
  }
  video = sequenceOrName(video, services_);
  if (!sound.empty()) sound = sequenceOrName(sound, services_);
  dialogs_.mixer(zurn, video, sound);
}

void Launcher::convert(const std::string& selection) {
  const auto name = singleName(selection);
  if (name) dialogs_.converter(sequenceOrName(*name, services_));
}

void Launcher::findFile() {
  if (!services_.openDocument(state_.settings.path.empty() ? "." : state_.settings.path))
    services_.postError("Error opening the file.");
}

void Launcher::help(const std::string& key) { services_.openDocument(state_.site + "/zurnh" + key + ".htm#START"); }

void Launcher::questions() { services_.openDocument(state_.site + "/zurnfaq.htm"); }

void Launcher::about() {
  services_.inform(
      "TOL Video Tools\n\nVersion 0.9m \"Release Candidate 2\"\n\n"
      "Compresses, mixes, converts and plays Zurn and Pleven video.\n\n"
      "Help, questions and answers: the \"&Help\" and \"How &do I?\" buttons, or the README shipped with the suite.",
      "About TOL Video Tools...");
}

bool Launcher::confirmVersionCheck(const char* question, const Date& now) {
  if (services_.ask(question, kVersionTitle) != Answer::Yes) return false;
  services_.openDocument(state_.site + "/scripts/zurnver.asp?ver=0.9m");
  std::this_thread::sleep_for(std::chrono::milliseconds(250));
  state_.settings.lastVersionCheckDate = dateText(now);
  writeProfileText("LastVersionCheckDate", state_.settings.lastVersionCheckDate);
  return true;
}

bool Launcher::newVersion(const Date& now) {
  return confirmVersionCheck(kVersionTail, now);
}

bool Launcher::versionCheck(const Date& now) {
  if (!versionCheckDue(now, state_.settings.lastVersionCheckDate)) return false;
  state_.settings.lastVersionCheckDate = dateText(now);
  writeProfileText("LastVersionCheckDate", state_.settings.lastVersionCheckDate);
  const std::string question = std::string("It's been a while since you checked for a more recent Zurn version.\n\n") +
                               kVersionTail;
  return confirmVersionCheck(question.c_str(), now);
}

bool Launcher::compressorOk(const std::string& input, const std::string& output, const std::string& switches) {
  const std::string out = trimmed(output);
  if (out.empty()) {
    services_.error("No output filename chosen.");
    return false;
  }
  const std::string files = "\"" + input + "\" \"" + withDefaultExtension(out, "zrn") + "\"";
  const std::string hint = trimmed(state_.hint);
  launchInFolder(compressorCommand(state_.tools, files, switches, writeHintFile(hint)));
  return true;
}

bool Launcher::mixerOk(bool zurn, const std::string& video, const std::string& sound, const std::string& output,
                       const std::string& switches) {
  const std::string out = trimmed(output), in = trimmed(sound);
  if (out.empty() || in.empty()) {
    services_.error(zurn ? "No input sound filename and/or output Zurn filename chosen."
                         : "No input sound filename and/or output Pleven filename chosen.");
    return false;
  }
  launchInFolder(mixerCommand(state_.tools, zurn, video, in, withDefaultExtension(out, zurn ? "zrn" : "plv"), switches));
  return true;
}

bool Launcher::converterOk(const std::string& input, const std::string& output, const std::string& switches) {
  const std::string out = trimmed(output);
  if (out.empty()) {
    services_.error("No output filename chosen.");
    return false;
  }
  launchInFolder(converterCommand(state_.tools, input, withDefaultExtension(out, "avi"), switches));
  return true;
}

void Launcher::play(bool zurn, const std::string& files, const std::string& switches) {
  launch(playerCommand(state_.tools, zurn, files, switches), services_);
}

void Launcher::setQuick(bool zurn, const std::string& switches) {
  if (services_.ask("Do you want to use the current settings as the quick play (Explorer double-click) settings?",
                    "Set the quick options...") == Answer::Yes)
    writeProfileText(zurn ? "ZurnQuickPlay" : "PlevQuickPlay", switches);
}

bool Launcher::exeOk(const ExeOptions& options) {
  const auto command = options.command(state_.tools, services_);
  if (!command) return false;
  state_.exeOverwrite = options.overwrite;
  state_.exeTarget = options.target;
  launchInFolder(*command);
  return true;
}

void Launcher::exeList(const ExeOptions& options) {
  launch(playerListCommand(state_.tools, options.playerName()), services_);
}

}  // namespace tolvideo
