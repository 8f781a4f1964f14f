#include "zarncommandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace zarn {
namespace {

const QCommandLineOption kReplay("replay", "Feed the scanner lines and commands of FILE, then end.",
                                 "FILE");
const QCommandLineOption kSpeechLog("speech-log",
                                    "Write every spoken text to FILE (one per line) instead of "
                                    "speaking it.",
                                    "FILE");
const QCommandLineOption kNoSplash("no-splash", "Log on at once, without the splash window.");
const QCommandLineOption kHelp(QStringList{"h", "help"}, "Show this text.");
const QCommandLineOption kVersion("version", "Show the version and the resource folder.");

void Describe(QCommandLineParser &parser, const ProgramDescription &program) {
    parser.setApplicationDescription(
        QString("%1\n\nThe server URL names a PostgreSQL server, e.g. pgsql://station@host:5432/ "
                "(default: ZARNDEFAULTSERVER, else the embedded store). Leave the password out "
                "of it, where the process list would show it: it is taken from ~/.pgpass (or the "
                "file PGPASSFILE names), else asked for once.\n%2")
            .arg(program.summary, program.environment));
    parser.addOptions({kReplay, kSpeechLog, kNoSplash, kHelp, kVersion});
    parser.addPositionalArgument("SERVER-URL", "The central server.", "[SERVER-URL]");
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
}

}  // namespace

int AnswerHelpOrVersion(int argc, char **argv, const ProgramDescription &program) {
    for (int i = 1; i < argc; ++i) {
        const bool help = std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0;
        if (help) {
            QCoreApplication::setApplicationName(program.name);
            QCommandLineParser parser;
            Describe(parser, program);
            // Without the application object the parser knows no program name: it is ours.
            QString text = parser.helpText();
            text.replace("<executable_name>", program.name);
            std::fputs(text.toLocal8Bit().constData(), stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs(program.version().c_str(), stdout);
            return 0;
        }
    }
    return -1;
}

int ReadProgramCommandLine(const QStringList &arguments, const ProgramDescription &program,
                           ProgramCommandLine &options) {
    QCommandLineParser parser;
    Describe(parser, program);
    const auto refuse = [&](const QString &why) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", program.name, qPrintable(why),
                     program.name);
        return 2;
    };
    if (!parser.parse(arguments)) {
        return refuse(parser.errorText());
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        return refuse("more than one server URL: " + positional.join(' '));
    }
    for (const QString &url : positional) {
        options.server.push_back(url.toStdString());
    }
    // Start-up moves to the program's folder: names given here are taken from here.
    if (parser.isSet(kReplay)) {
        options.replayFile = std::filesystem::absolute(parser.value(kReplay).toStdString());
    }
    if (parser.isSet(kSpeechLog)) {
        options.speechLog = std::filesystem::absolute(parser.value(kSpeechLog).toStdString());
    }
    options.splash = !parser.isSet(kNoSplash);
    return -1;
}

}  // namespace zarn
