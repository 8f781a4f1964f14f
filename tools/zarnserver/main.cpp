// zarnserver: creates and migrates the store, loads the demo data set and shows its counts.
#include <QCommandLineParser>
#include <QCoreApplication>

#include <termios.h>
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "zarn10rc.h"
#include "zarnadmin.h"

namespace {

const char kUsage[] =
    "Usage: zarnserver [options] COMMAND\n"
    "\n"
    "Commands:\n"
    "  init            create the store, or bring its schema up to date\n"
    "  demo            create the store and load the demo data set (only into an empty store)\n"
    "  info            show the store's schema version and the rows of every table\n"
    "  export TABLE [FILE]  write a table as CSV (to standard output without FILE)\n"
    "  import TABLE FILE    add the rows of a CSV file to a table, all or nothing\n"
    "  roles NAME      PostgreSQL: create a station's log-in role with only the rights a\n"
    "                  station needs; its password is asked for on the terminal, or read\n"
    "                  from the first line of standard input\n"
    "\n"
    "Tables: customers, media, repositories, zones, volumes, movement_history,\n"
    "journal_codes, journal_postings, attributes.\n"
    "\n"
    "Options:\n"
    "  --database PATH SQLite file (default: $ZARNDATABASE, else the per-user data folder),\n"
    "                  or the PostgreSQL database name with --host\n"
    "  --host HOST     a PostgreSQL server instead of the embedded store\n"
    "  --port PORT     its port (default 5432)\n"
    "  --user USER     the role to connect as\n"
    "  --password PW   its password (discouraged: it shows in the process list; the\n"
    "                  password is otherwise taken from PGPASSWORD or ~/.pgpass as\n"
    "                  PostgreSQL's own tools take it, or asked for on the terminal)\n"
    "  --help          this text\n"
    "  --version       the program's version and the schema version it writes\n";

struct Options {
    zarn::ConnectionSettings settings;
    std::string command;
    std::vector<std::string> arguments;
};

bool ParseOptions(const QStringList &arguments, Options &options, std::string &error) {
    const QCommandLineOption database("database", "", "PATH");
    const QCommandLineOption host("host", "", "HOST");
    const QCommandLineOption port("port", "", "PORT");
    const QCommandLineOption user("user", "", "USER");
    const QCommandLineOption password("password", "", "PW");
    QCommandLineParser parser;
    parser.addOptions({database, host, port, user, password});
    // "export TABLE FILE": options end where the command starts.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (!parser.parse(arguments)) {
        error = parser.errorText().toStdString();
        return false;
    }
    options.settings.database = parser.value(database).toStdString();
    options.settings.host = parser.value(host).toStdString();
    options.settings.user = parser.value(user).toStdString();
    if (parser.isSet(password)) {
        options.settings.password = parser.value(password).toStdString();
        std::fprintf(stderr,
                     "zarnserver: warning: a password given with --password shows in"
                     " the process list; prefer PGPASSWORD, ~/.pgpass or the prompt\n");
    }
    if (parser.isSet(port)) {
        bool number = false;
        const uint value = parser.value(port).toUInt(&number);
        if (!number || value == 0 || value > 65535) {
            error = "not a port: " + parser.value(port).toStdString();
            return false;
        }
        options.settings.port = value;
    }
    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        error = "no command given";
        return false;
    }
    options.command = positional.takeFirst().toStdString();
    for (const QString &argument : positional) {
        options.arguments.push_back(argument.toStdString());
    }
    return true;
}

// A line typed on the terminal without echo; empty when there is no terminal.
std::string AskHidden(const std::string &prompt) {
    if (!isatty(STDIN_FILENO)) {
        return "";
    }
    std::fprintf(stderr, "%s", prompt.c_str());
    termios saved{};
    tcgetattr(STDIN_FILENO, &saved);
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    std::string line;
    std::getline(std::cin, line);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::fprintf(stderr, "\n");
    return line;
}

// A new station's password: asked twice on a terminal, else the first line of standard input.
bool NewPassword(std::string &password, std::string &error) {
    if (isatty(STDIN_FILENO)) {
        password = AskHidden("Password for the new station role: ");
        if (AskHidden("The same password again: ") != password) {
            error = "the two passwords differ";
            return false;
        }
    } else if (!std::getline(std::cin, password)) {
        error = "no password on standard input";
        return false;
    }
    if (!password.empty() && password.back() == '\r') {
        password.pop_back();
    }
    if (password.empty()) {
        error = "the password is empty";
        return false;
    }
    return true;
}

int Fail(const std::string &what, uint8_t code, const std::string &detail) {
    std::fprintf(stderr, "zarnserver: %s: %s%s%s\n", what.c_str(), CZARN10RC(code).Get(),
                 detail.empty() ? "" : ": ", detail.c_str());
    return 1;
}

int Info(zarn::Store &store) {
    std::printf("schema version: %d\n", store.SchemaVersion());
    for (const auto &[table, rows] : zarn::TableCounts(store)) {
        std::printf("%-18s %lld\n", table.c_str(), rows);
    }
    return 0;
}

