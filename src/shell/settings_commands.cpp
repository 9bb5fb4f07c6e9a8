#include "shell/settings_commands.h"

#include <QMainWindow>

#include "machine/machine.h"
#include "shell/display_widget.h"
#include "shell/main_window.h"
#include "shell/memory_dialog.h"
#include "shell/message_sink.h"
#include "shell/printer_dialog.h"
#include "shell/sound_dialog.h"
#include "shell/timing_dialog.h"

namespace vantorel {

SettingsCommands::SettingsCommands(QMainWindow& window, Machine& machine, DisplayWidget& display,
                                   FileChooser& chooser, MessageSink& messages)
    : window_(window),
      machine_(machine),
      display_(display),
      chooser_(chooser),
      messages_(messages) {}

void SettingsCommands::setFiles(SettingsFiles files) {
    files_ = std::move(files);
    files_.saveFailed = [this](const std::string& problem) {
        messages_.warn(QString::fromStdString(problem));
    };
}

bool SettingsCommands::memory() {
    std::vector<std::string> romProblems;
    if (!runMemoryDialog(&window_, machine_.config(), machine_.roms(), chooser_, files_,
                         romProblems)) {
        return false;
    }
    for (const std::string& problem : romProblems) messages_.warn(QString::fromStdString(problem));
    return true;
}

bool SettingsCommands::printer() {
    return runPrinterDialog(&window_, machine_.config(), files_);
}

bool SettingsCommands::video() {
    if (!runVideoDialog(&window_, machine_.config(), customColours_, files_)) return false;
    applyDisplayScale();
    display_.createDisplay();  // the new colours
    display_.notice().setEnabled(machine_.config().showmessagesflag);
    display_.setFit(machine_.config().fitpictureflag, machine_.config().fitsmoothflag);
    return true;
}

bool SettingsCommands::sound() {
    return runSoundDialog(&window_, machine_.config(), files_);
}

bool SettingsCommands::timing() {
    return runTimingDialog(&window_, machine_.config(), files_);
}

void SettingsCommands::applyDisplayScale() {
    const DisplayScale wanted = displayScaleFrom(machine_.config());
    if (wanted == display_.displayScale()) return;
    const QSize have = display_.size();  // before the new minimum size moves it
    display_.setDisplayScale(wanted);
    const QSize client = display_.clientSize();
    const QSize growth(client.width() - have.width(), client.height() - have.height());
    if (growth.isNull()) return;
    window_.resize(window_.size() + growth);
    window_.move(kWindowLeft, kWindowTop);
}

}  // namespace vantorel
