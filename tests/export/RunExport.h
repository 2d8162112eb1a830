// Runs the real vellacour-export program, as the export tests do.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <string>

struct ExportResult {
    int Status = -1;
    std::string Errors;
};

// Runs it in the caller's environment with these variables set ("NAME=value") or, for a
// bare name, removed.
inline ExportResult Export(const QStringList& args, const QStringList& environment = {}) {
    QProcess process;
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (const QString& variable : environment) {
        const qsizetype equals = variable.indexOf(u'=');
        if (equals < 0)
            variables.remove(variable);
        else
            variables.insert(variable.left(equals), variable.mid(equals + 1));
    }
    process.setProcessEnvironment(variables);
    process.start(QStringLiteral(VC_BINARY_DIR "/src/export/vellacour-export"), args);
    process.waitForFinished(120000);
    return {process.exitCode(), process.readAllStandardError().toStdString()};
}

inline QString Q(const std::string& path) {
    return QString::fromStdString(path);
}
