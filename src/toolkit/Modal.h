// Every modal dialog of the program opens through ExecModal. The program builds the real
// dialog with all its settings; tests install a handler that answers it instead of a user.
#pragma once

#include <functional>

class QDialog;

using TModalHandler = std::function<int(QDialog&)>;

// Shows the dialog modally (or hands it to the installed handler) and returns its result.
int ExecModal(QDialog& dialog);

// Installs a handler for all modal dialogs; an empty handler restores the real ones.
void SetModalHandler(TModalHandler handler);
