// CZARN10MFC: log-on, and the records of customers, media, repositories, volumes, the server
// identity, journal codes and attributes.
#include "zarn10mfc.h"

#include <QLoggingCategory>
#include <QSqlQuery>
#include <QString>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "zarnclock.h"
#include "zarnfields.h"
#include "zarnfirstrun.h"
#include "zarnsession.h"
#include "zarnvalidate.h"
#include "zarnvolumerules.h"

using namespace zarn;

namespace {

QString Text(const char *text) {
    return QString::fromUtf8(text ? text : "");
}

std::string Std(const QVariant &value) {
    return value.toString().toStdString();
}

QVariant Big(uint64_t value) {
    return QVariant::fromValue<qlonglong>(static_cast<qlonglong>(value));
}

// What a volume row written by a station must be: texts the store can hold, a serial a scanner
// can read, slots that can be shown, repositories that exist. 0 or the code that refuses it.
uint8_t CheckVolumeRow(ServerSession &session, const VolumeRow &row) {
    if (!IsVolumeSerial(row.volume) || !IsStoreText(row.customer) || !IsStoreText(row.media) ||
        !IsStoreText(row.description)) {
        return kZarnInvalidArgument;
    }
    for (const StoreLocation *location : {&row.current, &row.destination, &row.scanned}) {
        if (!IsSlot(location->slot) || !IsStoreText(location->repository)) {
            return kZarnInvalidArgument;
        }
        // The destination is the store's (a station cannot set it): only where a station puts
        // the volume must be a repository on file.
        if (location->repository.empty() || location == &row.destination) {
            continue;
        }
        if (uint8_t failed = session.CheckRepository(location->repository)) {
            return failed;
        }
    }
    return kZarnOK;
}

// The longest journal text the store holds, and the largest journal code.
const size_t kJournalTextWidth = 200;
const unsigned kJournalCodeMax = 2147483647u;

}  // namespace

namespace zarn {

uint8_t ServerSession::ReadVolume(const char *customer, const char *media, const char *volume,
                                  VolumeRow &row) {
    if (!store) {
        return kZarnNotLoggedOn;
    }
    const uint8_t result =
        store->GetVolume(customer ? customer : "", media ? media : "", volume ? volume : "", row);
    if (result == kZarnOK) {
        KeepRecentVolume(row);
    }
    return result;
}

std::string ServerSession::KeyOf(const std::string &customer, const std::string &media,
                                 const std::string &volume) {
    std::string key = customer;
    key.append(1, '\0').append(media).append(1, '\0').append(volume);
    return key;
}

const VolumeRow *ServerSession::RecentVolume(const std::string &customer, const std::string &media,
                                             const std::string &volume, uint32_t version) const {
    const auto found = m_recentVolumes.find(KeyOf(customer, media, volume));
    return found != m_recentVolumes.end() && found->second.version == version ? &found->second
                                                                              : nullptr;
}

void ServerSession::KeepRecentVolume(const VolumeRow &row) {
    constexpr std::size_t kKept = 1024;  // more than one batch of writes
    if (m_recentVolumes.size() >= kKept) {
        m_recentVolumes.clear();
    }
    m_recentVolumes.insert_or_assign(KeyOf(row), row);
}

uint8_t ServerSession::CheckRepository(const std::string &repository) {
    if (m_knownRepositories.count(repository)) {
        return kZarnOK;
    }
    QSqlQuery known;
    if (uint8_t failed = Select(known, "SELECT 1 FROM repositories WHERE id = ?",
                                {QString::fromStdString(repository)})) {
        return failed;
    }
    if (!known.next()) {
        return kZarnRepositoryNotFound;
    }
    m_knownRepositories.insert(repository);
    return kZarnOK;
}

uint8_t ServerSession::Select(QSqlQuery &query, const QString &sql, Store::Bindings bindings) {
    return store ? store->Run(query, sql, bindings) : uint8_t{kZarnNotLoggedOn};
}

std::string ServerSession::StationName() const {
    char host[64] = "";
    gethostname(host, sizeof host - 1);
    return std::string(host) + "/" + std::to_string(programId);
}

}  // namespace zarn

