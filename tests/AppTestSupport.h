// Scripted answers for the modal dialogs a command opens, and small picture files.
#pragma once

#include <QDialog>
#include <QString>
#include <deque>
#include <functional>
#include <string>
#include <vector>

// Answers modal dialogs in order, one step each; records what each dialog showed.
class DialogScript {
public:
    using Step = std::function<int(QDialog&)>;
    DialogScript();
    ~DialogScript();

    // Chooses a file in a file dialog.
    DialogScript& Choose(const std::string& path);
    // Cancels whatever dialog comes.
    DialogScript& Cancel();
    // Confirms whatever dialog comes as it stands.
    DialogScript& Accept();
    // Clicks the message box button with this caption.
    DialogScript& Click(const char* caption);
    // Answers the next dialog with a step of the test's own.
    DialogScript& Then(Step step);

    // Title and text of every message box shown, and the title of every other dialog.
    std::vector<QString> Shown;
    int Pending() const { return static_cast<int>(Steps.size()); }

private:
    std::deque<Step> Steps;
};

class TfrmInfo;
// Checks that the info window's copyright line is wide enough for its text, centred where
// the window was laid out for it (about x = 137, at 184) and inside the window.
void ExpectCopyrightLineWhole(const TfrmInfo& info);

// A layout file that names the two pictures, written as the program writes one.
void WriteLayoutPaths(const std::string& file, const std::string& cover, const std::string& back);
// What a layout file names for its front cover.
std::string StoredCover(const std::string& file);
