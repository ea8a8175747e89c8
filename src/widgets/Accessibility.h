#pragma once
// What a screen reader hears must follow what the operator sees. Captions
// name their own controls (Qt does that and keeps it current); a value label
// keeps its name ("Port") and gives what it shows as its accessible
// description, set with the text (setAccessibleDescription tells a reader).
// What Qt leaves out is here.
class QComboBox;

namespace Accessibility {

// Qt on Linux names an editable combo box by the text in it ("[ESC]@Hel"),
// leaving its label to a relation that not every reader follows. From the
// first call on, every combo box is named by its buddy label ("Command"),
// or by its accessible name where it has no label; the text is its value, and
// the rest is as Qt gives it: the list with the entries, the line edit as
// children, the states and actions.
void nameComboBoxesByLabel();

// A window made of a plain QWidget (the Receipt Preview) is a window to a
// screen reader, as a main window or a dialog is; Qt would give it the role
// of a pane. From the first call on.
void plainWindowsAreWindows();

// The line edit inside an editable combo box holds the focus while the
// operator types; it is named as its box is, so the reader says "Command"
// there too. Call after the box has its label (or accessible name).
void nameComboEditor(QComboBox *box);

} // namespace Accessibility
