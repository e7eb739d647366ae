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
constexpr size_t kReadAhead = 8;
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

// Stable sort of sort entries (a prefix and a text length per key, and the
// row) by the full comparison before(). When every key text has a prefix,
// as in nearly every list, a radix sort by the numbers decides first; runs
// whose prefixes tie on a text longer than the prefix are then put in order
// eight characters at a time (text(k, row) is a key's text), so a long
// beginning that many texts share (a list of "composite ..." entries) is
// read once per entry, not once per comparison.
template <typename Entry, typename Before, typename Text>
void sortEntries(std::vector<Entry>& entries, const Before& before, const Text& text, qsizetype prefixedKeys,
                 qsizetype keys, const QList<Qt::SortOrder>& orders) {
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
    scattered = {};

    const auto beforeOrEarlier = [&](const Entry& a, const Entry& b) {
        if (before(a, b))
            return true;
        return !before(b, a) && a.row < b.row;
    };
    // Entries begin..end tie on the keys before k and on the first depth
    // characters of key k; their row order is lost. Orders them in full.
    // Shared by every run: each is done with them before the runs within it.
    std::vector<std::pair<quint64, qint32>> digits;
    std::vector<Entry> run;
    const auto sortRun = [&](auto& self, size_t begin, size_t end, qsizetype k, qsizetype depth) -> void {
        if (end - begin < 2)
            return;
        if (k == prefixedKeys) {
            std::sort(entries.begin() + qsizetype(begin), entries.begin() + qsizetype(end),
                      [](const Entry& a, const Entry& b) { return a.row < b.row; });
            return;
        }
        // Characters every text of the run shares are skipped at once: each
        // text is read once for them, not once per eight.
        // A run's rows lie all over the column: asking for the texts ahead
        // early lets them arrive while this one is read.
        const auto readAhead = [&](size_t i) {
            if (i + kReadAhead < end)
                __builtin_prefetch(text(k, entries[i + kReadAhead].row).data());
        };
        const QStringView head = text(k, entries[begin].row);
        qsizetype shared = head.size() - depth;
        for (size_t i = begin + 1; i < end && shared > 0; ++i) {
            readAhead(i);
            shared = std::min(shared, sharedFolded(head, text(k, entries[i].row), depth, shared));
        }
        depth += std::max<qsizetype>(shared, 0);
        // The next eight characters of key k, as a prefix is made.
        digits.resize(end - begin);
        bool same = true;
        for (size_t i = begin; i < end; ++i) {
            readAhead(i);
            quint64 digit = sortPrefix(text(k, entries[i].row), depth);
            if (digit == kNoPrefix) {
                std::sort(entries.begin() + qsizetype(begin), entries.begin() + qsizetype(end),
                          beforeOrEarlier);
                return;
            }
            digit ^= flip[k];
            digits[i - begin] = {digit, qint32(i)};
            same = same && digit == digits[0].first;
        }
        if (!same) {
            std::sort(digits.begin(), digits.end());
            run.resize(end - begin);
            for (size_t i = 0; i < run.size(); ++i)
                run[i] = entries[size_t(digits[i].second)];
            std::copy(run.begin(), run.end(), entries.begin() + qsizetype(begin));
        } else {
            std::fill(digits.begin(), digits.end(), std::pair(digits[0].first, 0));
        }
        // Copied, since the runs below reuse the digits.
        std::vector<quint64> tied(digits.size());
        for (size_t i = 0; i < tied.size(); ++i)
            tied[i] = digits[i].first;
        for (size_t first = 0; first < tied.size();) {
            size_t last = first + 1;
            bool longer = text(k, entries[begin + first].row).size() > depth + kPrefixChars;
            while (last < tied.size() && tied[last] == tied[first]) {
                longer = longer || text(k, entries[begin + last].row).size() > depth + kPrefixChars;
                ++last;
            }
            // Texts that end within these characters and tie are equal.
            if (longer)
                self(self, begin + first, begin + last, k, depth + kPrefixChars);
            else
                self(self, begin + first, begin + last, k + 1, 0);
            first = last;
        }
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
        if (longer) {
            sortRun(sortRun, begin, end, 0, kPrefixChars);
        } else if (prefixedKeys > 1) {
            for (size_t from = begin; from < end;) {
                size_t to = from + 1;
                bool longerSecond = entries[from].isLonger(1);
                while (to < end && entries[to].prefix[1] == entries[from].prefix[1]) {
                    longerSecond = longerSecond || entries[to].isLonger(1);
                    ++to;
                }
                if (longerSecond)
                    sortRun(sortRun, from, to, 1, kPrefixChars);
                from = to;
            }
        }
        begin = end;
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
    sortEntries(entries, before, text, keyCount, keyColumns.size(), keyOrders);
    std::vector<qint32> order(static_cast<size_t>(count));
    for (qint32 i = 0; i < count; ++i)
        order[size_t(i)] = entries[size_t(i)].row;
    return order;
}

} // namespace viVavazuruv::grid
