// What a database address names: decoded by libpq itself, the host's own
// settings taken out first, and described without its password.
#include "DatabaseAddress.h"

#include <viVavazuruv/AutomationError.h>

#include <QCoreApplication>
#include <QRegularExpression>
#include <QUrl>

#include <libpq-fe.h>

#include <algorithm>
#include <iterator>
#include <memory>

using namespace Qt::StringLiterals;

namespace viVavazuruv::refhost {

namespace {

[[noreturn]] void connectionFailed(const QString& message) {
    throw AutomationError(ErrorCode::ConnectionError, message);
}

struct HostSetting {
    QStringView name;
    int DatabaseAddress::*field;
};

constexpr HostSetting kHostNumbers[] = {
    {u"statement_timeout", &DatabaseAddress::statementTimeoutMs},
    {u"lock_timeout", &DatabaseAddress::lockTimeoutMs},
};

// What the host asks of libpq unless the address, the environment or a
// service file says otherwise: a hung or unreachable server must cost the
// user seconds, not minutes.
struct LimitDefault {
    const char* keyword;
    const char* environment; // libpq's own variable for it, if any
    const char* value;
};

constexpr LimitDefault kLimitDefaults[] = {
    {"connect_timeout", "PGCONNECT_TIMEOUT", "5"},
    {"keepalives", nullptr, "1"},
    {"keepalives_idle", nullptr, "10"},
    {"keepalives_interval", nullptr, "3"},
    {"keepalives_count", nullptr, "3"},
    {"tcp_user_timeout", nullptr, "10000"},
};

void takeHostSetting(DatabaseAddress& t, const QString& name, const QString& value) {
    if (name == u"schema"_s) {
        static const QRegularExpression identifier(u"^[A-Za-z_][A-Za-z0-9_]{0,62}$"_s);
        if (!identifier.match(value).hasMatch())
            connectionFailed(QCoreApplication::translate(
                                 "HostConnection",
                                 "The schema name \"%1\" is not a plain name (letters, digits, underscores).")
                                 .arg(value));
        t.schema = value;
        return;
    }
    const auto number = std::find_if(std::begin(kHostNumbers), std::end(kHostNumbers),
                                     [&](const HostSetting& s) { return s.name == name; });
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok || n < 0 || n > 86400000 || value.isEmpty() || !value.at(0).isDigit())
        connectionFailed(
            QCoreApplication::translate("HostConnection",
                                        "The address setting \"%1\" takes a whole number from %2 to %3.")
                .arg(name, u"0"_s, u"86400000"_s));
    t.*number->field = n;
}

bool isHostSetting(const QString& name) {
    return name == u"schema"_s || std::any_of(std::begin(kHostNumbers), std::end(kHostNumbers),
                                              [&](const HostSetting& s) { return s.name == name; });
}

// A URI's query items that are the host's are taken out; the rest stays as
// written, for libpq to read (a host list does not survive a URL class).
QString withoutHostSettings(DatabaseAddress& t, const QString& uri) {
    const qsizetype mark = uri.indexOf(u'?');
    if (mark < 0)
        return uri;
    QStringList kept;
    for (const QString& item : uri.mid(mark + 1).split(u'&', Qt::SkipEmptyParts)) {
        const qsizetype equals = item.indexOf(u'=');
        const QString name = QUrl::fromPercentEncoding(item.left(equals).toUtf8());
        if (equals > 0 && isHostSetting(name))
            takeHostSetting(t, name, QUrl::fromPercentEncoding(item.mid(equals + 1).toUtf8()));
        else
            kept << item;
    }
    return kept.isEmpty() ? uri.left(mark) : uri.left(mark) + u'?' + kept.join(u'&');
}

// A keyword/value string as libpq reads it: keyword = value, the value bare
// up to a blank or in single quotes, backslash escaping either.
QString quotedValue(QString value) {
    value.replace(u'\\', u"\\\\"_s).replace(u'\'', u"\\'"_s);
    return u'\'' + value + u'\'';
}

QString withoutHostKeywords(DatabaseAddress& t, const QString& text) {
    QStringList kept;
    qsizetype i = 0;
    const auto blank = [&] {
        return i < text.size() && text.at(i).isSpace();
    };
    while (true) {
        while (blank())
            ++i;
        if (i >= text.size())
            break;
        const qsizetype start = i;
        while (i < text.size() && text.at(i) != u'=' && !text.at(i).isSpace())
            ++i;
        const QString name = text.mid(start, i - start);
        while (blank())
            ++i;
        if (i >= text.size() || text.at(i) != u'=')
            connectionFailed(
                QCoreApplication::translate("HostConnection",
                                            "The PostgreSQL address has \"%1\" without \"=\" and a value.")
                    .arg(name));
        ++i;
        while (blank())
            ++i;
        QString value;
        const bool quoted = i < text.size() && text.at(i) == u'\'';
        if (quoted)
            ++i;
        bool closed = !quoted;
        for (; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (!quoted && c.isSpace())
                break;
            if (quoted && c == u'\'') {
                ++i;
                closed = true;
                break;
            }
            if (c == u'\\' && i + 1 < text.size())
                value += text.at(++i);
            else
                value += c;
        }
        if (!closed)
            connectionFailed(
                QCoreApplication::translate(
                    "HostConnection", "The PostgreSQL address has an unterminated quoted value for \"%1\".")
                    .arg(name));
        if (isHostSetting(name))
            takeHostSetting(t, name, value);
        else
            kept << name + u'=' + quotedValue(value);
    }
    return kept.join(u' ');
}

using Options = std::unique_ptr<PQconninfoOption, decltype(&PQconninfoFree)>;

// The address for messages: a URI of what it names, the secrets left out,
// libpq's defaults (the PG* variables) shown where the address names nothing.
QString describe(const DatabaseAddress& t, const QHash<QByteArray, QByteArray>& given) {
    QHash<QByteArray, QString> shown;
    Options defaults(PQconndefaults(), &PQconninfoFree);
    for (const PQconninfoOption* o = defaults.get(); o && o->keyword; ++o)
        if (o->val && !given.contains("service"))
            shown.insert(o->keyword, QString::fromUtf8(o->val));
    for (auto it = given.begin(); it != given.end(); ++it)
        shown.insert(it.key(), QString::fromUtf8(it.value()));
    const auto encoded = [](const QString& text) {
        return QString::fromUtf8(QUrl::toPercentEncoding(text));
    };
    QString uri = u"postgresql://"_s;
    if (!shown.value("user").isEmpty())
        uri += encoded(shown.value("user")) + u'@';
    const QStringList hosts = shown.value("host").split(u',', Qt::SkipEmptyParts);
    const QStringList ports = shown.value("port").split(u','); // "5433," leaves the second to libpq
    QStringList query;
    const bool socket =
        std::any_of(hosts.begin(), hosts.end(), [](const QString& h) { return h.startsWith(u'/'); });
    if (socket) {
        query << u"host="_s + encoded(shown.value("host"));
        if (!ports.isEmpty())
            query << u"port="_s + encoded(shown.value("port"));
    } else {
        QStringList servers;
        for (qsizetype i = 0; i < hosts.size(); ++i) {
            const QString port = ports.size() == 1 ? ports.first() : ports.value(i);
            servers << (hosts.at(i).contains(u':') ? u'[' + hosts.at(i) + u']' : hosts.at(i)) +
                           (port.isEmpty() ? QString() : u':' + port);
        }
        uri += servers.join(u',');
    }
    uri += u'/' + encoded(shown.value("dbname"));
    for (const char* keyword : {"service", "sslmode", "target_session_attrs"})
        if (given.contains(keyword))
            query << QString::fromLatin1(keyword) + u'=' + encoded(shown.value(keyword));
    if (!t.schema.isEmpty())
        query << u"schema="_s + t.schema;
    return query.isEmpty() ? uri : uri + u'?' + query.join(u'&');
}

} // namespace

