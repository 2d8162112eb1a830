// The open and save dialog components the windows code against: published properties in
// the Windows manner (a "Description|pattern" filter, a 1-based filter index, option flags)
// over Qt's own, non-native QFileDialog, which is built afresh for every Execute.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <set>
#include <string>

class QFileDialog;
class QWidget;

enum TOpenOption {
    ofReadOnly,
    ofOverwritePrompt,
    ofHideReadOnly,
    ofFileMustExist,
    ofEnableSizing,
    ofOldStyleDialog
};
using TOpenOptions = std::set<TOpenOption>;

// Turns a filter of "Description|pattern;pattern|..." pairs into Qt's name filters, one
// "Description (pattern pattern)" per pair. A description that already ends in its own
// parenthesised pattern list loses that list, so the patterns are not listed twice.
QStringList ConvertFilter(const std::string& filter);

class TOpenDialog : public QObject {
    Q_OBJECT
public:
    explicit TOpenDialog(QObject* owner = nullptr);
    ~TOpenDialog() override;

    std::string FileName; // full path of the last confirmed choice (byte string, UTF-8)
    std::string Filter;   // "Description|pattern;pattern|Description|pattern..."
    int FilterIndex = 1;  // 1-based, the filter entry chosen last
    TOpenOptions Options{ofHideReadOnly, ofEnableSizing};
    std::string Title, DefaultExt, InitialDir;
    std::function<void()> OnShow, OnClose, OnSelectionChange;

    // Shows the dialog modally (through ExecModal); true when the user confirmed a file.
    virtual bool Execute(QWidget* parent = nullptr);

protected:
    virtual bool SaveMode() const { return false; }
    // Called with the set-up dialog before it is shown and before it is destroyed.
    virtual void Attach(QFileDialog&) {}
    virtual void Detach(QFileDialog&) {}
    // The three moments the dialog reports while it is open.
    virtual void DoShow(QFileDialog& dialog);
    virtual void DoSelectionChange(const std::string& path);
    virtual void DoClose();

private:
    void Configure(QFileDialog& dialog) const;
};

// The same dialog in save mode. With ofOverwritePrompt it asks before an existing file is
// replaced; DefaultExt is appended to a name typed without an extension.
class TSaveDialog : public TOpenDialog {
    Q_OBJECT
public:
    explicit TSaveDialog(QObject* owner = nullptr);

protected:
    bool SaveMode() const override { return true; }
};
