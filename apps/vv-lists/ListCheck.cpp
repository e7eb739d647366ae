#include "ListCheck.h"

#include <viVavazuruv/AutomationError.h>

#include <QHash>
#include <QMap>
#include <QSqlError>
#include <QSqlRecord>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace viVavazuruv::lists {

namespace {

using Severity = Finding::Severity;

// The picker window has levels 0 to 3.
constexpr int kLevels = 4;
constexpr int kEndless = 1 << 20;

struct Row {
    qint32 key = 0;
    QString group;
    QString description;
    bool title() const { return description.startsWith(kTitlePrefix); }
};

struct List {
    QString code; // as its first row spells it
    QList<Row> rows;
};

struct Variable {
    enum class Kind { AtEnd, Special, OpensList, HostFilled };
    Kind kind = Kind::HostFilled;
    QString written; // "|NAME"
    QString opens;   // the list code it opens
};

// A nested list one of a list's entries opens, and the first entry that does.
struct Edge {
    QString to; // list key
    qint32 key = 0;
};

class Checker {
public:
    explicit Checker(ReferenceHost& host) : m_host(host) { load(); }

    QList<Finding> check(const QStringList& codes) {
        QStringList wanted;
        for (const QString& code : codes) {
            const QString list = listKey(code);
            if (list.isEmpty())
                add(code, 0, Severity::Error, u"the list has no rows in this office"_s);
            else if (!wanted.contains(list))
                wanted << list;
        }
        if (codes.isEmpty())
            wanted = m_lists.keys();
        // Every list's entries are read, for the nested lists they open; only
        // the lists asked for are reported on.
        for (auto it = m_lists.cbegin(); it != m_lists.cend(); ++it) {
            m_reporting = wanted.contains(it.key());
            checkEntries(it.key());
        }
        m_reporting = true;
        for (const QString& list : std::as_const(wanted))
            checkNesting(list);
        std::stable_sort(m_findings.begin(), m_findings.end(), [](const Finding& a, const Finding& b) {
            const QString la = asciiLower(a.list), lb = asciiLower(b.list);
            return la != lb ? la < lb : a.key < b.key;
        });
        return m_findings;
    }

private:
    void load() {
        QSqlQuery q = selectRows(m_host, {});
        const QSqlRecord record = q.record();
        int code = -1, key = -1, group = -1, description = -1;
        for (int c = 0; c < record.count(); ++c) {
            const QString name = columnName(record.fieldName(c));
            for (auto [column, at] : {std::pair(&usrdef::kCode, &code),
                                      {&usrdef::kKey, &key},
                                      {&usrdef::kGroup, &group},
                                      {&usrdef::kDescription, &description}})
                if (name == *column)
                    *at = c;
        }
        while (q.next()) {
            const QString listCode = q.value(code).toString();
            List& list = m_lists[asciiLower(listCode)];
            if (list.rows.isEmpty())
                list.code = listCode;
            // Trimmed, as the window shows them.
            list.rows.append({q.value(key).toInt(), q.value(group).toString().trimmed(),
                              q.value(description).toString().trimmed()});
        }
        if (q.lastError().isValid())
            throw AutomationError(ErrorCode::DatabaseError,
                                  u"Reading the lists failed: %1"_s.arg(q.lastError().text()));
    }

    // The key of the list a code names, "" when it has no rows.
    QString listKey(const QString& code) const {
        for (const QString& key : {asciiLower(code), asciiLower(code.toUpper())})
            if (m_lists.contains(key))
                return key;
        return {};
    }

    void add(const QString& list, qint32 key, Severity severity, const QString& reason) {
        if (m_reporting)
            m_findings.append({list, key, severity, reason});
    }

    // The variables of a description, read as the window reads them.
    QList<Variable> variablesOf(const QString& description) {
        QList<Variable> variables;
        for (qsizetype at = description.indexOf(u'|'); at >= 0; at = description.indexOf(u'|', at + 1)) {
            const QStringView rest = QStringView(description).sliced(at + 1);
            qsizetype length = 0;
            while (length < rest.size() &&
                   (rest.at(length).isLetterOrNumber() || rest.at(length) == u'#' || rest.at(length) == u'?'))
                ++length;
            Variable v{Variable::Kind::HostFilled, u'|' + rest.left(length).toString(), {}};
            if (rest.isEmpty()) {
                v.kind = Variable::Kind::AtEnd;
            } else if (length == 0) {
                continue; // a bar in running text
            } else if ((rest.at(0) >= u'0' && rest.at(0) <= u'9') ||
                       std::any_of(kFilledWhereTheyStand.begin(), kFilledWhereTheyStand.end(),
                                   [&](const QString& name) { return rest.startsWith(name); })) {
                v.kind = Variable::Kind::Special;
            } else {
                const QString text = description.mid(at, 15);
                auto known = m_opens.constFind(text);
                if (known == m_opens.constEnd()) {
                    QString list;
                    m_host.PipeVariableList(text, list);
                    if (!list.isEmpty())
                        list = m_host.CodeListKey(u'|' + list);
                    known = m_opens.insert(text, list);
                }
                if (!known->isEmpty()) {
                    v.kind = Variable::Kind::OpensList;
                    v.opens = *known;
                }
            }
            variables.append(v);
        }
        return variables;
    }