CZARN10MFC::CZARN10MFC(int) : m_session(std::make_unique<ServerSession>()) {}

CZARN10MFC::~CZARN10MFC() = default;

ServerSession *CZARN10MFC::Session() {
    return m_session.get();
}

void CZARN10MFC::SetProgramID(int programId) {
    m_session->programId = programId;
}

void CZARN10MFC::SetLogonDetails(const char *host, unsigned port, const char *user,
                                 const char *password) {
    m_session->settings.host = host ? host : "";
    m_session->settings.port = port;
    m_session->settings.user = user ? user : "";
    m_session->settings.password = password ? password : "";
}

void CZARN10MFC::SetReconnectWait(unsigned milliseconds) {
    m_session->settings.reconnectWait = std::chrono::milliseconds(milliseconds);
}

bool CZARN10MFC::IsLoggedOn() const {
    return m_session->store != nullptr;
}

namespace {

Q_LOGGING_CATEGORY(lcLogon, "kestrava.logon")

// The server as the log names it: never with a password.
QString ServerNamed(const ConnectionSettings &settings) {
    const auto text = [](const std::string &value) { return QString::fromStdString(value); };
    if (settings.host.empty()) {
        return "the embedded store " +
               text(settings.database.empty() ? DefaultDatabasePath() : settings.database);
    }
    const bool list = settings.host.find(',') != std::string::npos;
    return QString("%1 database %2 as role %3")
        .arg(list ? text(settings.host)
                  : text(settings.host) + ":" +
                        QString::number(settings.port ? settings.port : 5432))
        .arg(text(settings.database.empty() ? "kestrava" : settings.database), text(settings.user));
}

}  // namespace

void CZARN10MFC::SetPasswordPrompt(std::function<std::string(const std::string &)> ask) {
    m_askPassword = std::move(ask);
}

CZARN10RC CZARN10MFC::Logon(int) {
    CZARN10RC result = OpenStore();
    ConnectionSettings &settings = m_session->settings;
    if (result.Code() == kZarnLogonRefused && settings.password.empty() && m_askPassword) {
        // Asked once: the answer is kept for the rest of the run.
        settings.password = m_askPassword(settings.user + "@" + settings.host);
        if (!settings.password.empty() && (result = OpenStore()).Code() == kZarnLogonRefused) {
            settings.password.clear();  // a wrong one is not kept: the next log-on asks again
        }
    }
    if (result.IsOK(0)) {
        qCInfo(lcLogon).noquote() << "logged on to" << ServerNamed(m_session->settings)
                                  << "as station"
                                  << QString::fromStdString(m_session->StationName());
    } else {
        qCWarning(lcLogon).noquote()
            << "log-on to" << ServerNamed(m_session->settings) << "failed:" << result.Get();
    }
    return result;
}

CZARN10RC CZARN10MFC::OpenStore() {
    m_session->store.reset();
    const ConnectionSettings &settings = m_session->settings;
    if (settings.host.empty() &&
        InspectEmbeddedFile(settings.database.empty()
                                ? DefaultDatabasePath()
                                : settings.database) == EmbeddedFile::NoTables) {
        return kZarnDatabaseError;  // a creation that did not finish: not a store to fill
    }
    uint8_t result = 0;
    std::string error;
    std::unique_ptr<Store> store = Store::Open(m_session->settings, result, error);
    if (!store) {
        return result;
    }
    // The embedded store is created on first use; a shared server is prepared by zarnserver.
    if (store->Kind() == Backend::SQLite) {
        if ((result = store->Migrate())) {
            return result;
        }
    } else if ((result = store->CheckSchema())) {
        return result;
    } else if (store->SchemaVersion() != Store::TargetSchemaVersion()) {
        return kZarnDatabaseError;  // none yet, or older: zarnserver init prepares it
    }
    store->SetStation(m_session->StationName(), m_session->settings.user);
    m_session->store = std::move(store);
    return kZarnOK;
}

CZARN10RC CZARN10MFC::Logoff(bool) {
    m_session->store.reset();
    return kZarnOK;
}

