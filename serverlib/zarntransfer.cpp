// CSV export and import of the store's tables, and station roles, for zarnserver.
#include <QSqlDriver>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

#include <libpq-fe.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "zarn10rc.h"
#include "zarnadmin.h"
#include "zarncsv.h"
#include "zarnvalidate.h"

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

// The SCRAM verifier of a password, made here: the server never sees the password itself,
// not even in a statement or its log. Empty when it cannot be made.
std::string ScramVerifier(Store &store, const std::string &role, const std::string &password) {
    const QVariant handle = store.Database().driver()->handle();
    // The driver names the handle by libpq's struct (pg_conn) or its typedef (PGconn).
    if (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0) {
        return "";
    }
    PGconn *connection = *static_cast<PGconn *const *>(handle.data());
    char *made = PQencryptPasswordConn(connection, password.c_str(), role.c_str(), "scram-sha-256");
    if (!made) {
        return "";
    }
    std::string verifier = made;
    PQfreemem(made);
    // What goes into the statement is only this: "SCRAM-SHA-256$iterations:salt$key:key".
    const bool plain = std::all_of(verifier.begin(), verifier.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '$' || c == ':' || c == '+' ||
               c == '/' || c == '=' || c == '-';
    });
    return plain ? verifier : "";
}

struct ColumnSpec {
    std::string name;
    bool integer = false;
    bool wide = false;      // 64-bit
    size_t width = 0;       // characters; 0: no bound
    bool nullable = false;  // an empty field is no value (NULL), not an empty text
};

// The table's columns with their types, as the database declares them.
std::vector<ColumnSpec> ColumnSpecs(Store &store, const std::string &table) {
    std::vector<ColumnSpec> specs;
    QSqlQuery query(store.Database());
    const bool sqlite = store.Kind() == Backend::SQLite;
    const QString sql =
        sqlite ? QString::fromStdString("PRAGMA table_info(" + table + ")")
               : QString(
                     "SELECT column_name, data_type, character_maximum_length, is_nullable FROM"
                     " information_schema.columns WHERE table_schema = current_schema()"
                     " AND table_name = '%1' ORDER BY ordinal_position")
                     .arg(QString::fromStdString(table));
    if (!query.exec(sql)) {
        return specs;
    }
    while (query.next()) {
        ColumnSpec spec;
        spec.name = query.value(sqlite ? 1 : 0).toString().toStdString();
        const QString type = query.value(sqlite ? 2 : 1).toString().toUpper();
        spec.integer = type.contains("INT") || type.contains("SERIAL");
        spec.wide = type.contains("BIG") || spec.name == "id";
        if (sqlite) {
            const int open = type.indexOf('(');
            spec.width = open < 0 ? 0 : type.mid(open + 1).chopped(1).toUInt();
            spec.nullable = query.value(3).toInt() == 0 && query.value(5).toInt() == 0;
        } else {
            spec.width = query.value(2).toUInt();
            spec.nullable = query.value(3).toString() == "YES";
        }
        specs.push_back(spec);
    }
    return specs;
}

QVariant FieldValue(const ColumnSpec &spec, const std::string &field) {
    if (spec.integer) {
        return QVariant::fromValue<qlonglong>(std::stoll(field));
    }
    return spec.nullable && field.empty() ? QVariant(QMetaType::fromType<QString>())
                                          : QVariant(QString::fromStdString(field));
}

// Why a field cannot go into its column, or empty: the same on both stores.
std::string FieldProblem(Store &store, const std::string &table, const ColumnSpec &spec,
                         const std::string &field) {
    if (spec.integer) {
        const size_t digits = field.find_first_not_of("0123456789", field[0] == '-' ? 1 : 0);
        if (field.empty() || field == "-" || digits != std::string::npos || field.size() > 20) {
            return "\"" + field.substr(0, 40) + "\" is not a whole number";
        }
        const long double value = std::stold(field);
        const long double limit = spec.wide ? 9.2e18L : 2147483647.0L;
        if (value > limit || value < -limit - 1) {
            return field + " is too large for the column";
        }
        if (spec.name.find("slot") != std::string::npos && !IsSlot(static_cast<int64_t>(value))) {
            return field + " is not a slot";
        }
        return "";
    }
    if (!IsStoreText(field)) {
        return "the text is not UTF-8, or holds a NUL character";
    }
    if (spec.width != 0 && TextLength(field) > spec.width) {
        return "the text is longer than the column's " + std::to_string(spec.width) + " characters";
    }
    if (table == "volumes" && spec.name == "volume" && !IsVolumeSerial(field)) {
        return "\"" + field + "\" is not a volume serial (visible characters only)";
    }
    if (table == "volumes" && spec.name.find("_repository") != std::string::npos &&
        !field.empty()) {
        QSqlQuery known(store.Database());
        if (store.Run(known, "SELECT 1 FROM repositories WHERE id = ?",
                      {QString::fromStdString(field)}) != 0 ||
            !known.next()) {
            return "repository " + field + " is not on file";
        }
    }
    return "";
}

// After rows with their own ids were imported, the id counter must pass them (PostgreSQL;
// SQLite takes the largest id + 1 by itself).
uint8_t AdvanceIdCounter(Store &store, const std::string &table) {
    if (store.Kind() != Backend::PostgreSQL) {
        return kZarnOK;
    }
    return store.Run(QString::fromStdString("SELECT setval(pg_get_serial_sequence('" + table +
                                            "', 'id'), COALESCE(MAX(id), 0) + 1,"
                                            " false) FROM " +
                                            table));
}

