// libFuzzer over the composition: arbitrary outputs and counts must never
// crash, hang or trip a sanitizer, and the composed text must equal what a
// plain, slow reading of the rules gives (the composer splices in place and
// remembers the host's answers; this reading re-reads everything each time).
// Input: count, list codes, levels, descriptions, codes, letters, separated by
// the byte 0x1F; the rest of the texts as UTF-8.
#include <ado/VbStrings.h>
#include <compose/CodeStringComposer.h>

#include <QStringList>

#include <cstdint>
#include <cstdlib>
#include <optional>

using namespace viVavazuruv;

namespace {

const QChar kEntryEnd(1);

// A host whose answers follow from the texts alone, with join words that hold
// bars, entry marks and carets, and lists named like the variables that only
// look like them.
class FuzzHost final : public IHostServices {
public:
    void PipeVariableList(const QString& VariableText, QString& ListCode) override {
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
        static const char* const words[][4] = {
            {",", " and", ".", " "}, {"", "", "", ""}, {"|A", "\x01", "^", "|??"}, {" or", " or", "!", "/"}};
        const auto* w = words[sum(ListCode) % 4];
        Between = QString::fromLatin1(w[0]);
        BeforeLast = QString::fromLatin1(w[1]);
        AfterLast = QString::fromLatin1(w[2]);
        CodeJoin = QString::fromLatin1(w[3]);
    }
    bool InsertEachItem(const QString& ListCode) override { return ListCode.size() % 3 == 0; }
    void ReplaceVariable(QString& Text, const QString& Find, const QString& Replacement, qint16 Count,
                         qint32 Start, qint16) override {
        qsizetype at = std::max<qint32>(Start, 1) - 1;
        for (int done = 0; (Count <= 0 || done < Count) && !Find.isEmpty(); ++done) {
            at = Text.indexOf(Find, at);
            if (at < 0)
                break;
            Text.replace(at, Find.size(), Replacement);
            at += Replacement.size();
        }
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
    QString GetField(const QString&, const QString&, qint16, qint16) override { unused(); }
    void SplitText(const QString&, const QString&, QStringList&, qint16&) override { unused(); }
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
    static unsigned sum(const QString& text) {
        unsigned total = 0;
        for (const QChar c : text)
            total += c.unicode();
        return total;
    }
};

QString lineOf(const QString& text, qint32 i) {
    return text.isEmpty() ? QString() : text.split(u'\n').value(i - 1);
}

QString replaceFirst(QString text, const QString& find, const QString& by) {
    const qsizetype at = text.indexOf(find);
    if (at >= 0)
        text.replace(at, find.size(), by);
    return text;
}

// The rules read word for word: every level from 0, every search from the start.
QString plainCompose(IHostServices& host, const QString& lists, const QString& levels,
                     const QString& descriptions, const QString& codes, const QString& letters,
                     qint32 count) {
    if (lists.isEmpty())
        return {};
    qint16 highest = 0;
    for (qint32 j = 1; j <= count; ++j) {
        if (vb::Val(lineOf(levels, j)) > highest)
            highest = vb::CInt(vb::Val(lineOf(levels, j)));
    }
    QString result = lineOf(lists, 1);
    QString levelText, between, beforeLast, afterLast, codeJoin;
    qint32 entries = 0;
    const auto insert = [&] {
        if (levelText.isEmpty())
            return;
        host.ReplaceVariable(levelText, QString(QChar(2)), QStringLiteral("\r\n"), 0, 1, 0);
        QString joined;
        qint32 k = 0;
        for (const QChar c : levelText) {
            if (c == kEntryEnd && k < entries) {
                ++k;
                joined += k <= entries - 2 ? between : k == entries - 1 ? beforeLast : afterLast;
            } else {
                joined += c;
            }
        }
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
                result = replaceFirst(result, *find, joined);
                break;
            }
        }
        levelText.clear();
        entries = 0;
    };
    for (qint32 level = 0; level <= highest; ++level) {
        QString previous;
        for (qint32 j = 1; j <= count; ++j) {
            const double own = vb::Val(lineOf(levels, j));
            if (own > level)
                continue;
            if (own < level) {
                insert();
                continue;
            }
            const QString list = lineOf(lists, j);
            if (previous.isEmpty()) {
                host.ListJoinWords(list, between, beforeLast, afterLast, codeJoin);
                previous = list;
            } else if (previous != list) {
                insert();
                previous.clear();
            }
            QString d = vb::Trim(lineOf(descriptions, j));
            if (!codeJoin.isEmpty()) {
                if (!vb::Trim(lineOf(codes, j)).isEmpty())
                    d += codeJoin + vb::Trim(lineOf(codes, j));
                if (!vb::Trim(lineOf(letters, j)).isEmpty())
                    d += codeJoin + vb::Trim(lineOf(letters, j));
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
    FuzzHost host;
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
    bool fewLevels = true;
    for (qint32 j = 1; j <= count; ++j)
        fewLevels = fewLevels && vb::Val(lineOf(parts.value(2), j)) <= 64;
    if (!fewLevels)
        return 0; // the plain reading would walk every level up to the highest
    try {
        plain = plainCompose(host, parts.value(1), parts.value(2), parts.value(3), parts.value(4),
                             parts.value(5), std::max<qint32>(count, 0));
    } catch (const AutomationError&) {
    }
    if (fast != plain)
        std::abort();
    return 0;
}
