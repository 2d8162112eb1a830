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

inline ExportResult Export(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(VC_BINARY_DIR "/src/export/vellacour-export"), args);
    process.waitForFinished(120000);
    return {process.exitCode(), process.readAllStandardError().toStdString()};
}

inline QString Q(const std::string& path) {
    return QString::fromStdString(path);
}
