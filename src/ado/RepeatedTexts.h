#pragma once

#include <QString>

#include <string>
#include <string_view>
#include <unordered_map>

namespace viVavazuruv::ado {

// Lists repeat themselves: every row carries the same list code, group codes
// and file names recur. A column whose values keep coming back shares one
// string per value instead of allocating (and later freeing) one per row; a
// column of mostly different values soon stops looking.
class RepeatedTexts {
public:
    // The text of plain ASCII bytes, shared with earlier equal ones while the
    // column repeats itself.
    QString fromAscii(std::string_view bytes);

private:
    struct BytesHash {
        using is_transparent = void;
        size_t operator()(std::string_view bytes) const { return std::hash<std::string_view>()(bytes); }
    };
    static constexpr size_t kMaxValues = 4096;
    static constexpr qint64 kTrialRows = 256;
    std::unordered_map<std::string, QString, BytesHash, std::equal_to<>> m_seen;
    qint64 m_lookups = 0;
    qint64 m_hits = 0;
    bool m_active = true;
};

} // namespace viVavazuruv::ado
