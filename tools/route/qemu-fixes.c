/* Preloaded into the 32-bit processes that run under qemu-user (see tools/route.sh). It makes up for two
 * faults of qemu 7.2 that 32-bit Wine trips over:
 *
 * 1. MAP_FIXED_NOREPLACE is taken as a mere hint: the mapping lands elsewhere instead of failing. Wine
 *    reserves its address space by trying ranges with that flag and halving them on EEXIST; given
 *    misplaced answers it unmaps and retries tens of thousands of times (about a minute per process).
 *    mmap here gives the flag its kernel meaning.
 *
 * 2. qemu keeps one descriptor table per process, so a GDT slot written by set_thread_area holds the
 *    base of whichever thread wrote it last. A thread that reloads its selector (every return from a
 *    signal or exception) then runs on another thread's TLS (glibc's %gs) or TEB (Wine's %fs). Here
 *    Wine's request for "any free GDT slot" fails, so it takes a private LDT selector per thread, and
 *    glibc's %gs of every thread is moved to an LDT entry of its own.
 *
 * Built with -m32 -nostdlib -ffreestanding: no 32-bit C library is needed to build it; the few C library
 * functions it calls are found at run time in the process it is loaded into. */

typedef unsigned int size_t;

extern int *__errno_location(void);
extern void *dlsym(void *handle, const char *name);
extern void *malloc(size_t size);
extern void free(void *p);
#define RTLD_NEXT ((void *)-1l)

enum {
    SYS_munmap = 91, SYS_modify_ldt = 123, SYS_mmap2 = 192, SYS_set_thread_area = 243,
    NV_MAP_FIXED = 0x10, NV_MAP_FIXED_NOREPLACE = 0x100000,
    NV_EEXIST = 17, NV_EINVAL = 22, NV_ENOSYS = 38,
};

long nv_syscall6(long n, long a1, long a2, long a3, long a4, long a5, long a6);
__asm__(".text\n"
        ".hidden nv_syscall6\n"
        ".type nv_syscall6,@function\n"
        "nv_syscall6:\n"
        "  push %ebp\n  push %edi\n  push %esi\n  push %ebx\n"
        "  mov 20(%esp), %eax\n  mov 24(%esp), %ebx\n  mov 28(%esp), %ecx\n  mov 32(%esp), %edx\n"
        "  mov 36(%esp), %esi\n  mov 40(%esp), %edi\n  mov 44(%esp), %ebp\n"
        "  int $0x80\n"
        "  pop %ebx\n  pop %esi\n  pop %edi\n  pop %ebp\n"
        "  ret\n");

static long failed(long r)
{
    if ((unsigned long)r > -4096ul) {
        *__errno_location() = (int)-r;
        return -1;
    }
    return r;
}

static void *map_pages(void *addr, size_t len, int prot, int flags, int fd, unsigned long long off)
{
    if (off & 4095) {
        *__errno_location() = NV_EINVAL;
        return (void *)-1;
    }
    long r = failed(nv_syscall6(SYS_mmap2, (long)addr, (long)len, prot, flags, fd, (long)(off >> 12)));
    if (r == -1) return (void *)-1;
    if ((flags & NV_MAP_FIXED_NOREPLACE) && !(flags & NV_MAP_FIXED) && (void *)r != addr) {
        nv_syscall6(SYS_munmap, r, (long)len, 0, 0, 0, 0);
        *__errno_location() = NV_EEXIST;
        return (void *)-1;
    }
    return (void *)r;
}

void *mmap(void *addr, size_t len, int prot, int flags, int fd, long off)
{
    return map_pages(addr, len, prot, flags, fd, (unsigned long long)(unsigned long)off);
}

void *mmap64(void *addr, size_t len, int prot, int flags, int fd, long long off)
{
    return map_pages(addr, len, prot, flags, fd, (unsigned long long)off);
}

struct user_desc {
    unsigned int entry_number;
    unsigned int base_addr;
    unsigned int limit;
    unsigned int seg_32bit : 1;
    unsigned int contents : 2;
    unsigned int read_exec_only : 1;
    unsigned int limit_in_pages : 1;
    unsigned int seg_not_present : 1;
    unsigned int useable : 1;
};

