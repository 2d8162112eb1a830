// Runs the real vellacour-export program, as the export tests do.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <string>

struct ExportResult {
    int Status = -1;
    std::string Errors;
    std::string Output;
};

// Runs it in German, the language the tests compare, with these variables set
// ("NAME=value") or, for a bare name, removed; with fileLimitKiB, no file it writes may grow
// beyond that, so that writing its output fails part-way.
inline ExportResult Export(const QStringList& args, const QStringList& environment = {},
                           int fileLimitKiB = 0) {
    QProcess process;
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    variables.insert(QStringLiteral("LANGUAGE"), QStringLiteral("de"));
    for (const QString& variable : environment) {
        const qsizetype equals = variable.indexOf(u'=');
        if (equals < 0)
            variables.remove(variable);
        else
            variables.insert(variable.left(equals), variable.mid(equals + 1));
    }
    process.setProcessEnvironment(variables);
    const QString program = QStringLiteral(VC_BINARY_DIR "/src/export/vellacour-export");
    if (fileLimitKiB > 0)
        process.start("bash", QStringList{"-c",
                                          "trap '' XFSZ; ulimit -f " +
                                              QString::number(fileLimitKiB) + "; exec \"$@\"",
                                          "bash", program} +
                                  args);
    else
        process.start(program, args);
    process.waitForFinished(120000);
    return {process.exitCode(), process.readAllStandardError().toStdString(),
            process.readAllStandardOutput().toStdString()};
}

inline QString Q(const std::string& path) {
    return QString::fromStdString(path);
}
