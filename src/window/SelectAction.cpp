// The OK button: chosen rows become the selection records the window returns.
#include "wkDatabases_Form.h"

#include <ado/VbStrings.h>
#include <core/RequestState.h>
#include <grid/GridControl.h>

#include <QPointer>
#include <QScopedValueRollback>

namespace viVavazuruv {

// What one press of OK is doing: go on, go on without telling about title
// lines (the multi-selection fall-back), or a title line was refused.
enum class wkDatabases_Form::SelectStatus { Proceed, Quiet, Refused };

void wkDatabases_Form::Pipsign_Not_Support() {
    dialogs().MessageBox(QStringLiteral("Pipe sign variables are not supported in this area.\r\n\r\n"
                                        "Therefore, the variable will appear as shown."),
                         MsgBox::Information, QStringLiteral("User Definded Database"));
}

void wkDatabases_Form::cmd_Select_Click(qint16 Index) {
    if (!UserAction)
        return;
    QPointer<wkDatabases_Form> alive(this);
    SelectStatus status = SelectStatus::Proceed;
    QString information;
    IGridControl& grid = level(Index).grid();

    const auto activeRowInRange = [&] {
        const qint32 active = grid.ActiveRow();
        return active >= 0 && active <= grid.MaxRows() ? active : -1;
    };

    if (m_request.MultiSelect) {
        qint32 counted = 0;
        qint32 row = 0;
        while ((row = grid.NextSelectedRow(row)) > 0) {
            recordSelectedRow(Index, row, status, information);
            if (!alive || Closing)
                return;
            ++counted;
        }
        if (counted == 0) {
            status = SelectStatus::Quiet;
            const qint32 active = activeRowInRange();
            if (active >= 0) {
                grid.setRow(active);
                recordSelectedRow(Index, active, status, information);
            }
        }
    } else {
        const qint32 active = activeRowInRange();
        if (active >= 0) {
            grid.setRow(active);
            recordSelectedRow(Index, active, status, information);
        }
    }
    if (!alive || status == SelectStatus::Refused || Closing)
        return;
    cmd_Cancel_Click(Index);
}

void wkDatabases_Form::recordSelectedRow(qint16 Index, qint32 Row, SelectStatus& status,
                                         QString& information) {
    IGridControl& grid = level(Index).grid();
    SelectionRecord record;
    QString description;
    if (Row > 0) {
        grid.setRow(Row);
        const qint32 dataColumns = grid.MaxCols() - 1;
        for (qint32 c = 1; c <= dataColumns; ++c) {
            grid.setCol(c);
            const QString text = vb::Trim(grid.Text());
            if (c == 2) {
                if (text.startsWith(TitleLinePrefix)) {
                    if (status != SelectStatus::Quiet)
                        dialogs().MessageBox(
                            QStringLiteral(" Lines with ($-) symbol is a title line. Try again. "),
                            MsgBox::Exclamation, QStringLiteral(" User Defined Database"));
                    status = SelectStatus::Refused;
                    return;
                }
                description = text;
            }
            record.columns << text;
        }
    }
    record.listCode = vb::Trim(vb::Mid(m_request.FrameCaptions.at(Index), 12));
    record.level = Index;
    m_selection.push_back(std::move(record));
    scanPlaceholders(Index, description, information);
}

void wkDatabases_Form::appendPlaceholderRecord(qint16 Index, const QString& placeholder,
                                               const QString& information) {
    // Lined up with a row's record: the information text in place of a description.
    SelectionRecord record;
    record.columns = QStringList{QString(), information, QString(), QString(), QString(), QString()};
    record.listCode = placeholder;
    record.level = qint16(Index + 1);
    m_selection.push_back(std::move(record));
}

void wkDatabases_Form::scanPlaceholders(qint16 Index, QString description, QString& information) {
    QPointer<wkDatabases_Form> alive(this);
    int position = 1;
    // A window that is closing (the title bar, an error in a nested level)
    // asks nothing more, records nothing more and opens no further list.
    while (alive && !Closing) {
        const int p = vb::InStr(position, description + QLatin1Char(' '), QStringLiteral("|"));
        if (p == 0)
            return;
        if ((m_request.WindowOptions + QLatin1Char(' ')).contains(QStringLiteral("NOPIPSIGN"))) {
            Pipsign_Not_Support();
            return;
        }
        const QString after = vb::Mid(description, p + 1);
        if (after.startsWith(QStringLiteral("??"))) {
            information = dialogs().InputBox(description, QStringLiteral("Enter information"), QString());
            if (!alive || Closing)
                return; // closed while the question was open
            position = p + 1;
            if (information.isEmpty())
                information = QStringLiteral("N/A");
            host().ReplaceVariable(description, QStringLiteral("|??"), information, 1, p, 0);
            if (information == QLatin1String("N/A"))
                information.clear();
            // Typed line breaks travel inside one field as character 2.
            host().ReplaceVariable(information, QStringLiteral("\r\n"), QString(QChar(2)), 0, 1, 0);
            appendPlaceholderRecord(Index, QStringLiteral("|??"), information);
            continue;
        }
        QString dental;
        for (const QString& name :
             {QStringLiteral("T#"), QStringLiteral("CARIES"), QStringLiteral("MISSING")}) {
            if (after.startsWith(name)) {
                dental = QLatin1Char('|') + name;
                break;
            }
        }
        if (!dental.isEmpty()) {
            appendPlaceholderRecord(Index, dental, information);
            position = p + 1;
            if (!information.isEmpty())
                information = QStringLiteral("N/A");
            host().ReplaceVariable(description, dental, information, 1, p, 0);
            continue;
        }
        bool skipped = false;
        for (const QString& name : {QStringLiteral("REST"), QStringLiteral("PERI"), QStringLiteral("CARI"),
                                    QStringLiteral("REFOUT")}) {
            if (after.startsWith(name)) {
                skipped = true;
                break;
            }
        }
        if (!skipped) {
            QString listCode;
            host().PipeVariableList(vb::Mid(description, p, 15), listCode);
            if (!listCode.isEmpty()) {
                Open_Database_Level(Index, QLatin1Char('|') + listCode);
                // The user works in the nested level; its Close re-enables this
                // grid. Its keys are the user's next keys, not ones arriving
                // during this key's handling, so they are let through meanwhile.
                const QScopedValueRollback keysFree(KeyBusy, false);
                while (alive && !Closing && !level(Index).grid().Enabled())
                    host().NotifyHost(1);
            }
        }
        position = p + 1;
    }
}

} // namespace viVavazuruv
