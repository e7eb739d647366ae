// libFuzzer over the composition: arbitrary outputs and counts must never
// crash, hang or trip a sanitizer, and both what the composer gives and every
// host call it makes, in order and with every argument, must equal what a
// plain, slow reading of the rules gives and asks. The plain reading walks
// every level from 0 and builds each variable from the note with its space;
// like the composer it leaves all text work to the host: lines and levels cut
// by GetField and SplitText, typed breaks, join words (one entry mark at a
// time, count 1, from position 1) and fills through ReplaceVariable on whole
// texts. So join words that hold the entry mark or bars show the host's
// reading, not a local one. The composer's host reads and replaces as the
// reference host does, carrying on from its last call on a text; the plain
// reading's host starts from the beginning every time, so a place it kept
// wrongly shows as a difference too.
// Input: count, list codes, levels, descriptions, codes, letters, separated by
// the byte 0x1F; the rest of the texts as UTF-8. Anything after a seventh
// 0x1F gives the host text rules of its own.
#include <ado/VbStrings.h>
#include <compose/CodeStringComposer.h>
#include <refhost/TextRules.h>

#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using namespace viVavazuruv;

namespace {

const QChar kEntryEnd(1);

const QString kLineFeed = QStringLiteral("\n");

// One host call as the host received it: texts as they were before the call
// changed them, numbers as passed.
struct Call {
    Call(const char* operation, QString text, QString second = {}, QString third = {}, qint32 first = 0,
         qint32 next = 0, qint32 last = 0)
        : operation(operation), text(std::move(text)), second(std::move(second)), third(std::move(third)),
          first(first), next(next), last(last) {}

    const char* operation;
    QString text, second, third;
    qint32 first, next, last;

    bool operator==(const Call& other) const {
        return std::string_view(operation) == other.operation && text == other.text &&
               second == other.second && third == other.third && first == other.first && next == other.next &&
               last == other.last;
    }
    std::string shown() const {
        QString out = QString::fromLatin1(operation) + u'(';
        for (const QString* t : {&text, &second, &third}) {
            out += u'"';
            for (const QChar c : *t)
                out += c.unicode() < 0x20
                           ? QStringLiteral("\\x%1").arg(uint(c.unicode()), 2, 16, QLatin1Char('0'))
                           : QString(c);
            out += QStringLiteral("\", ");
        }
        return (out + QStringLiteral("%1, %2, %3)").arg(first).arg(next).arg(last)).toStdString();
    }
};

// A host whose answers follow from the texts alone, with join words that hold
// bars, entry marks and carets, and lists named like the variables that only
// look like them. Its text services are the reference host's, or, with rules
// of its own, ones whose pieces lose a closing carriage return and whose
// replacements go in upper case. Remembering, it reads and replaces as the
// reference host does, on from where its last call on the same text ended;
// otherwise by the plain rules, from the start each time.
class FuzzHost final : public IHostServices {
public:
    explicit FuzzHost(bool ownRules) : m_ownRules(ownRules) {}

    void setRemembering(bool remembering) { m_remembering = remembering; }

    // What the host was asked since the log was last taken.
    std::vector<Call> takeCalls() { return std::exchange(m_calls, {}); }

    QString GetField(const QString& Text, const QString& Separator, qint16 Index, qint16 Reserved) override {
        m_calls.push_back({"GetField", Text, Separator, {}, Index, Reserved});
        return piece(m_remembering ? m_fields.fieldAt(Text, Separator, Index)
                                   : refhost::fieldAt(Text, Separator, Index));
    }
    void SplitText(const QString& Text, const QString& Separator, QStringList& Pieces,
                   qint16& Count) override {
        m_calls.push_back({"SplitText", Text, Separator});
        Pieces = refhost::splitPieces(Text, Separator);
        for (QString& p : Pieces)
            p = piece(p);
        Count = qint16(Pieces.size());
    }
    void PipeVariableList(const QString& VariableText, QString& ListCode) override {
        m_calls.push_back({"PipeVariableList", VariableText});
        QString name;
        for (qsizetype i = 1; i < VariableText.size(); ++i) {
            const QChar c = VariableText.at(i);
            if (!c.isLetterOrNumber() && c != u'#' && c != u'?')
                break;
            name += c;
        }
        name = name.toUpper();
        if (name == QLatin1String("SU"))
            ListCode = QStringLiteral("SURFACE");
        else if (name == QLatin1String("TN"))
            ListCode = QStringLiteral("TOOTH#");
        else if (name.startsWith(u'Z'))
            ListCode.clear();
        else if (name.startsWith(u'L'))
            ListCode = QLatin1Char(' ') + name; // a code with a blank, looked up as given
        else
            ListCode = name;
    }
    void ListJoinWords(const QString& ListCode, QString& Between, QString& BeforeLast, QString& AfterLast,
                       QString& CodeJoin) override {
        m_calls.push_back({"ListJoinWords", ListCode});
        static const char* const words[][4] = {
            {",", " and", ".", " "}, {"", "", "", ""}, {"|A", "\x01", "^", "|??"}, {" or", " or", "!", "/"}};
        const auto* w = words[sum(ListCode) % 4];
        Between = QString::fromLatin1(w[0]);
        BeforeLast = QString::fromLatin1(w[1]);
        AfterLast = QString::fromLatin1(w[2]);
        CodeJoin = QString::fromLatin1(w[3]);
    }
    bool InsertEachItem(const QString& ListCode) override {
        m_calls.push_back({"InsertEachItem", ListCode});
        return ListCode.size() % 3 == 0;
    }
    void ReplaceVariable(QString& Text, const QString& Find, const QString& Replacement, qint16 Count,
                         qint32 Start, qint16 Reserved) override {
        m_calls.push_back({"ReplaceVariable", Text, Find, Replacement, Count, Start, Reserved});
        const QString replacement = m_ownRules ? Replacement.toUpper() : Replacement;
        if (m_remembering)
            m_replacer.replace(Text, Find, replacement, Count, Start);
        else
            Text = refhost::replaceFrom(Text, Find, replacement, Count, Start);
    }

