// CSV export and import of the store's tables, and station roles, for zarnserver.
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <cctype>

#include "zarn10rc.h"
#include "zarnadmin.h"
#include "zarncsv.h"

namespace zarn {
namespace {

bool IsStoreTable(const std::string &table) {
    return std::find_if(kStoreTables, kStoreTables + kStoreTableCount, [&](const char *name) {
               return table == name;
           }) != kStoreTables + kStoreTableCount;
}

std::vector<std::string> ColumnsOf(Store &store, const std::string &table) {
    std::vector<std::string> columns;
    QSqlQuery query(store.Database());
    if (store.Run(query, QString::fromStdString("SELECT * FROM " + table + " WHERE 1 = 0")) == 0) {
        const QSqlRecord record = query.record();
        for (int i = 0; i < record.count(); ++i) {
            columns.push_back(record.fieldName(i).toStdString());
        }
    }
    return columns;
}

bool IsRoleName(const std::string &name) {
    if (name.empty() || name.size() > 63 ||
        !(std::islower(static_cast<unsigned char>(name[0])) || name[0] == '_')) {
        return false;
    }
    return std::all_of(name.begin(), name.end(), [](char c) {
        return std::islower(static_cast<unsigned char>(c)) ||
               std::isdigit(static_cast<unsigned char>(c)) || c == '_';
    });
}

// A string literal for DDL, which cannot take parameters.
std::string Literal(const std::string &text) {
    std::string literal = "'";
    for (char c : text) {
        literal += c == '\'' ? std::string("''") : std::string(1, c);
    }
    return literal + "'";
}

uint8_t AddLoadedHistory(Store &store, const std::vector<std::string> &columns,
                         const std::vector<std::string> &fields) {
    auto field = [&](const char *name) {
        const auto at = std::find(columns.begin(), columns.end(), name);
        return at == columns.end() ? std::string() : fields[at - columns.begin()];
    };
    VolumeRow row;
    if (uint8_t failed =
            store.GetVolume(field("customer_id"), field("media_id"), field("volume"), row)) {
        return failed;
    }
    return store.AddHistory(row, {"loaded", {}, row.current, row.flags});
}

}  // namespace

long long ExportTable(Store &store, const std::string &table, std::ostream &output,
                      std::string &error) {
    if (!IsStoreTable(table)) {
        error = "no such table: " + table;
        return -1;
    }
    const std::vector<std::string> columns = ColumnsOf(store, table);
    QSqlQuery query(store.Database());
    if (store.Run(query, QString::fromStdString("SELECT * FROM " + table + " ORDER BY 1")) != 0) {
        error = store.LastError();
        return -1;
    }
    output << CsvLine(columns);
    long long rows = 0;
    while (query.next()) {
        std::vector<std::string> fields;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            fields.push_back(query.value(static_cast<int>(i)).toString().toStdString());
        }
        output << CsvLine(fields);
        ++rows;
    }
    if (!output) {
        error = "the output could not be written";
        return -1;
    }
    return rows;
}

long long ImportTable(Store &store, const std::string &table, std::istream &input,
                      std::string &error) {
    if (!IsStoreTable(table)) {
        error = "no such table: " + table;
        return -1;
    }
    CsvReader reader(input);
    std::vector<std::string> header;
    if (!reader.Next(header)) {
        error = reader.Error().empty() ? "the file is empty" : reader.Error();
        return -1;
    }
    const std::vector<std::string> known = ColumnsOf(store, table);
    for (const std::string &column : header) {
        if (std::find(known.begin(), known.end(), column) == known.end()) {
            error = "table " + table + " has no column \"" + column + "\"";
            return -1;
        }
    }
    QString sql = QString::fromStdString("INSERT INTO " + table + " (");
    QString marks;
    for (std::size_t i = 0; i < header.size(); ++i) {
        sql += QString::fromStdString((i ? ", " : "") + header[i]);
        marks += i ? ", ?" : "?";
    }
    sql += ") VALUES (" + marks + ")";

    long long rows = 0;
    const uint8_t result = store.InTransaction([&]() -> uint8_t {
        for (std::vector<std::string> fields; reader.Next(fields);) {
            if (fields.size() != header.size()) {
                error = "line " + std::to_string(reader.Line()) + ": " +
                        std::to_string(fields.size()) + " fields where the header has " +
                        std::to_string(header.size());
                return kZarnInvalidArgument;
            }
            QVariantList values;
            for (const std::string &field : fields) {
                values.append(QString::fromStdString(field));
            }
            QSqlQuery query;
            if (uint8_t failed = store.Run(query, sql, values)) {
                error = "line " + std::to_string(reader.Line()) + ": " + store.LastError();
                return failed;
            }
            if (table == "volumes") {
                if (uint8_t failed = AddLoadedHistory(store, header, fields)) {
                    return failed;
                }
            }
            ++rows;
        }
        if (!reader.Error().empty()) {
            error = reader.Error();
            return kZarnInvalidArgument;
        }
        return kZarnOK;
    });
    if (result != kZarnOK) {
        return -1;
    }
    // Fresh statistics, so that the planner knows the table's new size at once.
    store.Run(QString::fromStdString("ANALYZE " + table));
    return rows;
}

uint8_t CreateStationRole(Store &store, const std::string &name, const std::string &password,
                          std::string &error) {
    if (store.Kind() != Backend::PostgreSQL) {
        error = "station roles exist only on a PostgreSQL server";
        return kZarnInvalidArgument;
    }
    if (!IsRoleName(name)) {
        error = "a role name is lower-case letters, digits and _, starting with a letter";
        return kZarnInvalidArgument;
    }
    const std::string role = "\"" + name + "\"";
    const std::vector<std::string> statements = {
        "CREATE ROLE " + role + " LOGIN PASSWORD " + Literal(password),
        "GRANT USAGE ON SCHEMA public TO " + role,
        "GRANT SELECT ON ALL TABLES IN SCHEMA public TO " + role,
        "GRANT UPDATE ON volumes TO " + role,
        "GRANT INSERT ON volumes, movement_history, journal_postings, attributes TO " + role,
        "GRANT UPDATE ON attributes TO " + role,
        "GRANT USAGE ON ALL SEQUENCES IN SCHEMA public TO " + role,
    };
    const uint8_t result = store.InTransaction([&]() -> uint8_t {
        for (const std::string &statement : statements) {
            if (uint8_t failed = store.Run(QString::fromStdString(statement))) {
                return failed;
            }
        }
        return kZarnOK;
    });
    if (result != kZarnOK) {
        error = store.LastError();
    }
    return result;
}

}  // namespace zarn
