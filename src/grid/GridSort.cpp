// The order of a grid sort: the rows' new sequence, found without moving a string.
#include "GridSort.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <utility>

namespace viVavazuruv::grid {

namespace {
// Text order without regard to case. Plain ASCII, nearly every list, is
// compared in place without folding copies; from the first character outside
// ASCII where the texts differ, Qt's case-insensitive comparison decides.
int compareIgnoringCase(QStringView a, QStringView b, qsizetype from = 0) {
    const qsizetype n = std::min(a.size(), b.size());
    const char16_t* pa = a.utf16();
    const char16_t* pb = b.utf16();
    for (qsizetype i = from; i < n; ++i) {
        char16_t x = pa[i];
        char16_t y = pb[i];
        if (x == y)
            continue;
        if (x >= 0x80 || y >= 0x80)
            return a.mid(i).compare(b.mid(i), Qt::CaseInsensitive);
        if (x >= u'A' && x <= u'Z')
            x = char16_t(x + 32);
        if (y >= u'A' && y <= u'Z')
            y = char16_t(y + 32);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// How many characters from from on, up to most, a and b share when folded
// (ASCII only: a character outside it ends the count).
qsizetype sharedFolded(QStringView a, QStringView b, qsizetype from, qsizetype most) {
    const qsizetype n = std::min({most, a.size() - from, b.size() - from});
    const char16_t* pa = a.utf16() + from;
    const char16_t* pb = b.utf16() + from;
    for (qsizetype i = 0; i < n; ++i) {
        char16_t x = pa[i];
        char16_t y = pb[i];
        if (x != y) {
            if (x >= u'A' && x <= u'Z')
                x = char16_t(x + 32);
            if (y >= u'A' && y <= u'Z')
                y = char16_t(y + 32);
        }
        if (x != y || x >= 0x80 || x == 0)
            return i;
    }
    return std::max<qsizetype>(n, 0);
}

// The first eight characters of a text, folded, as one number that orders as
// the texts do (a byte a character, a missing character counts 0, below any
// character). A text whose first eight characters leave ASCII, or that holds
// NUL there, gets no prefix and is always compared in full.
constexpr quint64 kNoPrefix = ~quint64(0);
constexpr qsizetype kPrefixChars = 8;
// The same for the eight characters from: a text's next "digit".
quint64 sortPrefix(QStringView text, qsizetype from = 0) {
    quint64 prefix = 0;
    const qsizetype n = std::clamp<qsizetype>(text.size() - from, 0, kPrefixChars);
    const char16_t* p = text.utf16() + (n > 0 ? from : 0);
    for (qsizetype i = 0; i < kPrefixChars; ++i) {
        quint64 unit = 0;
        if (i < n) {
            unit = p[i];
            if (unit == 0 || unit >= 0x80)
                return kNoPrefix;
            if (unit >= u'A' && unit <= u'Z')
                unit += 32;
        }
        prefix = (prefix << 8) | unit;
    }
    return prefix;
}

// Stable sort of sort entries (a prefix per key, whether each text goes on
// past it, and the row; rows from base) by the full comparison before(). When every key text has a prefix,
// as in nearly every list, a radix sort by the numbers decides first; runs
// whose prefixes tie on a text longer than the prefix are then put in order
// eight characters at a time (text(k, row) is a key's text), so a long
// beginning that many texts share (a list of "composite ..." entries) is
// read once per entry, not once per comparison.
template <typename Entry, typename Before, typename Text>
void sortEntries(std::vector<Entry>& entries, qint32 base, const Before& before, const Text& text,
                 qsizetype prefixedKeys, qsizetype keys, const QList<Qt::SortOrder>& orders) {
    bool allPrefixed = keys <= 2;
    for (size_t i = 0; i < entries.size() && allPrefixed; ++i) {
        for (qsizetype k = 0; k < prefixedKeys; ++k)
            allPrefixed = allPrefixed && entries[i].prefix[k] != kNoPrefix;
    }
    if (!allPrefixed) {
        std::stable_sort(entries.begin(), entries.end(), before);
        return;
    }
    // A descending key orders by the complement of its prefix.
    quint64 flip[2] = {0, 0};
    for (qsizetype k = 0; k < prefixedKeys; ++k)
        flip[k] = orders[k] == Qt::AscendingOrder ? 0 : ~quint64(0);
    const auto key = [&](const Entry& e, int k) {
        return e.prefix[k] ^ flip[k];
    };
    // Least significant digit first, a byte at a time: each pass is stable,
    // so ties keep their row order, and a byte every entry shares (the unused
    // tail of a short code) is neither counted nor passed over.
    constexpr int kDigits = 16;
    quint64 differing[2] = {0, 0};
    for (int k = 0; k < 2; ++k) {
        quint64 any = 0, all = ~quint64(0);
        for (const Entry& e : entries) {
            any |= key(e, k);
            all &= key(e, k);
        }
        differing[k] = any ^ all;
    }
    int varying[kDigits];
    int varyingCount = 0;
    for (int d = 0; d < kDigits; ++d) {
        if ((differing[d < 8 ? 1 : 0] >> (8 * (d % 8))) & 0xff)
            varying[varyingCount++] = d;
    }
    std::vector<std::array<quint32, 256>> counts(static_cast<size_t>(varyingCount));
    for (const Entry& e : entries) {
        for (int v = 0; v < varyingCount; ++v) {
            const int d = varying[v];
            ++counts[size_t(v)][(key(e, d < 8 ? 1 : 0) >> (8 * (d % 8))) & 0xff];
        }
    }
    std::vector<Entry> scattered(varyingCount > 0 ? entries.size() : 0);
    for (int v = 0; v < varyingCount; ++v) {
        const int d = varying[v];
        std::array<quint32, 256>& count = counts[size_t(v)];
        quint32 next = 0;
        for (quint32& c : count)
            next += std::exchange(c, next);
        const int k = d < 8 ? 1 : 0;
        const int shift = 8 * (d % 8);
        for (const Entry& e : entries)
            scattered[count[(key(e, k) >> shift) & 0xff]++] = e;
        entries.swap(scattered);
    }
    std::vector<Entry>().swap(scattered); // freed: the levels below need room of their own

    const auto beforeOrEarlier = [&](const Entry& a, const Entry& b) {
        if (before(a, b))
            return true;
        return !before(b, a) && a.row < b.row;
    };
    // Runs of entries that tie on the keys before k and on the first depth
    // characters of key k; their row order is lost. They are put in order a
    // level at a time: for all of them together, the texts are read once in
    // row order, which is the order they lie in the column, rather than in
    // the sorted order, where each text is far from the one before.
    struct Run {
        quint32 begin, end;
        qint32 k, depth;
    };
    std::vector<Run> runs;
    // A short run is ordered at once by the full comparison: a level's
    // bookkeeping for it would cost more than the few texts it compares.
    constexpr size_t kShortRun = 8;
    const auto add = [&](std::vector<Run>& to, size_t begin, size_t end, qsizetype k, qsizetype depth) {
        if (end - begin <= kShortRun)
            std::sort(entries.begin() + qsizetype(begin), entries.begin() + qsizetype(end), beforeOrEarlier);
        else
            to.push_back({quint32(begin), quint32(end), qint32(k), qint32(depth)});
    };
    // Runs tied on the first prefix whose texts go on past it; otherwise
    // runs tied on both prefixes where a second key goes on past its prefix.
    for (size_t begin = 0; begin < entries.size();) {
        size_t end = begin + 1;
        bool longer = entries[begin].isLonger(0);
        while (end < entries.size() && entries[end].prefix[0] == entries[begin].prefix[0]) {
            longer = longer || entries[end].isLonger(0);
            ++end;
        }
        if (longer && end - begin > 1) {
            add(runs, begin, end, 0, kPrefixChars);
        } else if (prefixedKeys > 1) {
            for (size_t from = begin; from < end;) {
                size_t to = from + 1;
                bool longerSecond = entries[from].isLonger(1);
                while (to < end && entries[to].prefix[1] == entries[from].prefix[1]) {
                    longerSecond = longerSecond || entries[to].isLonger(1);
                    ++to;
                }
                if (longerSecond && to - from > 1)
                    add(runs, from, to, 1, kPrefixChars);
                from = to;
            }
        }
        begin = end;
    }
    if (runs.empty())
        return;
    // By row (from base): the run it is in at this level, or -1, and where
    // its entry stands; by entry: the next eight characters of its key, and
    // whether its text goes on past them.
    const size_t count = entries.size();
    std::vector<qint32> runOf(count, -1);
    std::vector<quint32> position(count);
    std::vector<quint64> digit(count);
    std::vector<quint8> goesOn(count);
    std::vector<qint32> shared;
    std::vector<quint32> heads;  // the row each run's characters are compared with
    std::vector<quint32> source; // in a run being ordered: where each place's entry comes from
    while (!runs.empty()) {
        shared.assign(runs.size(), 0);
        heads.assign(runs.size(), 0);
        for (size_t r = 0; r < runs.size(); ++r) {
            const Run& run = runs[r];
            for (size_t i = run.begin; i < run.end; ++i) {
                runOf[entries[i].row - base] = qint32(r);
                position[entries[i].row - base] = quint32(i);
            }
            heads[r] = entries[run.begin].row;
            shared[r] = qint32(text(run.k, qint32(heads[r])).size() - run.depth);
        }
        // Characters every text of a run shares are skipped at once.
        for (size_t row = 0; row < count; ++row) {
            const qint32 r = runOf[row];
            if (r >= 0 && shared[size_t(r)] > 0) {
                const Run& run = runs[size_t(r)];
                shared[size_t(r)] =
                    qint32(sharedFolded(text(run.k, qint32(heads[size_t(r)])),
                                        text(run.k, qint32(base + row)), run.depth, shared[size_t(r)]));
            }
        }
        for (size_t r = 0; r < runs.size(); ++r)
            runs[r].depth += std::max(shared[r], 0);
        for (size_t row = 0; row < count; ++row) {
            const qint32 r = runOf[row];
            if (r < 0)
                continue;
            const Run& run = runs[size_t(r)];
            const QStringView t = text(run.k, qint32(base + row));
            const quint32 at = position[row];
            digit[at] = sortPrefix(t, run.depth);
            goesOn[at] = t.size() > run.depth + kPrefixChars;
            runOf[row] = -1;
        }
        std::vector<Run> next;
        for (const Run& run : runs) {
            if (std::any_of(digit.begin() + qsizetype(run.begin), digit.begin() + qsizetype(run.end),
                            [](quint64 d) { return d == kNoPrefix; })) {
                // Outside ASCII: compared in full.
                std::sort(entries.begin() + qsizetype(run.begin), entries.begin() + qsizetype(run.end),
                          beforeOrEarlier);
                continue;
            }
            // The run's entries, digits and marks are put in digit order in
            // place, each cycle of the permutation followed once: no copy of
            // a long run is made beside it.
            const size_t size = run.end - run.begin;
            source.resize(size);
            for (size_t j = 0; j < size; ++j)
                source[j] = quint32(j);
            quint64* const digits = digit.data() + run.begin;
            const quint64 flipped = flip[run.k];
            std::sort(source.begin(), source.end(),
                      [&](quint32 x, quint32 y) { return (digits[x] ^ flipped) < (digits[y] ^ flipped); });
            for (size_t j = 0; j < size; ++j) {
                if (source[j] == j)
                    continue;
                const Entry entry = entries[run.begin + j];
                const quint64 d = digits[j];
                const quint8 on = goesOn[run.begin + j];
                size_t at = j;
                for (;;) {
                    const size_t from = std::exchange(source[at], quint32(at));
                    if (from == j) {
                        entries[run.begin + at] = entry, digits[at] = d, goesOn[run.begin + at] = on;
                        break;
                    }
                    entries[run.begin + at] = entries[run.begin + from];
                    digits[at] = digits[from];
                    goesOn[run.begin + at] = goesOn[run.begin + from];
                    at = from;
                }
            }
            for (size_t first = 0; first < size;) {
                size_t last = first + 1;
                bool anyLonger = goesOn[run.begin + first];
                for (; last < size && digits[last] == digits[first]; ++last)
                    anyLonger = anyLonger || goesOn[run.begin + last];
                const size_t b = run.begin + first, e = run.begin + last;
                first = last;
                // Texts that end within these characters and tie are equal.
                if (e - b < 2)
                    continue;
                if (anyLonger)
                    add(next, b, e, run.k, run.depth + kPrefixChars);
                else if (run.k + 1 < prefixedKeys)
                    add(next, b, e, run.k + 1, 0);
                else
                    std::sort(entries.begin() + qsizetype(b), entries.begin() + qsizetype(e),
                              [](const Entry& x, const Entry& y) { return x.row < y.row; });
            }
        }
        runs.swap(next);
    }
}
} // namespace

std::vector<qint32> sortedOrder(const QList<const TextColumn*>& keyColumns,
                                const QList<Qt::SortOrder>& keyOrders, qint32 base, qint32 count) {
    // Sort compact entries, never the strings (they move once, below). Each
    // entry carries the first folded characters of its keys as a number, so
    // most comparisons are decided without touching the texts.
    // Whether a text goes on past its prefix is a bit beside the row: an
    // entry is 24 bytes, and a long list's sort holds two copies of them.
    struct Entry {
        quint64 prefix[2];
        quint32 row : 30;
        quint32 longer : 2; // bit k: key k's text is longer than its prefix
        bool isLonger(qsizetype k) const { return (longer >> k) & 1; }
    };
    if (quint64(base) + quint64(count) >= (quint64(1) << 30))
        throw std::length_error("a grid sorts fewer than 2^30 rows");
    const qsizetype keyCount = std::min<qsizetype>(keyColumns.size(), 2);
    std::vector<Entry> entries(static_cast<size_t>(count));
    for (qint32 i = 0; i < count; ++i) {
        Entry& e = entries[size_t(i)];
        e.row = quint32(base + i);
        e.longer = 0;
        for (qsizetype k = 0; k < 2; ++k) {
            const QStringView text = k < keyCount ? keyColumns[k]->at(base + i) : QStringView();
            e.prefix[k] = k < keyCount ? sortPrefix(text) : 0;
            e.longer |= quint32(text.size() > kPrefixChars) << k;
        }
    }
    const auto before = [&](const Entry& a, const Entry& b) {
        for (qsizetype k = 0; k < keyColumns.size(); ++k) {
            int c = 0;
            const bool prefixed = k < keyCount && a.prefix[k] != kNoPrefix && b.prefix[k] != kNoPrefix;
            if (prefixed && a.prefix[k] != b.prefix[k])
                c = a.prefix[k] < b.prefix[k] ? -1 : 1;
            else if (prefixed && !a.isLonger(k) && !b.isLonger(k))
                c = 0; // the whole of both texts was in the prefix
            else
                c = compareIgnoringCase(keyColumns[k]->at(a.row), keyColumns[k]->at(b.row),
                                        prefixed ? kPrefixChars : 0);
            if (c != 0)
                return keyOrders[k] == Qt::AscendingOrder ? c < 0 : c > 0;
        }
        return false;
    };
    // A list is often sorted again as it stands (after a fill, after a save):
    // one pass tells, and nothing moves.
    bool sorted = true;
    for (size_t i = 1; i < entries.size() && sorted; ++i)
        sorted = !before(entries[i], entries[i - 1]);
    if (sorted)
        return {};
    const auto text = [&](qsizetype k, qint32 row) {
        return keyColumns[k]->at(row);
    };
    sortEntries(entries, base, before, text, keyCount, keyColumns.size(), keyOrders);
    std::vector<qint32> order(static_cast<size_t>(count));
    for (qint32 i = 0; i < count; ++i)
        order[size_t(i)] = entries[size_t(i)].row;
    return order;
}

} // namespace viVavazuruv::grid
