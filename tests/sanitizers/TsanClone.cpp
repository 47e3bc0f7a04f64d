// Linked into every program of the ThreadSanitizer build (root CMakeLists.txt).
//
// QProcess starts its children with clone(CLONE_VM | CLONE_VFORK): the child runs in the
// parent's memory until it executes the program. ThreadSanitizer's clone interceptor treats every
// clone as a fork and resets its state "in the child", which here is the parent's own state: from
// the first process started on, the starting thread's synchronisation is no longer seen (every
// other thread then races with everything it did before) and its own accesses are no longer
// checked. Such a clone is made an ordinary copy of the process instead (the caller still waits
// until the child executes its program), much as ThreadSanitizer itself turns vfork() into fork().

#include <dlfcn.h>
#include <sched.h>
#include <sys/types.h>

#include <cstdarg>

extern "C" int clone(int (*function)(void *), void *stack, int flags, void *argument, ...) noexcept
{
    // The optional arguments are read only when the flags ask for them; passed on as they came.
    va_list rest;
    va_start(rest, argument);
    pid_t *parentTid = va_arg(rest, pid_t *);
    void *tls = va_arg(rest, void *);
    pid_t *childTid = va_arg(rest, pid_t *);
    va_end(rest);

    using Clone = int (*)(int (*)(void *), void *, int, void *, ...);
    // ThreadSanitizer's interceptor, which calls the C library's.
    static const auto next = reinterpret_cast<Clone>(dlsym(RTLD_NEXT, "clone"));
    if ((flags & CLONE_VM) && (flags & CLONE_VFORK) && !(flags & CLONE_THREAD))
        flags &= ~CLONE_VM;
    return next(function, stack, flags, argument, parentTid, tls, childTid);
}