CZARN10RC CZARN10MFC::Get(ZARNVOLS *record, const char *customer, const char *media,
                          const char *volume) {
    const StatementsDone done(*m_session);
    Clear(record);
    VolumeRow row;
    if (uint8_t failed = m_session->ReadVolume(customer, media, volume, row)) {
        return failed;
    }
    FillVolumeRecord(row, *record);
    return kZarnOK;
}

CZARN10RC CZARN10MFC::Get(ZARNCUST *record, const char *customer) {
    const StatementsDone done(*m_session);
    Clear(record);
    QSqlQuery query;
    if (uint8_t failed = m_session->Select(query,
                                           "SELECT id, name, customer_value, flags, phone, contact,"
                                           " address FROM customers WHERE id = ?",
                                           {Text(customer)})) {
        return failed;
    }
    if (!query.next()) {
        return kZarnCustomerNotFound;
    }
    WriteField(record->customerId, Std(query.value(0)));
    WriteField(record->name, Std(query.value(1)));
    record->customerValue = query.value(2).toInt();
    record->flags = static_cast<uint32_t>(query.value(3).toLongLong());
    WriteField(record->phone, Std(query.value(4)));
    WriteField(record->contact, Std(query.value(5)));
    WriteField(record->address, Std(query.value(6)));
    return kZarnOK;
}

namespace {

// Media with their counts: every volume, and those with a move pending.
QString MediaSelect(const QString &where) {
    return "SELECT m.customer_id, m.media_id, m.description, m.flags,"
           " (SELECT COUNT(*) FROM volumes v WHERE v.customer_id = m.customer_id"
           "  AND v.media_id = m.media_id),"
           " (SELECT COUNT(*) FROM volumes v WHERE v.customer_id = m.customer_id"
           "  AND v.media_id = m.media_id AND v.destination_repository <> ''"
           "  AND v.destination_repository <> v.current_repository)"
           " FROM media m " +
           where + " ORDER BY m.customer_id, m.media_id";
}

// Every media with its counts: the volumes are read once, grouped, instead of twice per media.
QString AllMediaSelect() {
    return "SELECT m.customer_id, m.media_id, m.description, m.flags,"
           " COALESCE(c.volumes, 0), COALESCE(c.moves, 0) FROM media m LEFT JOIN"
           " (SELECT customer_id, media_id, COUNT(*) AS volumes,"
           "  SUM(CASE WHEN destination_repository <> '' AND destination_repository <>"
           "  current_repository THEN 1 ELSE 0 END) AS moves"
           "  FROM volumes GROUP BY customer_id, media_id) c"
           " ON c.customer_id = m.customer_id AND c.media_id = m.media_id"
           " ORDER BY m.customer_id, m.media_id";
}

void FillMedia(const QSqlQuery &query, ZARNMEDIAEx &record) {
    Clear(&record);
    WriteField(record.customerId, Std(query.value(0)));
    WriteField(record.mediaId, Std(query.value(1)));
    WriteField(record.description, Std(query.value(2)));
    record.flags = static_cast<uint32_t>(query.value(3).toLongLong());
    record.volumeCount = query.value(4).toUInt();
    record.moveCount = query.value(5).toUInt();
}

}  // namespace

CZARN10RC CZARN10MFC::Get(ZARNMEDIA *record, const char *customer, const char *media) {
    const StatementsDone done(*m_session);
    Clear(record);
    QSqlQuery query;
    if (uint8_t failed =
            m_session->Select(query, MediaSelect("WHERE m.customer_id = ? AND m.media_id = ?"),
                              {Text(customer), Text(media)})) {
        return failed;
    }
    if (!query.next()) {
        return kZarnMediaNotFound;
    }
    FillMedia(query, *record);
    return kZarnOK;
}

CZARN10RC CZARN10MFC::List(std::vector<ZARNMEDIAEx> &records, const char *customer) {
    const StatementsDone done(*m_session);
    records.clear();
    QSqlQuery query;
    if (uint8_t failed = customer ? m_session->Select(query, MediaSelect("WHERE m.customer_id = ?"),
                                                      {Text(customer)})
                                  : m_session->Select(query, AllMediaSelect())) {
        return failed;
    }
    while (query.next()) {
        records.emplace_back();
        FillMedia(query, records.back());
    }
    return kZarnOK;
}

