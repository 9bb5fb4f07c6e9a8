// The cassette commands of the File menu, and the tape's place in the title.
//
// Play Cassette File... refuses while a tape plays or quick type types, asks
// for an existing file (raw "*.cvz", WAV "*.wav", all files; default suffix
// "cvz"; start folder cassette/), and loads it as the filter entry in force
// says, not as its name says: raw for the first and the third, WAV for the
// second. Once the file has opened its folder becomes the next dialog's
// start, whatever the load did; a refused WAV file's message is returned for
// the user. Stop Cassette stops playing and ends a recording, writing its
// file (a failure to write it is returned for the user).
// Record Cassette File... refuses while a tape plays or records or quick type
// types, asks for a file to write (WAV first, raw, all files: a name ending
// in ".wav" is WAV, any other raw) and records what the machine sends while
// a motor runs, until Stop Cassette, a reset or exit.
//
// A tape from the Recent Files list plays by its name, as the command line's
// --tape does: ".wav" in any case is WAV, any other name raw.
//
// Called by the main window's menu actions between frames; the window
// shows the messages.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/file_chooser.h"
#include "app/start_folders.h"
#include "cassette/tape_recording.h"

namespace vantorel {

class Machine;

FileDialogRequest playCassetteDialog(const StartFolders& folders);
FileDialogRequest recordCassetteDialog(const StartFolders& folders);

// While the tape moves: "Tape m:ss / m:ss" (position and length) when it
// plays, "Recording m:ss" when it records; otherwise empty.
std::string tapeTitleText(const Machine& machine);

// A message for the user, or nothing.
using CommandMessage = std::optional<std::string>;

class CassetteCommands {
  public:
    CassetteCommands(Machine& machine, FileChooser& chooser, StartFolders& folders);

    CommandMessage playCassetteFile();
    // Plays a tape named from the Recent Files list; true when it plays
    // (a refused WAV file's message goes to `message`).
    bool playTapeByName(const std::string& path, CommandMessage& message);
    // Told the name of every tape that starts playing.
    void setPlayedListener(std::function<void(const std::string&)> listener) {
        played_ = std::move(listener);
    }
    CommandMessage stopCassette();
    void recordCassetteFile();

  private:
    bool play(const std::string& path, TapeFormat format, CommandMessage& message);

    Machine& machine_;
    FileChooser& chooser_;
    StartFolders& folders_;
    std::function<void(const std::string&)> played_;
};

}  // namespace vantorel
