#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace viVavazuruv {

// One chosen row, as the picker window returns it: the row's grid columns as
// shown (trimmed), the list it was chosen from and the level it stood on. An
// answer the user typed for a "|??" in a description, and the mark a dental
// variable ("|T#", "|CARIES", "|MISSING") leaves, come as records of their
// own right after the row: their list code is the variable, their level the
// next one, and their description the typed text (empty for a mark).
//
// Callers read a record by field number, as hosts of the suite know them:
// fields 1 to n are the columns (1 group, 2 description, 3 flag, 4 code,
// 5 letter file name, 6 key), then the list code and the level. A record made
// without a row (the header was active) has no columns, so its list code and
// level are fields 1 and 2.
struct SelectionRecord {
    QStringList columns; // grid columns 1 to n
    QString listCode;
    qint16 level = 0;

    QString field(int i) const {
        const int n = int(columns.size());
        if (i >= 1 && i <= n)
            return columns.at(i - 1);
        if (i == n + 1)
            return listCode;
        if (i == n + 2)
            return QString::number(level);
        return {};
    }
    QString description() const { return field(2); }

    // The record as the host reads it: every field followed by a line feed,
    // the record ended by a carriage return.
    QString text() const {
        QString out;
        for (const QString& column : columns)
            out += column + QLatin1Char('\n');
        return out + listCode + QLatin1Char('\n') + QString::number(level) + QStringLiteral("\n\r");
    }
};

using Selection = std::vector<SelectionRecord>;

// What the window chose, as one text: the records one after the other.
inline QString SelectionResultText(const Selection& chosen) {
    QString out;
    for (const SelectionRecord& record : chosen)
        out += record.text();
    return out;
}

} // namespace viVavazuruv
