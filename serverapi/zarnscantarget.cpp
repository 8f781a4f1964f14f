#include "zarnscantarget.h"

#include <cstring>

namespace zarn {

static_assert(sizeof(ScanMessageTarget *) <= sizeof(ZARNSCANVOLUMEARGS::owner));

void SetScanTarget(ZARNSCANVOLUMEARGS &args, ScanMessageTarget *target) {
    std::memset(args.owner, 0, sizeof args.owner);
    std::memcpy(args.owner, &target, sizeof target);
}

ScanMessageTarget *ScanTargetOf(const ZARNSCANVOLUMEARGS &args) {
    ScanMessageTarget *target = nullptr;
    std::memcpy(&target, args.owner, sizeof target);
    return target;
}

}  // namespace zarn
