/* A recursive lock with enter and leave operations, for callers that share a support-library
 * object between threads. */
#ifndef ZARN_SUPPORTLIB_ZARNLOCK_H
#define ZARN_SUPPORTLIB_ZARNLOCK_H

#ifdef __cplusplus
extern "C" {
#endif

typedef struct ZarnLock {
    void *impl;
    void (*Enter)(struct ZarnLock *lock);
    void (*Leave)(struct ZarnLock *lock);
} ZarnLock;

/* Returns 1, or 0 when the lock could not be created. */
int ZarnLockCreate(ZarnLock *lock);
void ZarnLockDestroy(ZarnLock *lock);

#ifdef __cplusplus
}
#endif

#endif
