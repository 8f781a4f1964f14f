// A fresh user's first start on the embedded store: there is no store yet, so one is made with
// the demo data set, and the program has something to show from the first minute.
#ifndef ZARN_SERVERLIB_ZARNFIRSTRUN_H
#define ZARN_SERVERLIB_ZARNFIRSTRUN_H

#include <string>

namespace zarn {

// What is at an embedded store's path: nothing (or an empty file), an SQLite database without
// a single table, a store, or a file that is no SQLite database at all.
enum class EmbeddedFile { Missing, NoTables, Store, NotAStore };
EmbeddedFile InspectEmbeddedFile(const std::string &path);

// Makes the embedded store (ZARNDATABASE, else the per-user data folder) with the demo data
// when it does not exist, is empty or holds no tables (madeAnew then says so): whole or not at
// all. Returns true when it made one (path says where); false when there was one already, or
// with error set when it could not be made.
bool CreateEmbeddedStoreIfMissing(std::string &path, std::string &error, bool *madeAnew = nullptr);

// The same at a program's start, said on standard error under the program's name.
void PrepareEmbeddedStore(const char *program);

}  // namespace zarn

#endif
