// The library's two information windows: the server's identity and the connection's settings.
#include <QSqlQuery>

#include "zarn10mfc.h"
#include "zarnfields.h"
#include "zarnpresenters.h"
#include "zarnsession.h"

using namespace zarn;

namespace {

std::string StoreText(const ServerSession &session) {
    const ConnectionSettings &settings = session.settings;
    if (settings.host.empty()) {
        return "Store: embedded, " +
               (settings.database.empty() ? DefaultDatabasePath() : settings.database);
    }
    return "Store: PostgreSQL " + settings.host + ":" +
           std::to_string(settings.port ? settings.port : 5432) + ", database " +
           (settings.database.empty() ? std::string("kestrava") : settings.database);
}

}  // namespace

CZARN10RC CZARN10MFC::ServerInfoDialog(void *) {
    const StatementsDone done(*m_session);
    ZARNSERVERID identity;
    const CZARN10RC result = Get(&identity);
    std::vector<std::string> lines;
    if (result.IsOK(0)) {
        lines.push_back("Server: " + ReadField(identity.serverId) + " (" +
                        ReadField(identity.serverName) + ")");
        lines.push_back("Prepared by: " + ReadField(identity.preparedBy));
        lines.push_back("Schema version: " + std::to_string(identity.schemaVersion));
    } else {
        lines.push_back(std::string("Server: ") + result.Get());
    }
    lines.push_back(StoreText(*m_session));
    lines.push_back("Station: " + m_session->StationName());
    QSqlQuery query;
    if (m_session->Select(query,
                          "SELECT COUNT(*), COALESCE(SUM(CASE WHEN destination_repository <> ''"
                          " AND destination_repository <> current_repository THEN 1 ELSE 0 END), 0)"
                          " FROM volumes") == 0 &&
        query.next()) {
        lines.push_back("Volumes: " + query.value(0).toString().toStdString() +
                        ", due to move: " + query.value(1).toString().toStdString());
    }
    CurrentPresenterFactory()->MakeInfo()->Show("Server Information", lines);
    return result;
}

CZARN10RC CZARN10MFC::DoControlPanel(void *, void *) {
    const ServerSession &session = *m_session;
    const BarCodeGrammar &grammar = session.grammar;
    const std::vector<std::string> lines = {
        StoreText(session),
        "User: " + (session.settings.user.empty() ? std::string("(none)") : session.settings.user),
        std::string("Logged on: ") + (IsLoggedOn() ? "yes" : "no"),
        "Program: " + std::to_string(session.programId),
        "Zone bar codes begin with \"" + grammar.zonePrefix + "\", slots with \"" +
            grammar.slotPrefix + "\", control characters with \"" + grammar.controlPrefix + "\"",
        std::string("Volume keys are separated by \"") + grammar.keySeparator + "\"",
    };
    CurrentPresenterFactory()->MakeInfo()->Show("Server Control Panel", lines);
    return kZarnOK;
}
