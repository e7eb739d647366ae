// The chart note from a code-list request: each level's chosen entries,
// joined with their list's words, fill the variables of the level above.
#include "CodeStringComposer.h"

#include "ComposedText.h"

#include <ado/VbStrings.h>

#include <QHash>

#include <algorithm>
#include <set>
#include <vector>

namespace viVavazuruv {

namespace {

const QChar kEntryEnd(1);   // ends each entry in a level's text until the join words replace it
const QChar kTypedBreak(2); // a line break typed into a "|??" answer
const QString kLineBreak = QStringLiteral("\r\n");
constexpr int kVariableLength = 15;

const QString kLineFeed = QStringLiteral("\n");
// The host's SplitText gives pieces 1 to 100 at most.
constexpr qint32 kMostPieces = 100;
// Lines of one output lent to the host's GetField in one text (see Lines).
constexpr qint32 kLinesLent = 64;

// The lines of one output as the host's GetField reads them: line i is the
// i-th piece of the output cut at line feeds, from 1. An output of up to
// kLinesLent lines is lent whole, GetField(output, LF, i) as the rules read
// it. A longer one is lent in blocks of kLinesLent lines, cut at line feeds
// once (the last block keeps the rest), and line i is asked of its block, so
// that reading every line costs the host the output's length rather than its
// square; each piece the host makes (and what it makes of it) is its own.
class Lines {
public:
    Lines(IHostServices& host, const QString& text) : m_host(host), m_text(text) {}

    QString at(qint32 i) {
        qint32 block = (i - 1) / kLinesLent;
        while (qint32(m_blocks.size()) <= block && !m_allCut)
            cutNextBlock();
        // Past the end the last block is asked, as the whole output would be.
        block = std::min(block, qint32(m_blocks.size()) - 1);
        return m_host.GetField(m_blocks[size_t(block)], kLineFeed, qint16(i - block * kLinesLent), 0);
    }

private:
    void cutNextBlock() {
        qsizetype end = m_next - 1;
        for (qint32 k = 0; k < kLinesLent; ++k) {
            end = m_text.indexOf(QLatin1Char('\n'), end + 1);
            if (end < 0)
                break;
        }
        // A block ends at its last line's line feed only when more text follows.
        if (end < 0 || end + 1 >= m_text.size()) {
            m_blocks.push_back(m_next == 0 ? m_text : m_text.mid(m_next));
            m_allCut = true;
            return;
        }
        m_blocks.push_back(m_text.mid(m_next, end - m_next));
        m_next = end + 1;
    }

    IHostServices& m_host;
    const QString& m_text;
    std::vector<QString> m_blocks;
    qsizetype m_next = 0; // where the next block starts
    bool m_allCut = false;
};

struct JoinWords {
    QString between, beforeLast, afterLast, codeJoin;
};

class Composer {
public:
    Composer(IHostServices& host, QString start) : m_host(host), m_text(std::move(start)) {}

    void addEntry(QString description, const QString& code, const QString& letter);
    // Takes list's join words and makes it the list being gathered.
    void changeList(const QString& list);
    const QString& previousList() const { return m_previousList; }
    bool insertsEachItem(const QString& list);
    void forgetList() { m_previousList.clear(); }
    void insertLevelText();
    QString text() const { return m_text.text(); }

private:
    // What a variable read at a bar is filled as: the text to replace, or "" when it is passed over.
    QString fillTarget(const QString& variable);
    void replaceFirst(const QString& find);

