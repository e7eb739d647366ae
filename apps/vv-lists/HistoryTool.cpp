#include "HistoryTool.h"

#include "Csv.h"
#include "TextOutput.h"

using namespace Qt::StringLiterals;

namespace viVavazuruv::lists {

qint64 writeHistory(ListHistory& history, const ChangeFilter& filter, FileFormat format, QIODevice& out) {
    history.seal();
    static const QStringList names{u"change"_s, u"at"_s,   u"user"_s, u"workstation"_s, u"office"_s,
                                   u"action"_s, u"list"_s, u"key"_s,  u"before"_s,      u"after"_s};
    Output output(out);
    QString& text = output.text();
    text += format == FileFormat::Csv ? names.join(u',') + u"\r\n"_s : u"["_s;
    qint64 count = 0;
    history.changes(filter, [&](const ListChange& c) {
        const QStringList values{QString::number(c.change),
                                 c.at,
                                 c.user,
                                 c.workstation,
                                 QString::number(c.office),
                                 c.action,
                                 c.list,
                                 QString::number(c.key),
                                 c.before,
                                 c.after};
        if (format == FileFormat::Csv) {
            appendCsvRecord(text, values.size(), [&](qsizetype i) { return values.at(i); });
        } else {
            text += count == 0 ? u"\n{"_s : u",\n{"_s;
            for (qsizetype i = 0; i < values.size(); ++i) {
                if (i > 0)
                    text += u", "_s;
                appendJsonString(text, names.at(i));
                text += u": "_s;
                if (names.at(i) == u"change"_s || names.at(i) == u"office"_s || names.at(i) == u"key"_s)
                    text += values.at(i);
                else if (i >= 8) // the rows are JSON already, as the database wrote them
                    text += values.at(i).isEmpty() ? u"null"_s : values.at(i);
                else
                    appendJsonString(text, values.at(i));
            }
            text += u'}';
        }
        ++count;
        output.flushIfFull();
    });
    if (format == FileFormat::Json)
        text += count == 0 ? u"]\n"_s : u"\n]\n"_s;
    output.flush();
    return count;
}

} // namespace viVavazuruv::lists
