// The chart note from a code-list request: each level's chosen entries,
// joined with their list's words, fill the variables of the level above.
#include "CodeStringComposer.h"

#include <ado/VbStrings.h>

#include <algorithm>
#include <set>
#include <vector>

namespace viVavazuruv {

namespace {

const QChar kEntryEnd(1); // ends each entry in a level's text until the join words replace it
const QString kEntryEndText(kEntryEnd);
const QString kTypedBreak(QChar(2)); // a line break typed into a "|??" answer
const QString kLineBreak = QStringLiteral("\r\n");
const QString kLineFeed = QStringLiteral("\n");
// What a variable is read as: the characters from its bar, the note followed by one space.
constexpr qsizetype kVariableLength = 15;
// Variables filled wherever they stand; any other one is filled only when it opens a list.
const QString kNamedVariables[] = {QStringLiteral("|??"), QStringLiteral("|T#"), QStringLiteral("|CARIES"),
                                   QStringLiteral("|MISSING")};
// The host's SplitText gives pieces 1 to 100 at most.
constexpr qint32 kMostPieces = 100;

struct Outputs {
    const QString& lists;
    const QString& descriptions;
    const QString& codes;
    const QString& letters;
};

class Composer {
public:
    Composer(IHostServices& host, const Outputs& outputs, QString& note)
        : m_host(host), m_out(outputs), m_note(note) {}

    void startLevel();
    // Record j stands on the level being filled.
    void addRecord(qint32 j);
    void insertLevelText();

private:
    QString line(const QString& output, qint32 j) { return m_host.GetField(output, kLineFeed, qint16(j), 0); }
    // The variable the level text replaces, as the host is to find it; "" when none.
    QString variableToFill();

    IHostServices& m_host;
    const Outputs& m_out;
    QString& m_note;
    QString m_levelText;
    qint32 m_entries = 0;
    QString m_previousList;
    // The host writes its words straight into these, as into the caller's own variables.
    QString m_between, m_beforeLast, m_afterLast, m_codeJoin;
    QString m_variable; // kept to reuse its buffer
};

void Composer::startLevel() {
    m_levelText.clear();
    m_entries = 0;
    m_previousList.clear();
}

void Composer::addRecord(qint32 j) {
    const QString list = line(m_out.lists, j);
    if (m_previousList.isEmpty()) {
        m_host.ListJoinWords(list, m_between, m_beforeLast, m_afterLast, m_codeJoin);
        m_previousList = list;
    } else if (m_previousList != list) {
        // Another list's entries: the gathered ones go in first; the new
        // list's words are fetched at the next record, so this entry still
        // takes the old list's code join.
        insertLevelText();
        m_previousList.clear();
    }
    QString entry = vb::Trim(line(m_out.descriptions, j));
    if (!m_codeJoin.isEmpty()) {
        const QString code = vb::Trim(line(m_out.codes, j));
        if (!code.isEmpty())
            entry += m_codeJoin + code;
        const QString letter = vb::Trim(line(m_out.letters, j));
        if (!letter.isEmpty())
            entry += m_codeJoin + letter;
    }
    qsizetype dashes = 0;
    while (dashes < entry.size() && entry.at(dashes) == QLatin1Char('-'))
        ++dashes;
    entry.remove(0, dashes);
    entry.replace(QLatin1Char('^'), kLineBreak);
    ++m_entries;
    m_levelText += QLatin1Char(' ');
    m_levelText += entry;
    m_levelText += kEntryEnd;
    // Only the start can hold blanks to remove, so only the start is looked at.
    qsizetype blanks = 0;
    while (blanks < m_levelText.size() && m_levelText.at(blanks) == QLatin1Char(' '))
        ++blanks;
    m_levelText.remove(0, blanks);
    if (m_host.InsertEachItem(list)) {
        insertLevelText();
        m_previousList.clear();
    }
}

QString Composer::variableToFill() {
    // The note is searched as if followed by one space; the space is never a
    // bar, so only a variable read at the very end shows it.
    const QStringView note(m_note);
    for (qsizetype bar = note.indexOf(QLatin1Char('|')); bar >= 0;
         bar = note.indexOf(QLatin1Char('|'), bar + 1)) {
        const QStringView read = note.mid(bar, kVariableLength);
        for (const QString& named : kNamedVariables) {
            if (read.startsWith(named))
                return named;
        }
        m_variable.resize(0);
        m_variable += read;
        if (read.size() < kVariableLength)
            m_variable += QLatin1Char(' ');
        QString list;
        m_host.PipeVariableList(m_variable, list);
        const QString trimmed = vb::Trim(list);
        // Surfaces and teeth are chosen where the variable stands, not from a list.
        if (!trimmed.isEmpty() && trimmed != QLatin1String("SURFACE") && trimmed != QLatin1String("TOOTH#"))
            return QLatin1Char('|') + list.toUpper();
    }
    return {};
}

void Composer::insertLevelText() {
    if (m_levelText.isEmpty())
        return;
    m_host.ReplaceVariable(m_levelText, kTypedBreak, kLineBreak, 0, 1, 0);
    // Each replacement takes the first mark left: the one after entry k.
    for (qint32 k = 1; k <= m_entries; ++k) {
        const QString& word = k <= m_entries - 2   ? m_between
                              : k == m_entries - 1 ? m_beforeLast
                                                   : m_afterLast;
        m_host.ReplaceVariable(m_levelText, kEntryEndText, word, 1, 1, 0);
    }
    const QString find = variableToFill();
    if (!find.isEmpty())
        m_host.ReplaceVariable(m_note, find, m_levelText, 1, 1, 0);
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
    for (qint32 j = 1; j <= records; ++j) {
        if (split == kMostPieces && j >= kMostPieces)
            ComposeParts(j) = host.GetField(Ret_Level, kLineFeed, qint16(j), 0);
        else if (j <= split)
            ComposeParts(j) = pieces.at(j - 1);
        levelOf[size_t(j)] = vb::Val(ComposeParts(j));
    }
    qint16 highest = 0;
    for (qint32 j = 1; j <= records; ++j) {
        if (levelOf[size_t(j)] > highest)
            highest = vb::CInt(levelOf[size_t(j)]);
    }
    // A level no record stands on asks the host nothing (its level text stays
    // empty), so only the levels records stand on are walked.
    std::set<qint16> levelsToFill{0};
    for (qint32 j = 1; j <= records; ++j) {
        const double level = levelOf[size_t(j)];
        if (level >= 0 && level <= highest && level == qint16(level))
            levelsToFill.insert(qint16(level));
    }

    Ret_String = host.GetField(Ret_DBName, kLineFeed, 1, 0);
    const Outputs outputs{Ret_DBName, Ret_Description, Ret_ADA, Ret_Letter};
    Composer composer(host, outputs, Ret_String);
    for (const qint16 level : levelsToFill) {
        composer.startLevel();
        for (qint32 j = 1; j <= records; ++j) {
            const double recordLevel = levelOf[size_t(j)];
            if (recordLevel > level)
                continue;
            if (recordLevel < level) {
                // A record of the level above: what was gathered belongs to its predecessor.
                composer.insertLevelText();
                continue;
            }
            composer.addRecord(j);
        }
        composer.insertLevelText();
    }
}

} // namespace viVavazuruv
