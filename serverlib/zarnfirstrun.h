// A fresh user's first start on the embedded store: there is no store yet, so one is made with
// the demo data set, and the program has something to show from the first minute.
#ifndef ZARN_SERVERLIB_ZARNFIRSTRUN_H
#define ZARN_SERVERLIB_ZARNFIRSTRUN_H

#include <string>

namespace zarn {

// Makes the embedded store (ZARNDATABASE, else the per-user data folder) with the demo data
// when it does not exist or is empty. Returns true when it made one (path says where); false
// when there was one already, or with error set when it could not be made.
bool CreateEmbeddedStoreIfMissing(std::string &path, std::string &error);

// The same at a program's start, said on standard error under the program's name.
void PrepareEmbeddedStore(const char *program);

}  // namespace zarn

#endif
