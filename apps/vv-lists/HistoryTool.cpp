#include "HistoryTool.h"

#include "Csv.h"
#include "TextOutput.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace viVavazuruv::lists {

namespace {

// One JSON value as Qt writes it: an array of one, brackets taken off.
QString jsonValueText(const QJsonValue& value) {
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.sliced(1, array.size() - 2));
}

// A stored row's text as JSON: null when there is none, the row itself when
// its text is one JSON object, else the text as a string.
QString rowJsonText(const QString& row) {
    if (row.isEmpty())
        return u"null"_s;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(row.toUtf8(), &error);
    if (error.error == QJsonParseError::NoError && document.isObject())
        return QString::fromUtf8(document.toJson(QJsonDocument::Compact));
    return jsonValueText(row);
}

} // namespace

qint64 writeHistory(ListHistory& history, const ChangeFilter& filter, FileFormat format, QIODevice& out) {
    history.seal();
    static const QStringList names{u"change"_s, u"at"_s,     u"user"_s,   u"workstation"_s,
                                   u"office"_s, u"action"_s, u"list"_s,   u"key"_s,
                                   u"before"_s, u"after"_s,  u"account"_s};
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
                                 c.after,
                                 c.account};
        if (format == FileFormat::Csv) {
            appendCsvRecord(text, values.size(), [&](qsizetype i) { return values.at(i); });
        } else {
            // Every value through Qt's JSON classes, keys in this order; a
            // row is the JSON its text holds, re-written, and text that is
            // not a JSON row stays a string: nothing a stored row holds can
            // add a key of its own.
            text += count == 0 ? u"\n{"_s : u",\n{"_s;
            for (qsizetype i = 0; i < values.size(); ++i) {
                if (i > 0)
                    text += u", "_s;
                text += jsonValueText(names.at(i)) + u": "_s;
                if (names.at(i) == u"change"_s || names.at(i) == u"office"_s || names.at(i) == u"key"_s)
                    text += jsonValueText(double(values.at(i).toLongLong()));
                else if (names.at(i) == u"before"_s || names.at(i) == u"after"_s)
                    text += rowJsonText(values.at(i));
                else
                    text += jsonValueText(values.at(i));
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

bool changesWaitForSeal(ReferenceHost& host) {
    QSqlQuery q(host.GetConnection());
    // A history taken away has nothing to seal; verify names what is missing.
    return q.exec(u"SELECT 1 FROM UsrDefHistory WHERE SealNo IS NULL LIMIT 1"_s) && q.next();
}

} // namespace viVavazuruv::lists
