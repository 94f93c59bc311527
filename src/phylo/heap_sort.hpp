// The one sort procedure for reals and keyed records: an in-place, unstable
// heap sort. Equal keys end up in whatever order this exact procedure leaves
// them, and our users' clusterings depend on that order wherever distances
// tie, so every sort of reals or keyed records (the pair list, jackknife keys,
// the correction's score table, copies sorted for medians) goes through here.
// Keys are compared alone with a strict less-than.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <functional>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#ifdef _OPENMP
#include <omp.h>
#endif
#ifdef __linux__
#include <sys/mman.h>
#endif

namespace phylo {

// Told now and then how far a long sort has come: done of total steps (one
// step per sift). The last call has done == total.
using SortProgress = std::function<void(std::size_t done, std::size_t total)>;

namespace heap_sort_core {

// The procedure works on positions 1 .. m of a store, which offers:
//   Held                        a record taken out of its position;
//   key_at(p), key_of(held)     the keys compared, with a strict less-than;
//   take(p), put(p, held)       take a record out, put one in;
//   move(to, from)              move the record at from to to;
//   look_ahead(c, limit)        told of each position c whose sons a descent
//                               compares; it may fetch the descendants of c a
//                               few levels further down into the cache and
//                               must change nothing.
// A store is copied for each thread of a shared build.

// The store of one record per position: at(p) is the record at position p.
template <class At, class KeyOf, class LookAhead>
struct RecordStore {
    using Held = std::remove_cvref_t<decltype(std::declval<At&>()(std::size_t{1}))>;
    At at;
    KeyOf key;
    LookAhead ahead;

    decltype(auto) key_at(std::size_t p) { return key(at(p)); }
    decltype(auto) key_of(const Held& held) { return key(held); }
    Held take(std::size_t p) { return std::move(at(p)); }
    void put(std::size_t p, Held&& held) { at(p) = std::move(held); }
    void move(std::size_t to, std::size_t from) { at(to) = std::move(at(from)); }
    void look_ahead(std::size_t c, std::size_t limit) { ahead(c, limit); }
};

// One sift from s over positions up to limit with the moving record: descend
// along the larger son all the way down, then climb back while the father is
// smaller than the moving record.
template <class Store>
inline void sift(std::size_t s, std::size_t limit, typename Store::Held moving, Store& store) {
    std::size_t c = s;
    for (;;) {
        std::size_t son = 2 * c;
        if (son > limit) break;
        store.look_ahead(c, limit);
        // The same comparison, taken as a number rather than a jump: with the
        // descendants already fetched, a mispredicted jump costs more.
        if (son < limit) son += static_cast<std::size_t>(store.key_at(son) < store.key_at(son + 1));
        store.move(c, son);
        c = son;
    }
    const auto moving_key = store.key_of(moving);
    while (c != s) {
        const std::size_t father = c / 2;
        if (!(store.key_at(father) < moving_key)) break;
        store.move(c, father);
        c = father;
    }
    store.put(c, std::move(moving));
}

// Progress is reported every this many sifts.
inline constexpr std::size_t progress_stride = std::size_t{1} << 18;

// A level of the build with fewer sifts than this is not worth sharing out.
inline constexpr std::size_t shared_level = 1 << 14;

// The procedure on positions 1 .. m: build the heap by sifting from m/2 down
// to 1, then repeatedly move the top to the end and sift the last record in
// from the top.
//
// With parallel_build the build runs level by level on all threads: the
// sifts from positions of one level (2^L .. 2^(L+1) - 1) reach disjoint
// subtrees and read nothing the others write, and every sift of a level
// follows, in the one-thread order, every sift of the levels below it, so
// the heap is the same whatever the number of threads.
template <class Store>
void sort_positions(std::size_t m, Store store, bool parallel_build = false, const SortProgress* progress = nullptr) {
    const std::size_t total = m / 2 + (m > 1 ? m - 1 : 0);
    std::size_t done = 0;
    const auto tell = [&](std::size_t steps) {
        done += steps;
        if (progress && *progress) (*progress)(done, total);
    };
    const std::size_t last_father = m / 2;
    for (std::size_t low = std::bit_floor(last_father); low >= 1; low /= 2) {
        const std::size_t high = std::min(2 * low - 1, last_father);
        const std::size_t count = high - low + 1;
#ifdef _OPENMP
        if (parallel_build && count >= shared_level && omp_get_max_threads() > 1 && !omp_in_parallel()) {
#pragma omp parallel for schedule(static)
            for (std::size_t k = 0; k < count; ++k) {
                Store own = store;
                sift(high - k, m, own.take(high - k), own);
            }
            tell(count);
            continue;
        }
#endif
        (void)parallel_build;
        for (std::size_t j = high; j >= low; --j) sift(j, m, store.take(j), store);
        if (count >= progress_stride) tell(count);
        else done += count;
    }
    std::size_t since = 0;
    while (m > 1) {
        typename Store::Held moving = store.take(m);
        store.move(m, 1);
        --m;
        sift(1, m, std::move(moving), store);
        if (++since == progress_stride) tell(std::exchange(since, 0));
    }
    if (progress && *progress && total > 0) {
        done += since;
        (*progress)(done, total);
    }
}

// Fetches the four cache lines that hold the descendants of c some levels
// down (2^depth of them, from c * 2^depth on), where cells holds records of
// `bytes` bytes whose position 0 starts a cache line.
template <std::size_t bytes>
struct FetchDescendants {
    static constexpr std::size_t line = 64, lines = 4;
    static constexpr std::size_t depth = std::bit_width(std::max<std::size_t>(2, lines * line / bytes)) - 1;
    static constexpr std::size_t per_line = std::max<std::size_t>(1, line / bytes);
    const char* cells;

