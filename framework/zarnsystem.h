// The description of the running system that the update check and the assistance mail send:
// six text fields of 65 characters (system, node, release, version, machine, and one kept
// empty), from uname.
#ifndef ZARN_FRAMEWORK_ZARNSYSTEM_H
#define ZARN_FRAMEWORK_ZARNSYSTEM_H

namespace zarn {

constexpr int kSystemFieldSize = 65;

struct SystemDescription {
    char systemName[kSystemFieldSize];
    char nodeName[kSystemFieldSize];
    char release[kSystemFieldSize];
    char version[kSystemFieldSize];
    char machine[kSystemFieldSize];
    char reserved[kSystemFieldSize];
};
static_assert(sizeof(SystemDescription) == 390);

// Zero-fills the record first; fields the system does not give stay empty. Returns 0.
int DescribeSystem(SystemDescription *description);

}  // namespace zarn

#endif
