// The cassette commands of the File menu, and the tape's place in the title.
//
// Play Cassette File... refuses while a tape plays or quick type types, asks
// for an existing file (raw "*.cvz", WAV "*.wav", all files; default suffix
// "cvz"; start folder cassette/), and loads it as the filter entry in force
// says, not as its name says: raw for the first and the third, WAV for the
// second. Once the file has opened its folder becomes the next dialog's
// start, whatever the load did; a refused WAV file shows its message.
// Stop Cassette stops playing and ends a recording, writing its file.
// Record Cassette File... refuses while a tape plays or records or quick type
// types, asks for a file to write (WAV first, raw, all files: a name ending
// in ".wav" is WAV, any other raw) and records what the machine sends while
// a motor runs, until Stop Cassette, a reset or exit.
//
// Called by the main window's menu actions between frames.
#pragma once

#include <QString>

#include "shell/file_chooser.h"
#include "shell/start_folders.h"

namespace vantorel {

class Machine;
class MessageSink;

FileDialogRequest playCassetteDialog(const StartFolders& folders);
FileDialogRequest recordCassetteDialog(const StartFolders& folders);

// While the tape moves: "Tape m:ss / m:ss" (position and length) when it
// plays, "Recording m:ss" when it records; otherwise empty.
QString tapeTitleText(const Machine& machine);

class CassetteCommands {
  public:
    CassetteCommands(Machine& machine, FileChooser& chooser, StartFolders& folders,
                     MessageSink& messages);

    void playCassetteFile();
    void stopCassette();
    void recordCassetteFile();

  private:
    Machine& machine_;
    FileChooser& chooser_;
    StartFolders& folders_;
    MessageSink& messages_;
};

}  // namespace vantorel