CZARN10RC CZARN10MFC::List(std::vector<ZARNCUSTEx> &records) {
    const StatementsDone done(*m_session);
    records.clear();
    QSqlQuery query;
    if (uint8_t failed = m_session->Select(query,
                                           "SELECT id, name, customer_value, flags FROM customers"
                                           " ORDER BY id")) {
        return failed;
    }
    while (query.next()) {
        ZARNCUSTEx &record = records.emplace_back();
        Clear(&record);
        WriteField(record.customerId, Std(query.value(0)));
        WriteField(record.name, Std(query.value(1)));
        record.customerValue = query.value(2).toInt();
        record.flags = static_cast<uint32_t>(query.value(3).toLongLong());
    }
    return kZarnOK;
}

CZARN10RC CZARN10MFC::Get(ZARNREPOSITORY *record, const char *customer, const char *media,
                          const char *repository) {
    const StatementsDone done(*m_session);
    Clear(record);
    QSqlQuery query;
    if (uint8_t failed =
            m_session->Select(query,
                              "SELECT id, description, site_code, flags FROM repositories"
                              " WHERE id = ?",
                              {Text(repository)})) {
        return failed;
    }
    if (!query.next()) {
        return kZarnRepositoryNotFound;
    }
    WriteField(record->customerId, customer ? customer : "");
    WriteField(record->mediaId, media ? media : "");
    WriteField(record->repositoryId, Std(query.value(0)));
    WriteField(record->description, Std(query.value(1)));
    WriteField(record->siteCode, Std(query.value(2)));
    record->flags = static_cast<uint32_t>(query.value(3).toLongLong());
    return kZarnOK;
}

CZARN10RC CZARN10MFC::List(std::vector<ZARNREPOSITORYFULL> &records, const char *, const char *) {
    const StatementsDone done(*m_session);
    records.clear();
    QSqlQuery query;
    if (uint8_t failed = m_session->Select(
            query, "SELECT id, description, flags FROM repositories ORDER BY id")) {
        return failed;
    }
    while (query.next()) {
        ZARNREPOSITORYFULL &record = records.emplace_back();
        Clear(&record);
        WriteField(record.repositoryId, Std(query.value(0)));
        WriteField(record.description, Std(query.value(1)));
        record.flags = static_cast<uint32_t>(query.value(2).toLongLong());
    }
    return kZarnOK;
}

CZARN10RC CZARN10MFC::List(std::vector<ZARNVOLSFULL> &records, const char *customer,
                           const char *media, ZARNVOLFLAGS filter, unsigned *volumeCount,
                           unsigned *notDueCount, unsigned *scannedOutCount, int, int) {
    const StatementsDone done(*m_session);
    records.clear();
    uint8_t result = 0;
    Store *store = m_session->Require(result);
    if (!store) {
        return result;
    }
    // Only the columns a list record holds, and whether a move is pending, so that rows the
    // filter leaves out cost two integers.
    unsigned all = 0;
    unsigned notDue = 0;
    unsigned scannedOut = 0;
    result = store->ForEachRow(
        "SELECT flags, CASE WHEN destination_repository <> '' AND destination_repository <>"
        " current_repository THEN 1 ELSE 0 END, volume, container, next_move_date,"
        " current_repository, current_slot, destination_repository, destination_slot"
        " FROM volumes WHERE customer_id = ? AND media_id = ? ORDER BY volume",
        {customer ? customer : "", media ? media : ""}, [&](const StoreRow &row) {
            ++all;
            const bool due = row.Int(1) != 0;
            notDue += due ? 0 : 1;
            const uint32_t stored = static_cast<uint32_t>(row.Int(0));
            const uint32_t flags = (stored & ~kZarnVolDueToMove) | (due ? kZarnVolDueToMove : 0);
            if ((flags & filter.flags) != filter.flags) {
                return;
            }
            scannedOut += (flags & kZarnVolScannedOut) ? 1 : 0;
            ZARNVOLSFULL &record = records.emplace_back();
            Clear(&record);
            WriteField(record.volume, row.Text(2));
            record.flags = flags;
            record.container = static_cast<int32_t>(row.Int(3));
            record.nextMoveDate = static_cast<uint32_t>(row.Int(4));
            WriteField(record.repositoryId1, row.Text(5));
            record.slot1 = static_cast<int32_t>(row.Int(6));
            // Pair 0 is the destination, the current location when no move is pending.
            WriteField(record.repositoryId0, due ? row.Text(7) : row.Text(5));
            record.slot0 = due ? static_cast<int32_t>(row.Int(8)) : record.slot1;
        });
    if (result) {
        return result;
    }
    if (volumeCount) {
        *volumeCount = all;
    }
    if (notDueCount) {
        *notDueCount = notDue;
    }
    if (scannedOutCount) {
        *scannedOutCount = scannedOut;
    }
    return kZarnOK;
}

