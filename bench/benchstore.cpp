#include "benchstore.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "zarnadmin.h"

namespace zarn::bench {

std::string VolumeSerial(long index) {
    char text[16];
    std::snprintf(text, sizeof text, "V%07ld", index);
    return text;
}

long ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4096;
}

// Numbers 0..count-1 as a SQL row source on either back end.
QString Numbers(Backend backend, long count) {
    const std::string last = std::to_string(count - 1);
    return QString::fromStdString(
        backend == Backend::SQLite
            ? "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " + last +
                  ") SELECT i FROM n"
            : "SELECT generate_series(0, " + last + ") AS i");
}

// prefix followed by the expression's value in width digits.
QString Padded(Backend backend, const std::string &prefix, const std::string &expression,
               int width) {
    const std::string digits = std::to_string(width);
    return QString::fromStdString(
        backend == Backend::SQLite
            ? "printf('" + prefix + "%0" + digits + "d', " + expression + ")"
            : "'" + prefix + "' || lpad((" + expression + ")::text, " + digits + ", '0')");
}

void LoadVolumes(Store &store, Backend backend, long count, const QString &customer,
                 const QString &media, int customers) {
    const QString customerId = customers > 1
                                   ? Padded(backend, "C", "i % " + std::to_string(customers), 3)
                                   : "'" + customer + "'";
    const QString mediaId = customers > 1 ? "'M' || ((i / 1000) % 3 + 1)" : "'" + media + "'";
    const uint8_t failed = store.Run(
        "INSERT INTO volumes (customer_id, media_id, volume, flags, current_repository,"
        " current_slot, destination_repository, destination_slot, version)"
        " SELECT " +
        customerId + ", " + mediaId + ", " + Padded(backend, "V", "i", 7) +
        ", 16, 'LIB1', i % 500 + 1, 'VLT1', i % 400 + 1, 1 FROM (" + Numbers(backend, count) +
        ") AS numbers");
    if (failed) {
        std::fprintf(stderr, "loading volumes failed: %s\n", store.LastError().c_str());
    }
    store.Run("ANALYZE");  // as the server's own maintenance would after a bulk load
}

void LoadReference(Store &store) {
    PutRepository(store, {"LIB1", "Library", "", 0});
    PutRepository(store, {"VLT1", "Vault", "", 0});
    PutZone(store, {1, "LIB-A", "", "", "LIB1", "", "", 1, 250, 0});
    PutZone(store, {2, "LIB-B", "", "", "LIB1", "", "", 251, 500, 0});
    SetMeta(store, "server_id", "BENCH");
}

void LoadManyCustomers(Store &store, int customers, long volumes) {
    LoadReference(store);
    store.InTransaction([&]() -> uint8_t {
        for (int c = 0; c < customers; ++c) {
            char id[16];
            std::snprintf(id, sizeof id, "C%03d", c % 1000);
            PutCustomer(store, {id, std::string("Customer ") + id, c, 0, "", "", ""});
            for (int m = 1; m <= 3; ++m) {
                PutMedia(store, {id, "M" + std::to_string(m), "Media", 0});
            }
        }
        return 0;
    });
    LoadVolumes(store, Backend::SQLite, volumes, "", "", customers);
}

void LoadBigCustomer(Store &store, Backend backend, long count) {
    LoadReference(store);
    PutCustomer(store, {"BIGC", "Big", 1, 0, "", "", ""});
    PutMedia(store, {"BIGC", "LTO9", "LTO-9", 0});
    LoadVolumes(store, backend, count, "BIGC", "LTO9", 1);
}

double Latencies::Percentile(double fraction) {
    if (m_samples.empty()) {
        return 0;
    }
    std::sort(m_samples.begin(), m_samples.end());
    const size_t at =
        std::min(m_samples.size() - 1,
                 static_cast<size_t>(fraction * static_cast<double>(m_samples.size())));
    return std::chrono::duration<double, std::micro>(m_samples[at]).count();
}

void Latencies::Report(benchmark::State &state, const std::string &prefix) {
    state.counters[prefix + "median_us"] = Percentile(0.5);
    state.counters[prefix + "p99_us"] = Percentile(0.99);
}