int Demo(zarn::Store &store) {
    if (zarn::TableCounts(store)["customers"] != 0) {
        std::fprintf(stderr, "zarnserver: demo: the store already holds data; nothing loaded\n");
        return 1;
    }
    if (uint8_t failed = zarn::LoadDemoData(store)) {
        return Fail("demo", failed, store.LastError());
    }
    std::printf("demo data loaded\n");
    return Info(store);
}

int Export(zarn::Store &store, const std::vector<std::string> &arguments) {
    std::string error;
    std::ofstream file;
    if (arguments.size() == 2) {
        // Written beside the target and renamed, so a failed export leaves no half file.
        file.open(arguments[1] + ".part", std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "zarnserver: export: cannot write %s\n", arguments[1].c_str());
            return 1;
        }
    }
    std::ostream &output = arguments.size() == 2 ? static_cast<std::ostream &>(file) : std::cout;
    const long long rows = zarn::ExportTable(store, arguments[0], output, error);
    if (arguments.size() == 2) {
        file.close();
        if (rows < 0 || !file) {
            std::remove((arguments[1] + ".part").c_str());
        } else {
            std::rename((arguments[1] + ".part").c_str(), arguments[1].c_str());
        }
    }
    if (rows < 0) {
        std::fprintf(stderr, "zarnserver: export: %s\n", error.c_str());
        return 1;
    }
    std::fprintf(stderr, "%lld rows exported from %s\n", rows, arguments[0].c_str());
    return 0;
}

int Import(zarn::Store &store, const std::vector<std::string> &arguments) {
    std::ifstream file(arguments[1], std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "zarnserver: import: cannot read %s\n", arguments[1].c_str());
        return 1;
    }
    std::string error;
    const long long rows = zarn::ImportTable(store, arguments[0], file, error);
    if (rows < 0) {
        std::fprintf(stderr, "zarnserver: import: %s; nothing was imported\n", error.c_str());
        return 1;
    }
    std::printf("%lld rows imported into %s\n", rows, arguments[0].c_str());
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication application(argc, argv);
    Options options;
    std::string error;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("zarnserver %s (schema version %d)\n", ZARN_VERSION,
                        zarn::Store::TargetSchemaVersion());
            return 0;
        }
    }
    if (!ParseOptions(QCoreApplication::arguments(), options, error)) {
        std::fprintf(stderr, "zarnserver: %s\n\n%s", error.c_str(), kUsage);
        return 2;
    }
    // Each command with the least and most arguments it takes.
    const std::map<std::string, std::pair<size_t, size_t>> commands = {
        {"init", {0, 0}},   {"demo", {0, 0}},   {"info", {0, 0}},
        {"export", {1, 2}}, {"import", {2, 2}}, {"roles", {1, 2}}};
    const auto command = commands.find(options.command);
    if (command == commands.end()) {
        std::fprintf(stderr, "zarnserver: unknown command %s\n\n%s", options.command.c_str(),
                     kUsage);
        return 2;
    }
    if (options.arguments.size() < command->second.first ||
        options.arguments.size() > command->second.second) {
        std::fprintf(stderr, "zarnserver: wrong number of arguments for %s\n\n%s",
                     options.command.c_str(), kUsage);
        return 2;
    }
    // Commands that only read never create, migrate or write the store.
    const bool reading = options.command == "info" || options.command == "export";
    const auto open = reading ? zarn::OpenForReading : zarn::OpenAndMigrate;
    uint8_t result = 0;
    std::unique_ptr<zarn::Store> store = open(options.settings, result, error);
    if (!store && result == kZarnLogonRefused && options.settings.password.empty() &&
        isatty(STDIN_FILENO)) {
        // As psql does: no password from the environment or ~/.pgpass, so ask.
        options.settings.password =
            AskHidden("Password for " + options.settings.user + "@" + options.settings.host + ": ");
        store = open(options.settings, result, error);
    }
    if (!store) {
        return Fail("cannot open the store", result, error);
    }
    if (options.command == "demo") {
        return Demo(*store);
    }
    if (options.command == "info") {
        return Info(*store);
    }
    if (options.command == "export") {
        return Export(*store, options.arguments);
    }
    if (options.command == "import") {
        return Import(*store, options.arguments);
    }
    if (options.command == "roles") {
        std::string password;
        if (options.arguments.size() == 2) {
            std::fprintf(stderr,
                         "zarnserver: warning: a password on the command line shows in"
                         " the process list; leave it out to be asked for it\n");
            password = options.arguments[1];
        } else if (!NewPassword(password, error)) {
            std::fprintf(stderr, "zarnserver: roles: %s\n", error.c_str());
            return 2;
        }
        if (uint8_t failed =
                zarn::CreateStationRole(*store, options.arguments[0], password, error)) {
            return Fail("roles", failed, error);
        }
        std::printf("station role %s created\n", options.arguments[0].c_str());
        return 0;
    }
    std::printf("store ready, schema version %d\n", store->SchemaVersion());
    return 0;
}
