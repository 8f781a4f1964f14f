// zarnserver import over arbitrary files, into a fresh store that holds one of each reference
// row: the import is all or nothing, and a refusal says why.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "zarnadmin.h"

namespace {

void Expect(bool condition) {
    if (!condition) {
        std::abort();
    }
}

std::unique_ptr<zarn::Store> FreshStore() {
    zarn::ConnectionSettings settings;
    settings.database = ":memory:";
    uint8_t result = 0;
    std::string error;
    std::unique_ptr<zarn::Store> store = zarn::OpenAndMigrate(settings, result, error);
    Expect(store != nullptr);
    Expect(zarn::PutCustomer(*store, {"ACME", "Acme", 0, 0, "", "", ""}) == 0);
    Expect(zarn::PutMedia(*store, {"ACME", "LTO9", "tape", 0}) == 0);
    Expect(zarn::PutRepository(*store, {"VAULT", "vault", "V", 0}) == 0);
    return store;
}

}  // namespace

// The first byte picks the table; the rest is the file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string table = zarn::kStoreTables[data[0] % zarn::kStoreTableCount];
    const std::unique_ptr<zarn::Store> store = FreshStore();
    const auto before = zarn::TableCounts(*store);
    std::istringstream input(std::string(reinterpret_cast<const char *>(data) + 1, size - 1));
    std::string error;
    const long long rows = zarn::ImportTable(*store, table, input, error);
    const auto after = zarn::TableCounts(*store);
    if (rows < 0) {
        Expect(!error.empty() && after == before);
    } else {
        Expect(after.at(table) == before.at(table) + rows);
    }
    return 0;
}
