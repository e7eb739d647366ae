#include "RepeatedTexts.h"

namespace viVavazuruv::ado {

QString RepeatedTexts::fromAscii(std::string_view bytes) {
    const auto widen = [bytes] {
        return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    };
    if (bytes.empty())
        return QString();
    if (!m_active)
        return widen();
    ++m_lookups;
    const auto found = m_seen.find(bytes);
    if (found != m_seen.end()) {
        ++m_hits;
        return found->second;
    }
    if (m_seen.size() >= kMaxValues || (m_lookups >= kTrialRows && m_hits * 2 < m_lookups)) {
        m_active = false;
        m_seen.clear();
        return widen();
    }
    return m_seen.emplace(std::string(bytes), widen()).first->second;
}

} // namespace viVavazuruv::ado