    void operator()(std::size_t c, std::size_t limit) const {
        const std::size_t first = c << depth;
        if (first > limit) return;
        for (std::size_t k = 0; k < lines; ++k) __builtin_prefetch(cells + (first + k * per_line) * bytes);
    }
};

}  // namespace heap_sort_core

// Sorts a[0 .. m-1] ascending by key(a[i]); position p is a[p - 1].
template <class T, class KeyOf>
void heap_sort(T* a, std::size_t m, KeyOf key) {
    const auto at = [a](std::size_t p) -> T& { return a[p - 1]; };
    const auto no_look_ahead = [](std::size_t, std::size_t) {};
    heap_sort_core::sort_positions(
        m, heap_sort_core::RecordStore<decltype(at), KeyOf, decltype(no_look_ahead)>{at, key, no_look_ahead});
}

// Sorts plain reals with the same procedure.
inline void heap_sort(double* a, std::size_t m) {
    heap_sort(a, m, [](double x) { return x; });
}

// Storage for positions 0 .. m of T whose position 0 starts a cache line, so
// that two brothers always share a line; position 0 is not used by the sort.
// The lists of millions of records of the pair list live here. Large storage
// is asked to live on huge pages, where the system offers them: the sort
// reaches all over it, and with small pages most steps near the bottom of the
// heap would also miss the address cache.
template <class T>
class HeapPositions {
    static_assert(std::is_trivially_destructible_v<T>);

public:
    static constexpr std::size_t line = 64;

    explicit HeapPositions(std::size_t m)
        : m_(m), cells_(allocate(m + 1), Release{alignment((m + 1) * sizeof(T))}) {}
    std::size_t size() const noexcept { return m_; }
    T& operator[](std::size_t p) noexcept { return cells_[p]; }
    const T& operator[](std::size_t p) const noexcept { return cells_[p]; }
    T* data() noexcept { return cells_.get(); }

private:
    static constexpr std::size_t huge_page = std::size_t{1} << 21;

    static std::size_t alignment(std::size_t bytes) { return bytes >= 8 * huge_page ? huge_page : line; }
    static T* allocate(std::size_t count) {
        const std::size_t bytes = count * sizeof(T), align = alignment(bytes);
        T* cells = new (std::align_val_t(align)) T[count];
#if defined(__linux__) && defined(MADV_HUGEPAGE)
        if (align == huge_page) madvise(cells, bytes / huge_page * huge_page, MADV_HUGEPAGE);
#endif
        return cells;
    }
    struct Release {
        std::size_t align;
        void operator()(T* cells) const noexcept { ::operator delete[](cells, std::align_val_t(align)); }
    };
    std::size_t m_;
    std::unique_ptr<T[], Release> cells_;
};

// The same procedure on heap[1 .. m] of such storage: the build shared out
// over the threads (OMP_NUM_THREADS), and each step of a descent from c
// fetching the descendants of c some levels down (64 records of 4 bytes, 32
// of 8), so that memory is already on its way when the descent gets there.
// The same comparisons and moves, so equal keys end in the same order.
template <class T, class KeyOf>
void heap_sort(HeapPositions<T>& heap, KeyOf key, const SortProgress* progress = nullptr) {
    T* cells = heap.data();
    const auto at = [cells](std::size_t p) -> T& { return cells[p]; };
    using Fetch = heap_sort_core::FetchDescendants<sizeof(T)>;
    heap_sort_core::sort_positions(
        heap.size(),
        heap_sort_core::RecordStore<decltype(at), KeyOf, Fetch>{at, key, Fetch{reinterpret_cast<const char*>(cells)}},
        true, progress);
}

// Records split in two: heads[p], and tails[p] only where heads[p] <
// named_below; records are compared by key(heads[p]). The procedure compares
// and moves both halves of a record exactly as it would move whole records
// (head << bits | tail, with tail 0 for every head from named_below on); it
// only skips reading and writing the tails nobody asks for. With heads of 16
// bits, twice as many keys share a cache line as with records of 32 bits,
// and more of the heap stays in the cache.
template <class Head, class Tail, class KeyOf>
void heap_sort(HeapPositions<Head>& heads, HeapPositions<Tail>& tails, Head named_below, KeyOf key,
               const SortProgress* progress = nullptr) {
    struct SplitRecord {
        Head head;
        Tail tail;
    };
    struct SplitStore {
        using Held = SplitRecord;
        Head* heads;
        Tail* tails;
        Head named_below;
        KeyOf key;
        heap_sort_core::FetchDescendants<sizeof(Head)> fetch;

        decltype(auto) key_at(std::size_t p) const { return key(heads[p]); }
        decltype(auto) key_of(const Held& held) const { return key(held.head); }
        Held take(std::size_t p) const { return {heads[p], heads[p] < named_below ? tails[p] : Tail{}}; }
        void put(std::size_t p, Held&& held) const {
            heads[p] = held.head;
            if (held.head < named_below) tails[p] = held.tail;
        }
        void move(std::size_t to, std::size_t from) const {
            const Head head = heads[from];
            heads[to] = head;
            if (head < named_below) tails[to] = tails[from];
        }
        void look_ahead(std::size_t c, std::size_t limit) const { fetch(c, limit); }
    };
    heap_sort_core::sort_positions(
        heads.size(),
        SplitStore{heads.data(), tails.data(), named_below, key, {reinterpret_cast<const char*>(heads.data())}}, true,
        progress);
}

}  // namespace phylo