CZARN10RC CZARN10MFC::Add(ZARNVOLSEx *record) {
    const StatementsDone done(*m_session);
    uint8_t result = 0;
    Store *store = m_session->Require(result);
    if (!store) {
        return result;
    }
    VolumeRow row = NewVolumeRow(*record);
    if ((result = CheckVolumeRow(*m_session, row))) {
        return result;
    }
    ZARNMEDIA media;
    if (CZARN10RC found = Get(&media, row.customer.c_str(), row.media.c_str()); !found.IsOK(0)) {
        return found;
    }
    const bool newContainer = (row.flags & kZarnVolContainer) && row.container <= 0;
    const HistoryRow added{"added", {}, row.current, row.flags, NewWriteId()};
    const VolumeRow asGiven = row;
    result = store->Resilient([&]() -> uint8_t {
        row = asGiven;
        const uint8_t inserted = store->InsertVolume(row, added, newContainer);
        bool ours = false;
        if (inserted != kZarnVolumeExists || store->HasWrite(added.writeId, ours) || !ours) {
            return inserted;
        }
        // Added by this very call, whose first answer was lost: as the store holds it.
        return store->GetVolume(row.customer, row.media, row.volume, row);
    });
    if (result) {
        return result;
    }
    FillVolumeRecord(row, *record);
    return kZarnOK;
}

namespace {

// One record written over the store's copy it was read from: the work of Update, alone or as
// part of a batch's transaction.
uint8_t UpdateRecordOnce(ServerSession &session, Store &store, ZARNVOLSEx &record,
                         const std::string &writeId) {
    const std::string customer = ReadField(record.customerId);
    const std::string media = ReadField(record.mediaId);
    const std::string volume = ReadField(record.volume);
    // The record was usually read just before: its row is at hand, and the write's own version
    // check finds any change made since.
    const VolumeRow *recent = session.RecentVolume(customer, media, volume, record.version);
    const bool kept = recent != nullptr;
    VolumeRow stored;
    if (kept) {
        stored = *recent;
        session.ForgetRecentVolume(stored);
    } else if (uint8_t failed = store.GetVolume(customer, media, volume, stored)) {
        return failed;
    }
    if (stored.version != record.version) {
        return kZarnChangedElsewhere;
    }
    UpdateOutcome outcome = ApplyUpdate(stored, record);
    outcome.history.writeId = writeId;
    if (uint8_t refused = CheckVolumeRow(session, outcome.row)) {
        return refused;
    }
    if (SameVolume(outcome.row, stored)) {
        // Nothing to write: but "as it is" must be true of the store now, not of the last read.
        if (kept) {
            if (uint8_t failed = store.GetVolume(customer, media, volume, stored)) {
                return failed;
            }
        }
        if (stored.version != record.version) {
            return kZarnChangedElsewhere;
        }
        FillVolumeRecord(stored, record);  // nothing to write, and no history to add
        return kZarnOK;
    }
    if (uint8_t failed = store.WriteVolume(outcome.row, stored, outcome.history)) {
        return failed;
    }
    session.KeepRecentVolume(outcome.row);
    FillVolumeRecord(outcome.row, record);
    return kZarnOK;
}

// As UpdateRecordOnce; a record found changed since it was read may have been changed by this
// same write (writeId), tried before and stored though its answer was lost: then it is
// written, once.
uint8_t UpdateRecord(ServerSession &session, Store &store, ZARNVOLSEx &record,
                     const std::string &writeId) {
    const std::string customer = ReadField(record.customerId);
    const std::string media = ReadField(record.mediaId);
    const std::string volume = ReadField(record.volume);
    const uint8_t result = UpdateRecordOnce(session, store, record, writeId);
    bool ours = false;
    if (result != kZarnChangedElsewhere || store.HasWrite(writeId, ours) || !ours) {
        return result;
    }
    VolumeRow stored;
    if (uint8_t failed = store.GetVolume(customer, media, volume, stored)) {
        return failed;
    }
    FillVolumeRecord(stored, record);
    return kZarnOK;
}

// Records first..last written in one transaction. A record refused by its checks or by a
// change made elsewhere gets its code and the others are written; a statement that fails
// rolls the whole batch back (its code), records and results untouched.
uint8_t UpdateBatch(ServerSession &session, Store &store, std::vector<ZARNVOLSEx> &records,
                    std::vector<CZARN10RC> &results, const std::vector<std::string> &writeIds,
                    std::size_t first, std::size_t last) {
    std::vector<ZARNVOLSEx> written;
    std::vector<CZARN10RC> codes;
    const uint8_t result = store.InTransaction([&]() -> uint8_t {
        written.assign(records.begin() + first, records.begin() + last);
        codes.clear();
        for (std::size_t i = 0; i < written.size(); ++i) {
            const uint64_t failuresBefore = store.StatementFailures();
            const uint8_t code = UpdateRecord(session, store, written[i], writeIds[first + i]);
            if (store.StatementFailures() != failuresBefore) {
                return code ? code : uint8_t{kZarnDatabaseError};
            }
            codes.emplace_back(code);
        }
        return kZarnOK;
    });
    if (result != kZarnOK) {
        session.ForgetRecentVolumes();
        return result;
    }
    std::copy(written.begin(), written.end(), records.begin() + first);
    std::copy(codes.begin(), codes.end(), results.begin() + first);
    return kZarnOK;
}

}  // namespace