void ReportBeside(benchmark::State &state, Latencies &project, Latencies &baseline) {
    project.Report(state);
    baseline.Report(state, "plain_");
    state.counters["ratio"] = project.Percentile(0.5) / baseline.Percentile(0.5);
}

namespace {

// The columns the library reads of a volume.
const char kPlainRange[] =
    "SELECT customer_id, media_id, volume, flags, container, next_move_date, current_repository,"
    " current_slot, destination_repository, destination_slot, scanned_repository, scanned_slot,"
    " description, version, changed FROM volumes WHERE customer_id = $1 AND media_id = $2";
const char kPlainAll[] =
    "SELECT customer_id, media_id, volume, flags, container, next_move_date, current_repository,"
    " current_slot, destination_repository, destination_slot, scanned_repository, scanned_slot,"
    " description, version, changed FROM volumes";
constexpr int kPlainRangeColumns = 15;
const bool kTextColumn[kPlainRangeColumns] = {true, true,  true, false, false, false, true, false,
                                              true, false, true, false, true,  false, false};

const char kPlainRead[] =
    "SELECT flags, current_repository, current_slot, version FROM volumes"
    " WHERE customer_id = $1 AND media_id = $2 AND volume = $3";
const char kPlainUpdate[] =
    "UPDATE volumes SET scanned_repository = 'VLT1', scanned_slot = $4, version = version + 1"
    " WHERE customer_id = $1 AND media_id = $2 AND volume = $3";
const char kPlainHistory[] =
    "INSERT INTO movement_history (at, station, role, action, customer_id, media_id, volume,"
    " from_repository, from_slot, to_repository, to_slot, flags)"
    " VALUES (0, 'bench', 'bench', 'moved', $1, $2, $3, 'LIB1', 1, 'VLT1', $4, 0)";

class PlainSqlite : public PlainVolumeWriter {
public:
    explicit PlainSqlite(const std::string &path) {
        sqlite3_open(path.c_str(), &m_db);
        sqlite3_exec(m_db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL", nullptr, nullptr,
                     nullptr);
        for (const char *sql : {kPlainRead, kPlainUpdate, kPlainHistory, kPlainRange, kPlainAll}) {
            // "$n" is a named parameter to SQLite, numbered by first appearance; "?n" is
            // parameter n, as "$n" is to PostgreSQL.
            std::string text = sql;
            std::replace(text.begin(), text.end(), '$', '?');
            sqlite3_stmt *statement = nullptr;
            sqlite3_prepare_v2(m_db, text.c_str(), -1, &statement, nullptr);
            m_statements.push_back(statement);
        }
    }
    ~PlainSqlite() override {
        for (sqlite3_stmt *statement : m_statements) {
            sqlite3_finalize(statement);
        }
        sqlite3_close(m_db);
    }
    bool MoveAll(const std::string &customer, const std::string &media,
                 const std::vector<std::string> &volumes, int slot) override {
        bool ok = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
        for (const std::string &volume : volumes) {
            ok = MoveOne(customer, media, volume, slot) && ok;
        }
        return sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK && ok;
    }
    long ReadMedia(const std::string &customer, const std::string &media) override {
        sqlite3_stmt *statement = m_statements[customer.empty() ? 4 : 3];
        if (!customer.empty()) {
            sqlite3_bind_text(statement, 1, customer.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_text(statement, 2, media.c_str(), -1, SQLITE_STATIC);
        }
        long rows = 0;
        std::string texts[kPlainRangeColumns];
        int64_t numbers[kPlainRangeColumns] = {};
        int step = SQLITE_ROW;
        while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
            for (int column = 0; column < kPlainRangeColumns; ++column) {
                if (kTextColumn[column]) {
                    texts[column] =
                        reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
                } else {
                    numbers[column] = sqlite3_column_int64(statement, column);
                }
            }
            ++rows;
        }
        benchmark::DoNotOptimize(numbers);
        sqlite3_reset(statement);
        return step == SQLITE_DONE ? rows : -1;
    }

private:
    bool MoveOne(const std::string &customer, const std::string &media, const std::string &volume,
                 int slot) {
        bool ok = true;
        // The read, the update and the history row: the range reads that follow them in
        // m_statements belong to ReadMedia.
        for (int index = 0; index < 3; ++index) {
            sqlite3_stmt *statement = m_statements[static_cast<std::size_t>(index)];
            sqlite3_bind_text(statement, 1, customer.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_text(statement, 2, media.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_text(statement, 3, volume.c_str(), -1, SQLITE_STATIC);
            if (sqlite3_bind_parameter_count(statement) >= 4) {
                sqlite3_bind_int(statement, 4, slot);
            }
            int step = sqlite3_step(statement);
            while (step == SQLITE_ROW) {
                step = sqlite3_step(statement);
            }
            ok = ok && step == SQLITE_DONE;
            if (statement == m_statements[1]) {
                ok = ok && sqlite3_changes(m_db) == 1;  // the volume was there and was moved
            }
            sqlite3_reset(statement);
        }
        return ok;
    }

    sqlite3 *m_db = nullptr;
    std::vector<sqlite3_stmt *> m_statements;
};

class PlainPostgres : public PlainVolumeWriter {
public:
    explicit PlainPostgres(const ConnectionSettings &settings) {
        const std::string info = "host=" + settings.host +
                                 " port=" + std::to_string(settings.port ? settings.port : 5432) +
                                 " user=" + settings.user + " dbname=" + settings.database;
        m_connection = PQconnectdb(info.c_str());
        int index = 0;
        for (const char *sql : {kPlainRead, kPlainUpdate, kPlainHistory, kPlainRange, kPlainAll}) {
            PQclear(
                PQprepare(m_connection, ("s" + std::to_string(index++)).c_str(), sql, 0, nullptr));
        }
    }
    ~PlainPostgres() override { PQfinish(m_connection); }
    bool MoveAll(const std::string &customer, const std::string &media,
                 const std::vector<std::string> &volumes, int slot) override {
        bool ok = Command("BEGIN");
        for (const std::string &volume : volumes) {
            ok = MoveOne(customer, media, volume, slot) && ok;
        }
        return Command("COMMIT") && ok;
    }
    long ReadMedia(const std::string &customer, const std::string &media) override {
        const char *values[] = {customer.c_str(), media.c_str()};
        PGresult *result = PQexecPrepared(m_connection, "s3", 2, values, nullptr, nullptr, 0);
        if (PQresultStatus(result) != PGRES_TUPLES_OK) {
            PQclear(result);
            return -1;
        }
        const long rows = PQntuples(result);
        std::string texts[kPlainRangeColumns];
        int64_t numbers[kPlainRangeColumns] = {};
        for (int row = 0; row < rows; ++row) {
            for (int column = 0; column < kPlainRangeColumns; ++column) {
                const char *value = PQgetvalue(result, row, column);
                if (kTextColumn[column]) {
                    texts[column] = value;
                } else {
                    numbers[column] = std::strtoll(value, nullptr, 10);
                }
            }
        }
        benchmark::DoNotOptimize(numbers);
        PQclear(result);
        return rows;
    }

private:
    bool MoveOne(const std::string &customer, const std::string &media, const std::string &volume,
                 int slot) {
        const std::string slotText = std::to_string(slot);
        const char *values[] = {customer.c_str(), media.c_str(), volume.c_str(), slotText.c_str()};
        bool ok = true;
        for (int index = 0; index < 3; ++index) {
            PGresult *result = PQexecPrepared(m_connection, ("s" + std::to_string(index)).c_str(),
                                              index == 0 ? 3 : 4, values, nullptr, nullptr, 0);
            const ExecStatusType status = PQresultStatus(result);
            ok = ok && (status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK);
            if (index == 1) {
                ok = ok && std::string(PQcmdTuples(result)) == "1";
            }
            PQclear(result);
        }
        return ok;
    }
    bool Command(const char *sql) {
        PGresult *result = PQexec(m_connection, sql);
        const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
        PQclear(result);
        return ok;
    }
    PGconn *m_connection = nullptr;
};

}  // namespace

std::unique_ptr<PlainVolumeWriter> PlainVolumeWriter::Open(const ConnectionSettings &settings) {
    if (settings.host.empty()) {
        return std::make_unique<PlainSqlite>(settings.database);
    }
    return std::make_unique<PlainPostgres>(settings);
}

}  // namespace zarn::bench