long syscall(long n, ...)
{
    __builtin_va_list ap;
    __builtin_va_start(ap, n);
    long a[6];
    for (int i = 0; i < 6; ++i) a[i] = __builtin_va_arg(ap, long);
    __builtin_va_end(ap);
    if (n == SYS_set_thread_area && a[0] && ((struct user_desc *)a[0])->entry_number == ~0u) {
        *__errno_location() = NV_ENOSYS;
        return -1;
    }
    return failed(nv_syscall6(n, a[0], a[1], a[2], a[3], a[4], a[5]));
}

/* LDT entries are handed out from the top down; Wine allocates its own from the bottom up. */
static int next_ldt_entry = 8191;
enum { LOWEST_LDT_ENTRY = 6144, SYS_sched_yield = 158 };
/* The GDT selector glibc gave the main thread, kept for creating threads (see pthread_create). */
static unsigned short gdt_gs;

static unsigned int gs_base(void)
{
    unsigned int base;
    __asm__ volatile("movl %%gs:0, %0" : "=r"(base)); /* glibc's thread control block points to itself */
    return base;
}
static unsigned short gs_selector(void)
{
    unsigned short sel;
    __asm__ volatile("movw %%gs, %0" : "=r"(sel));
    return sel;
}
static void load_gs(unsigned short sel) { __asm__ volatile("movw %0, %%gs" : : "r"(sel)); }

static int write_descriptor(int nr, unsigned int entry, unsigned int base)
{
    struct user_desc d = {0};
    d.entry_number = entry;
    d.base_addr = base;
    d.limit = 0xfffff;
    d.seg_32bit = 1;
    d.limit_in_pages = 1;
    d.useable = 1;
    return nv_syscall6(nr, nr == SYS_modify_ldt ? 1 : (long)&d, nr == SYS_modify_ldt ? (long)&d : 0,
                       nr == SYS_modify_ldt ? (long)sizeof d : 0, 0, 0, 0) == 0;
}

static void move_gs_to_ldt(void)
{
    int idx = __sync_fetch_and_sub(&next_ldt_entry, 1);
    if (idx < LOWEST_LDT_ENTRY || !write_descriptor(SYS_modify_ldt, (unsigned int)idx, gs_base())) return;
    load_gs((unsigned short)((idx << 3) | 7));
}

__attribute__((constructor)) static void on_load(void)
{
    unsigned short sel = gs_selector();
    if (sel && !(sel & 4)) gdt_gs = sel;
    move_gs_to_ldt();
}

struct start {
    void *(*routine)(void *);
    void *arg;
    volatile int moved;
};

static void *thread_start(void *p)
{
    struct start *s = p;
    move_gs_to_ldt();
    void *(*routine)(void *) = s->routine;
    void *arg = s->arg;
    __sync_synchronize();
    s->moved = 1; /* the creator frees s from here on */
    return routine(arg);
}

typedef int (*create_fn)(void *, const void *, void *(*)(void *), void *);
static volatile int creating;

/* glibc gives a new thread its TLS by rewriting the GDT slot named by the creator's own %gs, and the new
 * thread starts on that slot. So the creator goes back to the slot (pointing it at itself first) for the
 * length of the creation, and waits until the new thread has moved to its own LDT entry before another
 * creation may rewrite the slot. */
int pthread_create(void *thread, const void *attr, void *(*routine)(void *), void *arg)
{
    static create_fn real;
    if (!real) real = (create_fn)dlsym(RTLD_NEXT, "pthread_create");
    struct start *s = malloc(sizeof *s);
    if (!s) return 11; /* EAGAIN */
    s->routine = routine;
    s->arg = arg;
    s->moved = 0;
    while (__sync_lock_test_and_set(&creating, 1)) nv_syscall6(SYS_sched_yield, 0, 0, 0, 0, 0, 0);
    unsigned short own = gs_selector();
    int onGdt = gdt_gs && (own & 4) && write_descriptor(SYS_set_thread_area, gdt_gs >> 3, gs_base());
    if (onGdt) load_gs(gdt_gs);
    int r = real(thread, attr, thread_start, s);
    if (r == 0)
        while (!s->moved) nv_syscall6(SYS_sched_yield, 0, 0, 0, 0, 0, 0);
    if (onGdt) load_gs(own);
    __sync_lock_release(&creating);
    free(s);
    return r;
}