CZARN10RC CZARN10MFC::Update(ZARNVOLSEx *record) {
    const StatementsDone done(*m_session);
    uint8_t result = 0;
    Store *store = m_session->Require(result);
    if (!store) {
        return result;
    }
    // One id for this write, however often it is tried.
    const std::string writeId = NewWriteId();
    return store->Resilient([&]() { return UpdateRecord(*m_session, *store, *record, writeId); });
}

CZARN10RC CZARN10MFC::Update(std::vector<ZARNVOLSEx> &records, std::vector<CZARN10RC> &results) {
    const StatementsDone done(*m_session);
    results.assign(records.size(), CZARN10RC{});
    uint8_t result = 0;
    Store *store = m_session->Require(result);
    if (!store) {
        results.assign(records.size(), CZARN10RC{result});
        return result;
    }
    std::vector<std::string> writeIds(records.size());
    std::generate(writeIds.begin(), writeIds.end(), NewWriteId);
    constexpr std::size_t kBatch = 1000;  // a durable commit per 1,000 volumes, not per volume
    for (std::size_t first = 0; first < records.size(); first += kBatch) {
        const std::size_t last = std::min(records.size(), first + kBatch);
        const uint8_t batch = store->Resilient([&]() {
            return UpdateBatch(*m_session, *store, records, results, writeIds, first, last);
        });
        if (batch != kZarnOK) {
            // Something failed that is not one volume's refusal: each volume on its own, so
            // that one the store cannot take does not keep the others from being written.
            for (std::size_t i = first; i < last; ++i) {
                results[i] = store->Resilient(
                    [&]() { return UpdateRecord(*m_session, *store, records[i], writeIds[i]); });
            }
        }
    }
    return kZarnOK;
}

CZARN10RC CZARN10MFC::Get(ZARNSERVERID *record) {
    const StatementsDone done(*m_session);
    Clear(record);
    QSqlQuery query;
    if (uint8_t failed = m_session->Select(query, "SELECT key, value FROM meta")) {
        return failed;
    }
    while (query.next()) {
        const QString key = query.value(0).toString();
        const std::string value = Std(query.value(1));
        if (key == "server_id") {
            WriteField(record->serverId, value);
        } else if (key == "server_name") {
            WriteField(record->serverName, value);
        } else if (key == "prepared_by") {
            WriteField(record->preparedBy, value);
        } else if (key == "schema_version") {
            record->schemaVersion = static_cast<uint32_t>(std::strtoul(value.c_str(), nullptr, 10));
        }
    }
    WriteField(record->stationId, m_session->StationName());
    return kZarnOK;
}