DatabaseAddress parseDatabaseAddress(const QString& rawUrl) {
    const QString url = rawUrl.trimmed();
    DatabaseAddress t;
    if (url.startsWith(u"sqlite:", Qt::CaseInsensitive)) {
        t.engine = ReferenceHost::Engine::SQLite;
        t.path = url.mid(7);
        if (t.path.startsWith(u"//"_s))
            t.path = t.path.mid(2); // sqlite:///abs/path
        if (t.path.isEmpty())
            connectionFailed(QCoreApplication::translate(
                "HostConnection", "The database address \"sqlite:\" names no database file."));
        t.description = u"sqlite:"_s + t.path;
        return t;
    }
    const bool uri = url.startsWith(u"postgresql://", Qt::CaseInsensitive) ||
                     url.startsWith(u"postgres://", Qt::CaseInsensitive);
    if (!uri && !url.contains(u'='))
        connectionFailed(QCoreApplication::translate(
            "HostConnection", "The database address must begin with \"sqlite:\" or \"postgresql://\", or be "
                              "PostgreSQL keywords and values (such as \"service=office\")."));
    t.engine = ReferenceHost::Engine::PostgreSQL;
    const QString forLibpq = uri ? withoutHostSettings(t, url) : withoutHostKeywords(t, url);

    char* error = nullptr;
    Options parsed(PQconninfoParse(forLibpq.toUtf8().constData(), &error), &PQconninfoFree);
    if (!parsed) {
        // libpq's text names the fault (an unknown keyword, a bad URI) but may quote the address.
        QString reason = error ? QString::fromUtf8(error).trimmed()
                               : QCoreApplication::translate("HostConnection", "out of memory");
        PQfreemem(error);
        const auto secret = [&] {
            const QUrl u(url);
            return u.password(QUrl::FullyDecoded);
        }();
        connectionFailed(withoutPassword(
            QCoreApplication::translate("HostConnection", "The PostgreSQL address is not valid: %1")
                .arg(reason),
            secret));
    }
    QHash<QByteArray, QByteArray> given;
    for (const PQconninfoOption* o = parsed.get(); o->keyword; ++o) {
        if (!o->val)
            continue;
        t.parameters.emplace_back(o->keyword, o->val);
        if (qstrcmp(o->dispchar, "*") == 0) {
            t.passwordInAddress = t.passwordInAddress || *o->val;
            if (qstrcmp(o->keyword, "password") == 0)
                t.password = QString::fromUtf8(o->val);
        } else {
            given.insert(o->keyword, o->val);
        }
    }
    // A service file's own limits stand; libpq lets a keyword given here win over it.
    if (!given.contains("service"))
        for (const LimitDefault& d : kLimitDefaults)
            if (!given.contains(d.keyword) && !(d.environment && qEnvironmentVariableIsSet(d.environment)))
                t.parameters.emplace_back(d.keyword, d.value);
    t.description = describe(t, given);
    return t;
}

// A driver's message with every copy of the password taken out.
QString withoutPassword(QString text, const QString& password) {
    if (!password.isEmpty())
        text.replace(password, u"********"_s);
    return text;
}

} // namespace viVavazuruv::refhost