    // The entries of one list, and the nested lists they open.
    void checkEntries(const QString& listKey) {
        const List& list = m_lists[listKey];
        const Row* firstTitle = nullptr;
        for (const Row& row : list.rows)
            if (row.title()) {
                firstTitle = &row;
                break;
            }
        const bool pipeSigns = firstTitle && firstTitle->group.toUpper() == u"*M"_s;
        bool anyVariable = false;
        QHash<QString, qint32> groups;
        for (const Row& row : list.rows) {
            if (row.title())
                continue;
            if (!row.group.isEmpty()) {
                const auto first = groups.constFind(row.group.toUpper());
                if (first != groups.constEnd())
                    add(list.code, row.key, Severity::Warning,
                        u"group %1 is also on key %2; a look-up finds only that one"_s.arg(row.group).arg(
                            *first));
                else
                    groups.insert(row.group.toUpper(), row.key);
            }
            for (const Variable& v : variablesOf(row.description)) {
                anyVariable = anyVariable || v.kind != Variable::Kind::AtEnd;
                switch (v.kind) {
                case Variable::Kind::AtEnd:
                    add(list.code, row.key, Severity::Error,
                        u"the description ends with a bar, which is never filled"_s);
                    break;
                case Variable::Kind::OpensList:
                    if (const QString to = this->listKey(v.opens); to.isEmpty())
                        add(list.code, row.key, Severity::Error,
                            u"%1 opens list %2, which has no rows"_s.arg(v.written, v.opens));
                    else
                        addEdge(listKey, to, row.key);
                    break;
                case Variable::Kind::HostFilled:
                    if (!pipeSigns)
                        add(list.code, row.key, Severity::Warning,
                            u"%1 opens no list and the list's first title line is not marked *M, so it is "
                            u"never shown as (?)"_s.arg(v.written));
                    break;
                case Variable::Kind::Special:
                    break;
                }
            }
        }
        if (pipeSigns && !anyVariable)
            add(list.code, firstTitle->key, Severity::Warning,
                u"the list is marked *M for pipe signs but no entry holds a variable"_s);
    }

    void addEdge(const QString& from, const QString& to, qint32 key) {
        QList<Edge>& edges = m_edges[from];
        if (std::none_of(edges.begin(), edges.end(), [&](const Edge& e) { return e.to == to; }))
            edges.append({to, key});
    }

    void checkNesting(const QString& listKey) {
        const List& list = m_lists[listKey];
        if (const QList<QString> loop = loopFrom(listKey); !loop.isEmpty()) {
            add(list.code, firstEdgeKey(listKey, loop.at(1)), Severity::Error,
                u"nested lists lead back to it: %1"_s.arg(chain(loop)));
            return;
        }
        if (depth(listKey) <= kLevels)
            return;
        QStringList path{listKey};
        while (path.size() <= kLevels && m_best.contains(path.last()))
            path << m_best[path.last()];
        const bool endless = depth(listKey) >= kEndless;
        add(list.code, firstEdgeKey(listKey, path.at(1)), Severity::Error,
            endless ? u"it opens nested lists that loop: %1"_s.arg(chain(path))
                    : u"it opens lists more than %1 levels deep: %2"_s.arg(kLevels).arg(chain(path)));
    }

    // The shortest way from a list back to itself through nested lists, the
    // list at both ends; empty when there is none.
    QList<QString> loopFrom(const QString& start) {
        QHash<QString, QString> cameFrom;
        QList<QString> queue{start};
        for (qsizetype i = 0; i < queue.size(); ++i) {
            for (const Edge& e : m_edges.value(queue.at(i))) {
                if (e.to == start) {
                    QList<QString> path{start};
                    for (QString at = queue.at(i); at != start; at = cameFrom.value(at))
                        path.prepend(at);
                    path.prepend(start);
                    return path;
                }
                if (!cameFrom.contains(e.to) && e.to != start) {
                    cameFrom.insert(e.to, queue.at(i));
                    queue.append(e.to);
                }
            }
        }
        return {};
    }

    // Levels a list opens counting itself; kEndless when it reaches a loop.
    int depth(const QString& list) {
        if (const auto known = m_depth.constFind(list); known != m_depth.constEnd())
            return *known;
        if (!loopFrom(list).isEmpty())
            return m_depth[list] = kEndless;
        int deepest = 0;
        for (const Edge& e : m_edges.value(list)) {
            const int d = depth(e.to);
            if (d > deepest) {
                deepest = d;
                m_best[list] = e.to;
            }
        }
        return m_depth[list] = std::min(kEndless, deepest + 1);
    }

    qint32 firstEdgeKey(const QString& from, const QString& to) const {
        for (const Edge& e : m_edges.value(from))
            if (e.to == to)
                return e.key;
        return 0;
    }

    QString chain(const QList<QString>& keys) const {
        QStringList codes;
        for (const QString& key : keys)
            codes << m_lists.value(key).code;
        return codes.join(u" > "_s);
    }

    inline static const QStringList kFilledWhereTheyStand{u"??"_s, u"T#"_s, u"CARIES"_s, u"MISSING"_s};

    ReferenceHost& m_host;
    QMap<QString, List> m_lists; // by the code's A-Z lower case
    QHash<QString, QString> m_opens;
    QHash<QString, QList<Edge>> m_edges;
    bool m_reporting = true;
    QHash<QString, int> m_depth;
    QHash<QString, QString> m_best; // the nested list that goes deepest
    QList<Finding> m_findings;
};

} // namespace

QString Finding::line() const {
    return u"%1\t%2\t%3\t%4"_s.arg(list).arg(key).arg(severity == Severity::Error ? u"error"_s : u"warning"_s,
                                                      reason);
}

QList<Finding> checkLists(ReferenceHost& host, const QStringList& codes) {
    return Checker(host).check(codes);
}

} // namespace viVavazuruv::lists
