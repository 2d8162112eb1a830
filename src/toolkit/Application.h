// The application object and the one place where errors reach the user: any exception
// that leaves a command or a paint is shown in a message box titled with the
// application's title, and the program goes on.
#pragma once

#include <QApplication>
#include <exception>
#include <string>

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);

    // The title used for the main window's caption, error boxes and the layout section.
    static const std::string& Title();
    static void SetTitle(const std::string& title);

    // Last line of defence for exceptions that escaped a guarded handler.
    bool notify(QObject* receiver, QEvent* event) override;
};

// The text an error box shows: the message, plus a full stop when its last
// character sorts after ".".
std::string ErrorDisplayText(const std::string& message);

// The message to show for an error; running out of memory reads as the system's German
// text instead of the library's English one.
std::string ErrorMessage(const std::exception& error);

// Shows the error in a modal box (title, error icon, OK). EAbort is silent.
void ShowException(const std::exception& error);

// Shows the error once the current event is done; used where a modal box must not open,
// such as inside a paint.
void QueueException(const std::exception& error);

// Runs a handler, showing whatever it throws. Every command entry point goes through
// this, so no exception travels through Qt's own frames.
template <class Handler> void Guarded(Handler&& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        ShowException(error);
    }
}
