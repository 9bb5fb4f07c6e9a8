// The Configure menu's settings dialogs, as the main window runs them.
//
// Each command runs its dialog on the machine's settings record and, after
// OK, does the part of the change that belongs to the window: Memory shows a
// line for each ROM file that was not taken (the window posts the hard reset
// itself); Video and Colors resizes the window, at (10, 10), when the display
// scale changed and always rebuilds the display. Each returns whether the
// dialog ended with OK, so the window can restart the sound or recompute the
// timing. The colour picker's custom colours live here for the whole run.
//
// Owned by the main window; the desktop program tells it where the
// settings file and the start-up folder are (setFiles).
#pragma once

#include "shell/settings_dialog.h"
#include "shell/video_dialog.h"

class QMainWindow;

namespace vantorel {

class Machine;
class DisplayWidget;
class FileChooser;
class MessageSink;

class SettingsCommands {
  public:
    SettingsCommands(QMainWindow& window, Machine& machine, DisplayWidget& display,
                     FileChooser& chooser, MessageSink& messages);

    // A save that fails is told in a message box.
    void setFiles(SettingsFiles files);
    const SettingsFiles& files() const { return files_; }
    const CustomColours& customColours() const { return customColours_; }

    bool memory();
    bool printer();
    bool video();
    bool sound();
    bool timing();

  private:
    // The display scale follows the settings; the client area is sized to it.
    void applyDisplayScale();

    QMainWindow& window_;
    Machine& machine_;
    DisplayWidget& display_;
    FileChooser& chooser_;
    MessageSink& messages_;
    SettingsFiles files_;
    CustomColours customColours_;
};

}  // namespace vantorel
