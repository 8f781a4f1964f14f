#include "zarnlock.h"

#include <mutex>
#include <new>

namespace {

std::recursive_mutex *MutexOf(ZarnLock *lock) {
    return static_cast<std::recursive_mutex *>(lock->impl);
}

void Enter(ZarnLock *lock) {
    if (lock->impl) {
        MutexOf(lock)->lock();
    }
}

void Leave(ZarnLock *lock) {
    if (lock->impl) {
        MutexOf(lock)->unlock();
    }
}

}  // namespace

extern "C" int ZarnLockCreate(ZarnLock *lock) {
    lock->impl = new (std::nothrow) std::recursive_mutex;
    lock->Enter = Enter;
    lock->Leave = Leave;
    return lock->impl ? 1 : 0;
}

extern "C" void ZarnLockDestroy(ZarnLock *lock) {
    delete MutexOf(lock);
    lock->impl = nullptr;
}