// An imported volume gets a "loaded" history row, unless the store already holds its history
// (a whole store restored: history imported before the volumes).
uint8_t AddLoadedHistory(Store &store, const std::vector<std::string> &columns,
                         const std::vector<std::string> &fields) {
    auto field = [&](const char *name) {
        const auto at = std::find(columns.begin(), columns.end(), name);
        return QString::fromStdString(at == columns.end() ? std::string()
                                                          : fields[at - columns.begin()]);
    };
    const QString customer = field("customer_id"), media = field("media_id"),
                  volume = field("volume");
    QSqlQuery known(store.Database());
    if (uint8_t failed = store.Run(known,
                                   "SELECT 1 FROM movement_history WHERE customer_id = ?"
                                   " AND media_id = ? AND volume = ? LIMIT 1",
                                   {customer, media, volume})) {
        return failed;
    }
    if (known.next()) {
        return kZarnOK;
    }
    VolumeRow row;
    if (uint8_t failed = store.GetVolume(customer.toStdString(), media.toStdString(),
                                         volume.toStdString(), row)) {
        return failed;
    }
    return store.AddHistory(row, {"loaded", {}, row.current, row.flags, {}});
}

// The table's key, for an export in key order that is the same on both stores (byte order of
// texts, not the server's locale).
QString KeyOrder(Store &store, const std::string &table) {
    const QString text = store.Kind() == Backend::PostgreSQL ? " COLLATE \"C\"" : "";
    if (table == "volumes") {
        return "customer_id" + text + ", media_id" + text + ", volume" + text;
    }
    if (table == "media") {
        return "customer_id" + text + ", media_id" + text;
    }
    if (table == "customers" || table == "repositories") {
        return "id" + text;
    }
    return table == "attributes" ? "name" + text : QString("1");
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
    if (store.Run(query, QString::fromStdString("SELECT * FROM " + table + " ORDER BY ") +
                             KeyOrder(store, table)) != 0) {
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
    const std::vector<ColumnSpec> specs = ColumnSpecs(store, table);
    std::vector<const ColumnSpec *> columns;
    for (size_t i = 0; i < header.size(); ++i) {
        const std::string &column = header[i];
        const auto spec = std::find_if(specs.begin(), specs.end(),
                                       [&](const ColumnSpec &s) { return s.name == column; });
        if (spec == specs.end()) {
            error = "line 1, column " + std::to_string(i + 1) + ": table " + table +
                    " has no column \"" + column + "\"";
            return -1;
        }
        if (std::count(header.begin(), header.end(), column) > 1) {
            error = "line 1: column \"" + column + "\" is named twice";
            return -1;
        }
        columns.push_back(&*spec);
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
            if (fields.size() == 1 && fields[0].empty()) {
                continue;  // a blank line, such as one at the end of the file
            }
            if (fields.size() != header.size()) {
                error = "line " + std::to_string(reader.Line()) + ": " +
                        std::to_string(fields.size()) + " fields where the header has " +
                        std::to_string(header.size());
                return kZarnInvalidArgument;
            }
            QVariantList values;
            for (size_t i = 0; i < fields.size(); ++i) {
                const std::string problem = FieldProblem(store, table, *columns[i], fields[i]);
                if (!problem.empty()) {
                    error = "line " + std::to_string(reader.Line()) + ", column " + header[i] +
                            ": " + problem;
                    return kZarnInvalidArgument;
                }
                values.append(FieldValue(*columns[i], fields[i]));
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
        const bool counted = table == "movement_history" || table == "journal_postings";
        const bool ownIds =
            counted && std::find(header.begin(), header.end(), "id") != header.end();
        return ownIds ? AdvanceIdCounter(store, table) : uint8_t{kZarnOK};
    });
    if (result != kZarnOK) {
        if (error.empty()) {
            error = store.LastError();
        }
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
    if (password.empty()) {
        error = "the password is empty";
        return kZarnInvalidArgument;
    }
    const std::string verifier = ScramVerifier(store, name, password);
    if (verifier.empty()) {
        error = "the password could not be prepared for the server";
        return kZarnDatabaseError;
    }
    const std::string role = "\"" + name + "\"";
    // A station reads everything and writes only what scanning writes: the columns a scan
    // changes (never a volume's key), new volumes, history rows without their role (the
    // server fills in who wrote them), journal postings and attributes.
    const std::vector<std::string> statements = {
        "CREATE ROLE " + role + " LOGIN PASSWORD '" + verifier + "'",
        "GRANT USAGE ON SCHEMA public TO " + role,
        "GRANT SELECT ON ALL TABLES IN SCHEMA public TO " + role,
        "GRANT UPDATE (flags, container, next_move_date, current_repository, current_slot,"
        " destination_repository, destination_slot, scanned_repository, scanned_slot,"
        " description, version, changed) ON volumes TO " +
            role,
        "GRANT INSERT ON volumes, journal_postings, attributes TO " + role,
        "GRANT INSERT (at, station, action, customer_id, media_id, volume, from_repository,"
        " from_slot, to_repository, to_slot, flags, write_id) ON movement_history TO " +
            role,
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
        // The server's text, which names the role but can hold nothing of the password.
        error = store.LastError();
    }
    return result;
}

}  // namespace zarn
