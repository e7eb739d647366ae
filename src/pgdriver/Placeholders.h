#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace viVavazuruv::pgdriver {

// A prepared statement's text as the server takes it: the `?` placeholders
// callers write (or `:name` ones, when there is no `?`) become $1..$n.
// Quoted strings, quoted identifiers, dollar quotes and comments are left
// alone, as are `::` casts, so nothing in them is taken for a placeholder.
class Placeholders {
public:
    static Placeholders rewrite(QStringView sql);

    const QString& text() const { return m_text; }
    // How many $n the text holds.
    int count() const { return m_count; }
    // Named text: the name (without ':') each $n stands for, in order;
    // repeated names share one $n. Empty for positional text.
    const QStringList& names() const { return m_names; }
    bool named() const { return !m_names.isEmpty(); }

private:
    QString m_text;
    int m_count = 0;
    QStringList m_names;
};

} // namespace viVavazuruv::pgdriver
