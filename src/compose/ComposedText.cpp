#include "ComposedText.h"

namespace viVavazuruv {

ComposedText::ComposedText(QString text) {
    reset(std::move(text));
}

void ComposedText::reset(QString text) {
    m_settled.clear();
    m_rest.clear();
    m_passedOver.clear();
    if (!text.isEmpty())
        m_rest.push_back({std::move(text), 0});
}

bool ComposedText::nextBar() {
    while (!m_rest.empty()) {
        Chunk& chunk = m_rest.back();
        const qsizetype bar = chunk.text.indexOf(QLatin1Char('|'), chunk.offset);
        if (bar >= 0) {
            m_settled += QStringView(chunk.text).mid(chunk.offset, bar - chunk.offset);
            chunk.offset = bar;
            return true;
        }
        m_settled += QStringView(chunk.text).mid(chunk.offset);
        m_rest.pop_back();
    }
    return false;
}

void ComposedText::passOver() {
    Chunk& chunk = m_rest.back();
    m_passedOver.push_back(m_settled.size());
    m_settled += chunk.text.at(chunk.offset);
    if (++chunk.offset == chunk.text.size())
        m_rest.pop_back();
}

void ComposedText::replaceAtCursor(qsizetype length, const QString& text) {
    while (length > 0 && !m_rest.empty()) {
        Chunk& chunk = m_rest.back();
        const qsizetype available = chunk.text.size() - chunk.offset;
        if (length < available) {
            chunk.offset += length;
            break;
        }
        length -= available;
        m_rest.pop_back();
    }
    // The inserted text is read next; the rest waits beneath it.
    if (!text.isEmpty())
        m_rest.push_back({text, 0});
}

QChar ComposedText::at(qsizetype position) const {
    if (position < m_settled.size())
        return m_settled.at(position);
    qsizetype skip = position - m_settled.size();
    for (auto chunk = m_rest.rbegin(); chunk != m_rest.rend(); ++chunk) {
        const qsizetype available = chunk->text.size() - chunk->offset;
        if (skip < available)
            return chunk->text.at(chunk->offset + skip);
        skip -= available;
    }
    return {};
}

bool ComposedText::atEnd(qsizetype position) const {
    qsizetype skip = position - m_settled.size();
    for (auto chunk = m_rest.rbegin(); chunk != m_rest.rend() && skip >= 0; ++chunk)
        skip -= chunk->text.size() - chunk->offset;
    return skip >= 0;
}

QString ComposedText::read(qsizetype position, int count) const {
    QString result;
    for (qsizetype p = position; p < position + count; ++p) {
        // The text is read as if followed by one space.
        if (atEnd(p)) {
            result += QLatin1Char(' ');
            break;
        }
        result += at(p);
    }
    return result;
}

QString ComposedText::variableAtCursor(int count) const {
    return read(cursor(), count);
}

QString ComposedText::textAtCursor(int count) const {
    QString result;
    for (auto chunk = m_rest.rbegin(); chunk != m_rest.rend() && result.size() < count; ++chunk)
        result += QStringView(chunk->text).mid(chunk->offset, count - result.size());
    return result;
}

std::vector<qsizetype> ComposedText::recentPassedOver(int count) const {
    std::vector<qsizetype> recent;
    for (auto p = m_passedOver.rbegin(); p != m_passedOver.rend() && *p > cursor() - count; ++p)
        recent.insert(recent.begin(), *p);
    return recent;
}

qsizetype ComposedText::firstPassedOverStartingWith(const QString& find) const {
    for (const qsizetype p : m_passedOver) {
        if (read(p, int(find.size())) == find)
            return p;
    }
    return -1;
}

QString ComposedText::text() const {
    QString whole = m_settled;
    for (auto chunk = m_rest.rbegin(); chunk != m_rest.rend(); ++chunk)
        whole += QStringView(chunk->text).mid(chunk->offset);
    return whole;
}

} // namespace viVavazuruv
