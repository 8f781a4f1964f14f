// Reading the configuration file: libconfig syntax in the "C" locale, UTF-8 text, and the
// options/variables group put into the environment and the profile.

#include <QUtf8StringView>

#include <locale.h>
#include <cctype>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "configread.h"

#include "zarnstationfiles.h"
#include "zarnstationlog.h"
#include "zarnwinapp.h"

namespace zarn {
namespace {

std::string WithoutQuotes(std::string text) {
    const size_t first = text.find_first_not_of('"');
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of('"') - first + 1);
}

bool IsEnvironmentName(const std::string &name) {
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0]))) {
        return false;
    }
    for (char c : name) {
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) {
            return false;
        }
    }
    return true;
}

// The first line that is not well-formed UTF-8, or 0 when all is. (A line feed is never part
// of a longer sequence, so lines can be checked one by one.)
bool IsValidUtf8(std::string_view text) {
    return QUtf8StringView(text.data(), static_cast<qsizetype>(text.size())).isValidUtf8();
}

int FirstBadUtf8Line(std::string_view text) {
    if (IsValidUtf8(text)) {
        return 0;
    }
    int line = 1;
    for (std::size_t start = 0;; ++line) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos || !IsValidUtf8(text.substr(start, end - start))) {
            return line;
        }
        start = end + 1;
    }
}

// libconfig reads numbers in the "C" locale only: switch this thread to it while reading.
class CLocaleScope {
public:
    CLocaleScope() : m_c(newlocale(LC_ALL_MASK, "C", nullptr)) {
        m_previous = m_c ? uselocale(m_c) : nullptr;
    }
    ~CLocaleScope() {
        if (m_c) {
            uselocale(m_previous);
            freelocale(m_c);
        }
    }
    CLocaleScope(const CLocaleScope &) = delete;
    CLocaleScope &operator=(const CLocaleScope &) = delete;

private:
    locale_t m_c;
    locale_t m_previous = nullptr;
};

}  // namespace

int CZARNWinApp::ReadConfiguration(const std::string &fileName) {
    // A file named by ZARNCONFIGFILE is taken as named; the program's own is looked for.
    std::string name = fileName;
    std::string path;
    if (const char *variable = std::getenv("ZARNCONFIGFILE"); variable && *variable) {
        name = path = WithoutQuotes(variable);
    } else {
        path = LocateStationFile(name);
    }
    const std::string folder = std::filesystem::path(path).parent_path().string();
    config_set_include_dir(&m_configuration, folder.empty() ? "." : folder.c_str());
    int line = 0;
    std::string error;
    {
        CLocaleScope cLocale;
        char why[512];
        char *text = nullptr;
        if (!ZarnReadConfigFile(&m_configuration, path.c_str(), why, sizeof why, &line, &text)) {
            error = why;
        } else if (text && (line = FirstBadUtf8Line(text)) != 0) {
            error = "text is not UTF-8";
        }
        std::free(text);
    }
    if (!error.empty()) {
        // Whatever was read before the error is dropped: the program goes on with nothing.
        config_destroy(&m_configuration);
        config_init(&m_configuration);
        char text[1024];
        std::snprintf(text, sizeof text,
                      "Failed to read configuration file (%s): Line(%d) - Error(%s)", name.c_str(),
                      line, error.c_str());
        qCWarning(lcConfig).noquote() << text;
        m_services.ui->MessageBox(text, "Configuration Error", kBoxOk | kBoxIconError);
        return 0;
    }
    ApplyVariables();
    m_configurationLoaded = 1;
    return 0;
}

void CZARNWinApp::ReadStationConfiguration(
    const std::string &fileName, const std::function<std::string(const config_t *)> &apply) {
    ReadConfiguration(fileName);
    const std::string problem = apply(&m_configuration);
    if (!problem.empty()) {
        qCWarning(lcConfig).noquote() << QString::fromStdString(problem);
        m_services.ui->MessageBox(problem, "Configuration Error", kBoxOk | kBoxIconWarning);
    }
}

void CZARNWinApp::ApplyVariables() {
    config_setting_t *variables = config_lookup(&m_configuration, "options/variables");
    if (!variables || !config_setting_is_group(variables)) {
        return;
    }
    for (int i = 0; i < config_setting_length(variables); ++i) {
        config_setting_t *member = config_setting_get_elem(variables, i);
        const char *memberName = config_setting_name(member);
        const char *value = config_setting_get_string(member);
        if (!memberName || !value || !IsEnvironmentName(memberName)) {
            continue;
        }
        const std::string unquoted = WithoutQuotes(value);
        setenv(memberName, unquoted.c_str(), 1);
        m_profile->WriteString("variables", memberName, unquoted);
    }
    m_profile->Flush();
}

}  // namespace zarn