    [[noreturn]] static void unused() { std::abort(); }
    QSqlDatabase GetConnection() override { unused(); }
    QString TranslateSql(QString, qint16, qint16) override { unused(); }
    QString SqlValue(QString, bool, qint16, qint16) override { unused(); }
    qint32 GetOfficeMode() override { unused(); }
    qint32 GetOfficeID() override { unused(); }
    bool SaveRecord(qint16, const QString&, const QString&, qint32&, const QStringList&, const QStringList&,
                    bool) override {
        unused();
    }
    qint16 AskMessage(const QString&, const QString&, const QString&) override { unused(); }
    QString CaptionText(const QString&) override { unused(); }
    QString KeyPrefix() override { unused(); }
    QString CodeListKey(const QString&) override { unused(); }
    bool LetterColumnsOff() override { unused(); }
    bool CanModifyLists() override { unused(); }
    QString GetHostPath() override { unused(); }
    QString LayoutFileName(const QString&, const QString&) override { unused(); }
    void ReadOptionFlag(const QString&, qint16, QSqlDatabase*, qint16, qint16&) override { unused(); }
    void SetCurrentPatientID(qint32) override { unused(); }
    qint32 GetCurrentPatientID() override { unused(); }
    QString PatientLookup(qint32, QString&, QString&, QString&, QString&) override { unused(); }
    qint32 GetDefaultProvider() override { unused(); }
    void IsValidFeeType(qint16, bool&) override { unused(); }
    void ResetHostText(const QString&) override { unused(); }
    void NotifyHost(qint16) override { unused(); }

private:
    QString piece(QString text) const {
        if (m_ownRules && text.endsWith(u'\r'))
            text.chop(1);
        return text;
    }
    static unsigned sum(const QString& text) {
        unsigned total = 0;
        for (const QChar c : text)
            total += c.unicode();
        return total;
    }

