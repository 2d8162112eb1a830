// Both programs' command-line conventions, run as real processes with no display and no
// Qt platform chosen: --help and --version answer on stdout with status 0, a wrong call
// prints the usage on stderr with status 2.
#include <QProcess>
#include <gtest/gtest.h>

namespace {

const char* const ProgramUsage = "Aufruf: vellacour [LAYOUT.vco]\n"
                                 "        vellacour --help | --version\n";
const char* const ExportUsage =
    "Aufruf: vellacour-export picture DATEI -o AUSGABE.png [--size BxH]\n"
    "        vellacour-export sheet LAYOUT.vco -o AUSGABE.pdf [--frames] [--paper A4|Letter|Legal] "
    "[--dpi N]\n"
    "        vellacour-export disc LAYOUT.vco -o AUSGABE.pdf [--sheet NAME] [--positions 1,2] "
    "[--paper A4|Letter] [--frames] [--overprint MM] [--dpi N]\n"
    "        vellacour-export disc --sheets\n"
    "        vellacour-export album ORDNER -o AUSGABE.pdf [--frames] [--paper A4|Letter|Legal] "
    "[--dpi N]\n"
    "        vellacour-export collection ORDNER -o AUSGABE.pdf [--frames] "
    "[--paper A4|Letter|Legal] [--dpi N]\n"
    "        vellacour-export --help | --version\n";

struct TCall {
    const char* Program;
    QStringList Args;
    int Status;
    const char* Out;
    const char* Err;
};

TEST(CommandLine, HelpVersionAndWrongCallsOfBothPrograms) {
    const TCall calls[] = {
        {"app/vellacour", {"--help"}, 0, ProgramUsage, ""},
        {"app/vellacour", {"--version"}, 0, "vellacour 1.1.0\n", ""},
        {"app/vellacour", {"--hilfe"}, 2, "", ProgramUsage},
        {"app/vellacour", {"-"}, 2, "", ProgramUsage},
        {"app/vellacour", {""}, 2, "", ProgramUsage},
        {"app/vellacour", {"eins.vco", "zwei.vco"}, 2, "", ProgramUsage},
        {"app/vellacour", {"--help", "--version"}, 2, "", ProgramUsage},
        {"app/vellacour", {"eins.vco", "--version"}, 2, "", ProgramUsage},
        {"export/vellacour-export", {"--help"}, 0, ExportUsage, ""},
        {"export/vellacour-export", {"--version"}, 0, "vellacour-export 1.1.0\n", ""},
        {"export/vellacour-export", {}, 2, "", ExportUsage},
        {"export/vellacour-export", {"--bogus"}, 2, "", ExportUsage},
        {"export/vellacour-export", {"sheet", "--help"}, 2, "", ExportUsage},
        {"export/vellacour-export", {"disc"}, 2, "", ExportUsage},
        {"export/vellacour-export", {"disc", "--sheets", "x"}, 2, "", ExportUsage},
        {"export/vellacour-export", {"--version", "picture"}, 2, "", ExportUsage},
    };
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    // The usage is compared in German, whatever the caller's locale.
    environment.insert(QStringLiteral("LANGUAGE"), QStringLiteral("de"));
    for (const TCall& call : calls) {
        const QString where = QString(call.Program) + " " + call.Args.join(' ');
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(VC_BINARY_DIR "/src/") + call.Program, call.Args);
        ASSERT_TRUE(process.waitForFinished(60000)) << where.toStdString();
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << where.toStdString();
        EXPECT_EQ(process.exitCode(), call.Status) << where.toStdString();
        EXPECT_EQ(process.readAllStandardOutput().toStdString(), call.Out) << where.toStdString();
        EXPECT_EQ(process.readAllStandardError().toStdString(), call.Err) << where.toStdString();
    }
}

} // namespace
