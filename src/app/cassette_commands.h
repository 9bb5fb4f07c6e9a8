// The cassette commands of the File menu, and the tape's place in the title.
//
// Both tape dialogs list the same entries: both kinds ("*.wav" and "*.cvz",
// the first, in force at start), raw, WAV, all files; start folder
// cassette/.
// Play Cassette File... refuses while a tape plays or quick type types, asks
// for an existing file (default suffix "cvz") and loads it as the entry in
// force says: WAV under the WAV entry (a file that is not one is refused
// with its message); under the others a file that begins with a WAV header
// is WAV, and otherwise the raw entry reads raw and the rest go by the name
// (".wav" WAV, else raw). Once the file has opened its folder becomes the
// next dialog's start, whatever the load did; a tape that does not play is
// told ("<file>: <why>."). Stop Cassette stops playing and ends a recording,
// completing its file.
// Record Cassette File... refuses while a tape plays or records or quick type
// types, asks for a file to write (default suffix "wav"; the WAV entry
// writes WAV, the raw entry raw, the others go by the name) and records what
// the machine sends while a motor runs, until Stop Cassette, a reset, a new
// tape or exit; a file that cannot be made there is refused at once, with a
// message.
//
// However a recording ends, the window then calls settleRecording: a WAV
// recording stopped at the 4 GiB a WAV file holds is told, and a recording
// whose file could not be written is told and offered under another name
// (the chooser's save dialog, again until it is written or the user
// cancels, which gives it up).
//
// A tape from the Recent Files list or a drop plays as the command line's
// --tape does: a WAV header or a ".wav" name is WAV, anything else raw.
//
// Called by the main window's menu actions between frames; the window
// shows the messages.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/file_chooser.h"
#include "app/file_commands.h"
#include "app/start_folders.h"
#include "cassette/tape_recording.h"

namespace vantorel {

class Machine;

FileDialogRequest playCassetteDialog(const StartFolders& folders);
FileDialogRequest recordCassetteDialog(const StartFolders& folders);

// While the tape moves: "Tape m:ss / m:ss" (position and length) when it
// plays, "Recording m:ss" when it records; otherwise empty.
std::string tapeTitleText(const Machine& machine);

// Shows the user a message (the window: a message box), and returns once
// it has been seen.
using MessageTeller = std::function<void(const std::string&)>;

class CassetteCommands {
  public:
    CassetteCommands(Machine& machine, FileChooser& chooser, StartFolders& folders);

    CommandMessage playCassetteFile();
    // Plays a tape named from the Recent Files list or dropped; true when it
    // plays (otherwise why goes to `message`).
    bool playTapeByName(const std::string& path, CommandMessage& message);
    // Told the name of every tape that starts playing.
    void setPlayedListener(std::function<void(const std::string&)> listener) {
        played_ = std::move(listener);
    }
    // Stops playing and ends a recording; settleRecording tells how it ended.
    void stopCassette();
    // A file that cannot be made for the recording is told.
    CommandMessage recordCassetteFile();
    // Tells how the last recording ended, if it has not been told yet, and
    // offers to save one whose file could not be written.
    void settleRecording(const MessageTeller& tell);

  private:
    bool play(const std::string& path, TapeFormat format, CommandMessage& message);
    void saveUnsavedRecording(const std::string& failedPath, const MessageTeller& tell);

    Machine& machine_;
    FileChooser& chooser_;
    StartFolders& folders_;
    std::function<void(const std::string&)> played_;
};

}  // namespace vantorel