CZARN10RC CZARN10MFC::Get(ZARN10JOURNALLIST *record) {
    const StatementsDone done(*m_session);
    Clear(record);
    QSqlQuery query;
    if (uint8_t failed =
            m_session->Select(query,
                              "SELECT position, code, name, default_quantity FROM"
                              " journal_codes WHERE position >= 0 AND position < 100")) {
        return failed;
    }
    while (query.next()) {
        ZARN10JOURNALENTRY &entry = record->entries[query.value(0).toInt()];
        entry.code = query.value(1).toUInt();
        WriteField(entry.name, Std(query.value(2)));
        entry.defaultQuantity = query.value(3).toUInt();
        ++record->count;
    }
    return kZarnOK;
}

CZARN10RC CZARN10MFC::Get(ZARNATTRIBUTE *record, const char *name) {
    const StatementsDone done(*m_session);
    Clear(record);
    QSqlQuery query;
    if (uint8_t failed = m_session->Select(
            query, "SELECT name, value FROM attributes WHERE name = ?", {Text(name)})) {
        return failed;
    }
    if (!query.next()) {
        return kZarnAttributeNotFound;
    }
    WriteField(record->name, Std(query.value(0)));
    WriteField(record->value, Std(query.value(1)));
    return kZarnOK;
}

CZARN10RC CZARN10MFC::Put(const ZARNATTRIBUTEEx *attribute) {
    const StatementsDone done(*m_session);
    uint8_t result = 0;
    Store *store = m_session->Require(result);
    const std::string name = ReadField(attribute->name);
    if (!store) {
        return result;
    }
    if (name.empty()) {
        return kZarnInvalidArgument;
    }
    return store->Run(
        "INSERT INTO attributes (name, value, station, changed) VALUES (?, ?, ?, ?)"
        " ON CONFLICT (name) DO UPDATE SET value = excluded.value, station = excluded.station,"
        " changed = excluded.changed",
        {QString::fromStdString(name), QString::fromStdString(ReadField(attribute->value)),
         QString::fromStdString(m_session->StationName().substr(0, 16)), Big(ZarnNow())});
}

CZARN10RC CZARN10MFC::Put(const char *label, const char *text2, const char *text3, unsigned code,
                          unsigned quantity, const char *text) {
    const StatementsDone done(*m_session);
    uint8_t result = 0;
    Store *store = m_session->Require(result);
    if (!store) {
        return result;
    }
    // Both stores give the same answer: texts longer than the store holds are refused, not
    // cut, and a code above the largest is a code not on file.
    for (const char *part : {label, text2, text3, text}) {
        const std::string given = part ? part : "";
        if (!IsStoreText(given) || TextLength(given) > kJournalTextWidth) {
            return kZarnInvalidArgument;
        }
    }
    if (code > kJournalCodeMax) {
        return kZarnJournalCodeNotFound;
    }
    QSqlQuery known(store->Database());
    if ((result = store->Run(known, "SELECT 1 FROM journal_codes WHERE code = ? AND code <> 0",
                             {code}))) {
        return result;
    }
    if (!known.next()) {
        return kZarnJournalCodeNotFound;
    }
    return store->Run(
        "INSERT INTO journal_postings (at, station, label, text2, text3, code, quantity, text)"
        " VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
        {Big(ZarnNow()), QString::fromStdString(m_session->StationName()), Text(label), Text(text2),
         Text(text3), code, Big(quantity), Text(text)});
}

std::string CZARN10MFC::LastStoreError() const {
    return m_session->store ? m_session->store->LastError() : std::string();
}

int CZARN10MFC::WasCancelled(int reset) {
    const int cancelled = m_session->cancelled ? 1 : 0;
    if (reset) {
        m_session->cancelled = false;
    }
    return cancelled;
}
