// The desktop program's identity: its name, version and icon as the desktop
// sees them, and the installed manual that Help > Vantorel Manual opens.
//
// runDesktop calls setUpApplicationIdentity once, after creating the
// QApplication; the window icon then comes from the icons built into the
// program (drawn from data/desktop/vantorel.svg at build time), or from the
// icon theme when the build had no icon tool. The main window calls
// openManual for its Help menu.
#pragma once

#include <QIcon>
#include <filesystem>
#include <optional>
#include <vector>

class QApplication;

namespace vantorel {

class MessageSink;

// The program's icon at every size built in; null when none was built.
QIcon programIcon();

// Application name "vantorel", its version, the desktop entry's name (which
// a Wayland desktop matches to its icon) and the window icon.
void setUpApplicationIdentity(QApplication& application);

// Where the HTML manual may be, for a program in `programDirectory`, most
// likely first: the installed layout (<prefix>/bin beside
// <prefix>/share/doc/vantorel) and the build tree's copy of it
// (build/src/shell beside build/share/doc/vantorel).
std::vector<std::filesystem::path> manualCandidates(const std::filesystem::path& programDirectory);

// The first candidate that exists, if any.
std::optional<std::filesystem::path> findManual(const std::filesystem::path& programDirectory);

// Opens the manual in the desktop's browser; says so through `messages` when
// it is not installed or no browser takes it.
void openManual(MessageSink& messages);

}  // namespace vantorel
