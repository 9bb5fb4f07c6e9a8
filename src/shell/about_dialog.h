// The About box of the Help menu: caption "About", the program's icon, the
// title "Vantorel 0.01" (the version), a few lines of credits and an OK
// button. It changes nothing.
#pragma once

class QWidget;
class QDialog;

namespace vantorel {

// A new About box owned by `parent` (not yet shown).
QDialog* makeAboutDialog(QWidget* parent);

// Shows the About box modally; true when it closed with OK.
bool runAboutDialog(QWidget* parent);

}  // namespace vantorel
