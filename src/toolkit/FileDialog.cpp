#include "toolkit/FileDialog.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "toolkit/Application.h"
#include "toolkit/Modal.h"

namespace {

QString DecodePath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string EncodePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// "Alle Dateien (*.jpg;*.bmp)" → "Alle Dateien": a trailing parenthesised list counts as
// patterns only when it holds a wildcard, so "Bilder (alt)" keeps its words.
QString StripPatternList(const QString& description) {
    QString text = description.trimmed();
    if (!text.endsWith(u')'))
        return text;
    const qsizetype open = text.lastIndexOf(u'(');
    if (open < 0)
        return text;
    const QString inner = text.mid(open + 1, text.size() - open - 2);
    if (!inner.contains(u'*') && !inner.contains(u'?'))
        return text;
    return text.left(open).trimmed();
}

// Qt's own questions, in its words, which Qt's catalogues translate (and ours need not).
constexpr const char* FileNotFound =
    "%1\nFile not found.\nPlease verify the correct file name was given.";
constexpr const char* ReplaceFile = "%1 already exists.\nDo you want to replace it?";

// Qt's own dialog with the checks whose questions must go through ExecModal: Qt would
// ask them with a QMessageBox of its own that no test could answer.
class TFileDialogWindow : public QFileDialog {
public:
    TFileDialogWindow(QWidget* parent, bool mustExist, bool overwritePrompt)
        : QFileDialog(parent), MustExist(mustExist), OverwritePrompt(overwritePrompt) {
        // Must come first: it decides whether Qt builds the widgets we extend.
        setOption(QFileDialog::DontUseNativeDialog);
        setOption(QFileDialog::DontConfirmOverwrite);
    }

    void accept() override {
        const QStringList files = selectedFiles();
        if (!files.isEmpty()) {
            const QFileInfo info(files.first());
            if (!info.isDir()) {
                if (MustExist && !info.exists()) {
                    Ask(QMessageBox::Warning, QFileDialog::tr(FileNotFound).arg(info.fileName()),
                        QMessageBox::Ok);
                    return;
                }
                if (OverwritePrompt && acceptMode() == AcceptSave && info.exists() &&
                    Ask(QMessageBox::Warning, QFileDialog::tr(ReplaceFile).arg(info.fileName()),
                        QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
                    return;
            }
        }
        QFileDialog::accept();
    }

private:
    int Ask(QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons) {
        QMessageBox box(icon, windowTitle(), text, buttons, this);
        if (buttons & QMessageBox::No)
            box.setDefaultButton(QMessageBox::No);
        return ExecModal(box);
    }

    bool MustExist;
    bool OverwritePrompt;
};

} // namespace

QStringList ConvertFilter(const std::string& filter) {
    QStringList result;
    if (filter.empty())
        return result;
    const QStringList parts = QString::fromStdString(filter).split(u'|');
    // Pairs only; a trailing description without patterns is ignored as Windows does.
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(u';')) {
            const QString trimmed = pattern.trimmed();
            if (!trimmed.isEmpty())
                patterns << trimmed;
        }
        const QString description = StripPatternList(parts[i]);
        if (patterns.isEmpty())
            result << description;
        else if (description.isEmpty())
            result << u'(' + patterns.join(u' ') + u')';
        else
            result << description + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return result;
}

TOpenDialog::TOpenDialog(QObject* owner) : QObject(owner) {}

TOpenDialog::~TOpenDialog() = default;

void TOpenDialog::Configure(QFileDialog& dialog) const {
    const bool save = SaveMode();
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // AnyFile lets an open dialog return a name that does not exist yet; Qt's ExistingFile
    // mode would refuse it.
    dialog.setFileMode(!save && Options.contains(ofFileMustExist) ? QFileDialog::ExistingFile
                                                                  : QFileDialog::AnyFile);
    if (!Title.empty())
        dialog.setWindowTitle(QString::fromStdString(Title));
    if (!DefaultExt.empty())
        dialog.setDefaultSuffix(QString::fromStdString(DefaultExt));

    const QStringList filters = ConvertFilter(Filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = FilterIndex >= 1 && FilterIndex <= filters.size() ? FilterIndex - 1 : 0;
        dialog.selectNameFilter(filters[index]);
    }

    // The last confirmed file names the folder to start in; its name is offered again.
    const QString name = DecodePath(FileName);
    const QFileInfo info(name);
    const bool inOwnFolder = !name.isEmpty() && info.isAbsolute() && QFileInfo(info.path()).isDir();
    if (inOwnFolder)
        dialog.setDirectory(info.path());
    else if (!InitialDir.empty())
        dialog.setDirectory(DecodePath(InitialDir));
    if (!name.isEmpty())
        dialog.selectFile(inOwnFolder ? info.absoluteFilePath() : info.fileName());
}

bool TOpenDialog::Execute(QWidget* parent) {
    if (!parent)
        parent = QApplication::activeWindow();
    TFileDialogWindow dialog(parent, Options.contains(ofFileMustExist),
                             SaveMode() && Options.contains(ofOverwritePrompt));
    Configure(dialog);

    // Whatever happens below, the dialog hands back what Attach lent it before it goes.
    struct Cleanup {
        TOpenDialog& Owner;
        QFileDialog& Dialog;
        QMetaObject::Connection Connection;
        ~Cleanup() {
            QObject::disconnect(Connection);
            Owner.Detach(Dialog);
        }
    } cleanup{*this, dialog, {}};
    Attach(dialog);
    cleanup.Connection =
        connect(&dialog, &QFileDialog::currentChanged, this, [this](const QString& path) {
            Guarded([&] { DoSelectionChange(EncodePath(path)); });
        });

    DoShow(dialog);
    const int result = ExecModal(dialog);
    DoClose();
    if (result != QDialog::Accepted)
        return false;

    // Without a typed name Qt reports the folder itself; that is no confirmed file.
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty() || QFileInfo(files.first()).isDir())
        return false;
    FileName = EncodePath(files.first());
    const qsizetype chosen = dialog.nameFilters().indexOf(dialog.selectedNameFilter());
    if (!Filter.empty() && chosen >= 0)
        FilterIndex = static_cast<int>(chosen) + 1;
    return true;
}

void TOpenDialog::DoShow(QFileDialog&) {
    if (OnShow)
        OnShow();
}

void TOpenDialog::DoSelectionChange(const std::string&) {
    if (OnSelectionChange)
        OnSelectionChange();
}

void TOpenDialog::DoClose() {
    if (OnClose)
        OnClose();
}

TSaveDialog::TSaveDialog(QObject* owner) : TOpenDialog(owner) {}
