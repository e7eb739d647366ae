#pragma once

#include <QString>

#include <vector>

namespace viVavazuruv {

// The text a code string is composed in, read from the front one variable at
// a time. Each level's entries replace the first variable still open, and the
// search for it always starts at the beginning; but every bar before the first
// open variable has already been passed over, so the text is kept in two
// parts: what lies before the cursor (settled, only appended to) and what lies
// after it (chunks, the next one first). Filling a variable at the cursor then
// costs the inserted text, not the whole text, and a composition is linear in
// its length.
class ComposedText {
public:
    explicit ComposedText(QString text);

    // Moves the cursor to the next bar at or after it; false when none is left.
    bool nextBar();
    // The bar at the cursor is not a variable to fill: it is passed over and
    // remembered, since a later change next to it may make it one.
    void passOver();
    // Up to count characters from the bar at the cursor, the text followed by
    // one space, as the variable is read.
    QString variableAtCursor(int count) const;
    // Up to count characters of the text itself from the cursor (no space appended).
    QString textAtCursor(int count) const;
    // Replaces length characters at the cursor by text; the cursor stays on
    // the first character of text, so variables inside it are found next.
    void replaceAtCursor(qsizetype length, const QString& text);
    // Bars passed over whose variable text (count characters, as above) a
    // change after them may have altered: those within count of the cursor.
    std::vector<qsizetype> recentPassedOver(int count) const;
    // The whole text as one string; the positions of the settled part are its own.
    QString text() const;
    // Reads count characters from an absolute position, the text followed by one space.
    QString read(qsizetype position, int count) const;
    // Whether the settled part holds a passed-over bar at which find starts; its position or -1.
    qsizetype firstPassedOverStartingWith(const QString& find) const;
    qsizetype cursor() const { return m_settled.size(); }
    // Starts over on text with nothing passed over, the cursor at the beginning.
    void reset(QString text);

private:
    QChar at(qsizetype position) const;
    bool atEnd(qsizetype position) const;

    // A piece of the text after the cursor, read from offset on.
    struct Chunk {
        QString text;
        qsizetype offset = 0;
    };

    QString m_settled;
    // After the cursor, in reverse order: the back chunk is read next.
    std::vector<Chunk> m_rest;
    std::vector<qsizetype> m_passedOver; // bar positions in m_settled, ascending
};

} // namespace viVavazuruv