    bool m_ownRules;
    bool m_remembering = false;
    refhost::FieldReader m_fields;
    refhost::TextReplacer m_replacer;
    std::vector<Call> m_calls;
};

// Line i of an output, as the host cuts it.
QString lineOf(IHostServices& host, const QString& text, qint32 i) {
    return host.GetField(text, kLineFeed, qint16(i), 0);
}

// Each record's level as text: the host's split pieces, and from the 100th on
// (when it gives that many, the last may stand for the rest) the level's line.
QStringList levelsOf(IHostServices& host, const QString& levels, qint32 count) {
    QStringList pieces;
    qint16 pieceCount = 0;
    host.SplitText(levels, kLineFeed, pieces, pieceCount);
    QStringList each;
    for (qint32 j = 1; j <= count; ++j) {
        if (pieceCount == 100 && j >= 100)
            each << lineOf(host, levels, j);
        else
            each << (j <= pieceCount ? pieces.value(j - 1) : QString());
    }
    return each;
}

// The rules read word for word: every level from 0, every search from the
// start. tooDeep: a level so deep that walking every level up to it would
// take too long; nothing is composed then.
QString plainCompose(IHostServices& host, const QString& lists, const QString& levelLines,
                     const QString& descriptions, const QString& codes, const QString& letters, qint32 count,
                     bool& tooDeep) {
    if (lists.isEmpty())
        return {};
    const QStringList levels = levelsOf(host, levelLines, count);
    for (const QString& level : levels) {
        if (vb::Val(level) > 64) {
            tooDeep = true;
            return {};
        }
    }
    qint16 highest = 0;
    for (qint32 j = 1; j <= count; ++j) {
        if (vb::Val(levels.at(j - 1)) > highest)
            highest = vb::CInt(vb::Val(levels.at(j - 1)));
    }
    QString result = lineOf(host, lists, 1);
    QString levelText, between, beforeLast, afterLast, codeJoin;
    qint32 entries = 0;
    const auto insert = [&] {
        if (levelText.isEmpty())
            return;
        host.ReplaceVariable(levelText, QString(QChar(2)), QStringLiteral("\r\n"), 0, 1, 0);
        // The mark after entry k is the first one left when its word goes in.
        for (qint32 k = 1; k <= entries; ++k)
            host.ReplaceVariable(levelText, QString(kEntryEnd),
                                 k <= entries - 2   ? between
                                 : k == entries - 1 ? beforeLast
                                                    : afterLast,
                                 1, 1, 0);
        const QString searched = result + QLatin1Char(' ');
        for (qsizetype p = searched.indexOf(u'|'); p >= 0; p = searched.indexOf(u'|', p + 1)) {
            const QString v = searched.mid(p, 15);
            std::optional<QString> find;
            for (const char* named : {"|??", "|T#", "|CARIES", "|MISSING"}) {
                if (!find && v.startsWith(QLatin1String(named)))
                    find = QString::fromLatin1(named);
            }
            if (!find) {
                QString list;
                host.PipeVariableList(v, list);
                const QString trimmed = vb::Trim(list);
                if (!trimmed.isEmpty() && trimmed != QLatin1String("SURFACE") &&
                    trimmed != QLatin1String("TOOTH#"))
                    find = QLatin1Char('|') + list.toUpper();
            }
            if (find) {
                host.ReplaceVariable(result, *find, levelText, 1, 1, 0);
                break;
            }
        }
        levelText.clear();
        entries = 0;
    };
    for (qint32 level = 0; level <= highest; ++level) {
        QString previous;
        for (qint32 j = 1; j <= count; ++j) {
            const double own = vb::Val(levels.at(j - 1));
            if (own > level)
                continue;
            if (own < level) {
                insert();
                continue;
            }
            const QString list = lineOf(host, lists, j);
            if (previous.isEmpty()) {
                host.ListJoinWords(list, between, beforeLast, afterLast, codeJoin);
                previous = list;
            } else if (previous != list) {
                insert();
                previous.clear();
            }
            QString d = vb::Trim(lineOf(host, descriptions, j));
            if (!codeJoin.isEmpty()) {
                for (const QString& extra :
                     {vb::Trim(lineOf(host, codes, j)), vb::Trim(lineOf(host, letters, j))}) {
                    if (!extra.isEmpty())
                        d += codeJoin + extra;
                }
            }
            while (d.startsWith(u'-'))
                d.remove(0, 1);
            d.replace(u'^', QStringLiteral("\r\n"));
            ++entries;
            levelText = vb::LTrim(levelText + QLatin1Char(' ') + d + kEntryEnd);
            if (host.InsertEachItem(list)) {
                insert();
                previous.clear();
            }
        }
        insert();
    }
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QStringList parts =
        QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)).split(QChar(0x1F));
    // Counts beyond the lines only add empty records; a few hundred say all.
    const auto count = qint16(std::clamp(parts.value(0).toInt(), -4, 400));
    FuzzHost host(parts.size() > 6);
    host.setRemembering(true);
    VbArray<QString> composeParts;
    QString composed;
    std::optional<QString> fast, plain;
    try {
        Compose_Code_String(host, composeParts, composed, parts.value(1), parts.value(2), parts.value(3),
                            parts.value(4), parts.value(5), {}, count);
        fast = composed;
    } catch (const AutomationError&) {
        // A level too large for 16 bits is refused, as a host would see it.
    }
    const std::vector<Call> fastCalls = host.takeCalls();
    host.setRemembering(false);
    bool tooDeep = false;
    try {
        plain = plainCompose(host, parts.value(1), parts.value(2), parts.value(3), parts.value(4),
                             parts.value(5), std::max<qint32>(count, 0), tooDeep);
    } catch (const AutomationError&) {
    }
    if (tooDeep)
        return 0;
    const std::vector<Call> plainCalls = host.takeCalls();
    if (fast != plain) {
        std::fprintf(stderr, "composed:\n  %s\nthe rules give:\n  %s\n",
                     fast ? qPrintable(*fast) : "(an error)", plain ? qPrintable(*plain) : "(an error)");
        std::abort();
    }
    for (size_t i = 0; i < std::max(fastCalls.size(), plainCalls.size()); ++i) {
        if (i < fastCalls.size() && i < plainCalls.size() && fastCalls[i] == plainCalls[i])
            continue;
        std::fprintf(stderr, "host call %zu differs:\n  composer: %s\n  the rules: %s\n", i + 1,
                     i < fastCalls.size() ? fastCalls[i].shown().c_str() : "(none)",
                     i < plainCalls.size() ? plainCalls[i].shown().c_str() : "(none)");
        std::abort();
    }
    return 0;
}