    IHostServices& m_host;
    ComposedText m_text;
    QString m_levelText;
    qint32 m_entries = 0;
    QString m_previousList;
    JoinWords m_words;
    QHash<QString, JoinWords> m_wordsOf;
    QHash<QString, bool> m_eachItem;
    QHash<QString, QString> m_listOfVariable;
};

void Composer::changeList(const QString& list) {
    auto known = m_wordsOf.constFind(list);
    if (known == m_wordsOf.constEnd()) {
        JoinWords words;
        m_host.ListJoinWords(list, words.between, words.beforeLast, words.afterLast, words.codeJoin);
        known = m_wordsOf.insert(list, words);
    }
    m_words = *known;
    m_previousList = list;
}

bool Composer::insertsEachItem(const QString& list) {
    auto known = m_eachItem.constFind(list);
    if (known == m_eachItem.constEnd())
        known = m_eachItem.insert(list, m_host.InsertEachItem(list));
    return *known;
}

void Composer::addEntry(QString description, const QString& code, const QString& letter) {
    QString entry = vb::Trim(std::move(description));
    if (!m_words.codeJoin.isEmpty()) {
        for (const QString& extra : {vb::Trim(code), vb::Trim(letter)}) {
            if (!extra.isEmpty())
                entry += m_words.codeJoin + extra;
        }
    }
    qsizetype dashes = 0;
    while (dashes < entry.size() && entry.at(dashes) == QLatin1Char('-'))
        ++dashes;
    entry.remove(0, dashes);
    entry.replace(QLatin1Char('^'), kLineBreak);
    ++m_entries;
    m_levelText += QLatin1Char(' ') + entry + kEntryEnd;
    // Only the start can hold blanks to remove, so only the start is looked at.
    qsizetype blanks = 0;
    while (blanks < m_levelText.size() && m_levelText.at(blanks) == QLatin1Char(' '))
        ++blanks;
    m_levelText.remove(0, blanks);
}

QString Composer::fillTarget(const QString& variable) {
    for (const QString& named : {QStringLiteral("|??"), QStringLiteral("|T#"), QStringLiteral("|CARIES"),
                                 QStringLiteral("|MISSING")}) {
        if (variable.startsWith(named))
            return named;
    }
    auto known = m_listOfVariable.constFind(variable);
    if (known == m_listOfVariable.constEnd()) {
        QString list;
        m_host.PipeVariableList(variable, list);
        known = m_listOfVariable.insert(variable, list);
    }
    const QString list = vb::Trim(*known);
    // Surfaces and teeth are chosen where the variable stands, not from a list.
    if (list.isEmpty() || list == QLatin1String("SURFACE") || list == QLatin1String("TOOTH#"))
        return {};
    return QLatin1Char('|') + known->toUpper();
}

void Composer::replaceFirst(const QString& find) {
    // The host's ReplaceVariable fills the first occurrence in the whole
    // text. That stands at the cursor in all but odd texts (a variable read
    // one way and spelt another): there the host is lent the variable as the
    // rules read it (up to 15 characters from its bar) and what it answers
    // takes the variable's place, so the settled text is not lent again for
    // every level's text. Otherwise the whole text is lent, and read again
    // from the start.
    const bool passedOverFirst = m_text.firstPassedOverStartingWith(find) >= 0;
    if (!passedOverFirst && m_text.variableAtCursor(int(find.size())) == find) {
        QString variable = m_text.textAtCursor(kVariableLength);
        const qsizetype length = variable.size();
        m_host.ReplaceVariable(variable, find, m_levelText, 1, 1, 0);
        m_text.replaceAtCursor(length, variable);
        return;
    }
    const QString before = m_text.text();
    QString whole = before;
    m_host.ReplaceVariable(whole, find, m_levelText, 1, 1, 0);
    if (whole != before)
        m_text.reset(std::move(whole));
}

void Composer::insertLevelText() {
    if (m_levelText.isEmpty())
        return;
    m_host.ReplaceVariable(m_levelText, QString(kTypedBreak), kLineBreak, 0, 1, 0);
    // The mark after entry k becomes the words that join it to the next.
    QString joined;
    joined.reserve(m_levelText.size());
    qint32 k = 0;
    for (const QChar c : std::as_const(m_levelText)) {
        if (c != kEntryEnd || k >= m_entries) {
            joined += c;
            continue;
        }
        ++k;
        joined += k <= m_entries - 2   ? m_words.between
                  : k == m_entries - 1 ? m_words.beforeLast
                                       : m_words.afterLast;
    }
    m_levelText = std::move(joined);

    // Bars passed over just before the cursor read differently once the text
    // after them changed; in order, they come first.
    QString find;
    for (const qsizetype bar : m_text.recentPassedOver(kVariableLength)) {
        find = fillTarget(m_text.read(bar, kVariableLength));
        if (!find.isEmpty())
            break;
    }
    while (find.isEmpty() && m_text.nextBar()) {
        find = fillTarget(m_text.variableAtCursor(kVariableLength));
        if (find.isEmpty())
            m_text.passOver();
    }
    if (!find.isEmpty())
        replaceFirst(find);
    m_levelText.clear();
    m_entries = 0;
}

} // namespace

void Compose_Code_String(IHostServices& host, VbArray<QString>& ComposeParts, QString& Ret_String,
                         const QString& Ret_DBName, const QString& Ret_Level, const QString& Ret_Description,
                         const QString& Ret_ADA, const QString& Ret_Letter, const QString& Ret_ID,
                         qint16 nUDDBS_Selected) {
    Q_UNUSED(Ret_ID)
    Ret_String.clear();
    if (Ret_DBName.isEmpty())
        return;
    const qint32 records = std::max<qint32>(nUDDBS_Selected, 0);
    Lines lists(host, Ret_DBName), levels(host, Ret_Level), descriptions(host, Ret_Description),
        codes(host, Ret_ADA), letters(host, Ret_Letter);

    // The levels as the host's SplitText cuts them. It gives 100 pieces at
    // most, and the 100th may stand for all the rest, so when it gives that
    // many, the levels from the 100th on are read as lines; when it gives
    // fewer, the records past its pieces have none ("").
    ComposeParts.Redim(records + 2);
    QStringList pieces;
    qint16 pieceCount = 0;
    host.SplitText(Ret_Level, kLineFeed, pieces, pieceCount);
    const qint32 split =
        std::clamp<qint32>(std::min<qint32>(pieceCount, qint32(pieces.size())), 0, kMostPieces);
    std::vector<double> levelOf(size_t(records) + 1, 0.0);
    std::set<qint16> levelsToFill{0};
    for (qint32 j = 1; j <= records; ++j) {
        if (split == kMostPieces && j >= kMostPieces)
            ComposeParts(j) = levels.at(j);
        else if (j <= split)
            ComposeParts(j) = pieces.at(j - 1);
        levelOf[size_t(j)] = vb::Val(ComposeParts(j));
    }
    qint16 highest = 0;
    for (qint32 j = 1; j <= records; ++j) {
        if (levelOf[size_t(j)] > highest)
            highest = vb::CInt(levelOf[size_t(j)]);
    }
    // A level no record stands on has nothing to insert.
    for (qint32 j = 1; j <= records; ++j) {
        const double level = levelOf[size_t(j)];
        if (level >= 0 && level <= highest && level == qint16(level))
            levelsToFill.insert(qint16(level));
    }

    Composer composer(host, lists.at(1));
    for (const qint16 level : levelsToFill) {
        composer.forgetList();
        for (qint32 j = 1; j <= records; ++j) {
            const double recordLevel = levelOf[size_t(j)];
            if (recordLevel > level)
                continue;
            if (recordLevel < level) {
                // A record of the level above: what was gathered belongs to its predecessor.
                composer.insertLevelText();
                continue;
            }
            const QString list = lists.at(j);
            if (composer.previousList().isEmpty()) {
                composer.changeList(list);
            } else if (composer.previousList() != list) {
                // Another list's entries: the gathered ones go in first; the
                // new list's words are fetched at its next entry.
                composer.insertLevelText();
                composer.forgetList();
            }
            composer.addEntry(descriptions.at(j), codes.at(j), letters.at(j));
            if (composer.insertsEachItem(list)) {
                composer.insertLevelText();
                composer.forgetList();
            }
        }
        composer.insertLevelText();
    }
    Ret_String = composer.text();
}

} // namespace viVavazuruv
