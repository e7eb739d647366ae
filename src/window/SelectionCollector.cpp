// Chosen rows become the selection records the window returns.
#include "SelectionCollector.h"

#include "ListColumns.h"
#include "MessageTitle.h"

#include <ado/VbStrings.h>
#include <grid/IGridControl.h>

namespace viVavazuruv {

SelectionCollector::SelectionCollector(IGridControl& grid, qint16 level, const PickerRequest& request,
                                       IHostServices& host, IDialogs& dialogs, Selection& selection,
                                       WindowHooks hooks)
    : m_grid(grid), m_level(level), m_request(request), m_host(host), m_dialogs(dialogs),
      m_selection(selection), m_hooks(std::move(hooks)) {}

bool SelectionCollector::collect() {
    IGridControl& grid = m_grid;
    const auto activeRowInRange = [&] {
        const qint32 active = grid.ActiveRow();
        return active >= 0 && active <= grid.MaxRows() ? active : -1;
    };

    if (m_request.MultiSelect) {
        qint32 counted = 0;
        qint32 row = 0;
        while ((row = grid.NextSelectedRow(row)) > 0) {
            recordRow(row);
            if (closing())
                return false;
            ++counted;
        }
        if (counted == 0) {
            m_status = Status::Quiet;
            const qint32 active = activeRowInRange();
            if (active >= 0) {
                grid.setRow(active);
                recordRow(active);
            }
        }
    } else {
        const qint32 active = activeRowInRange();
        if (active >= 0) {
            grid.setRow(active);
            recordRow(active);
        }
    }
    return !closing() && m_status != Status::Refused;
}

void SelectionCollector::recordRow(qint32 row) {
    IGridControl& grid = m_grid;
    SelectionRecord record;
    QString description;
    if (row > 0) {
        grid.setRow(row);
        const qint32 dataColumns = grid.MaxCols() - 1;
        for (qint32 c = 1; c <= dataColumns; ++c) {
            grid.setCol(c);
            const QString text = vb::Trim(grid.Text());
            if (c == ListColumn::Description) {
                if (text.startsWith(TitleLinePrefix)) {
                    if (m_status != Status::Quiet)
                        m_dialogs.MessageBox(tr(" Lines with ($-) symbol is a title line. Try again. "),
                                             MsgBox::Exclamation, ListMessageTitle());
                    m_status = Status::Refused;
                    return;
                }
                description = text;
            }
            record.columns << text;
        }
    }
    record.listCode = vb::Trim(vb::Mid(m_request.FrameCaptions.at(m_level), 12));
    record.level = m_level;
    m_selection.push_back(std::move(record));
    scanPlaceholders(description);
}

void SelectionCollector::appendPlaceholder(const QString& placeholder) {
    // Lined up with a row's record: the information text in place of a description.
    SelectionRecord record;
    record.columns = QStringList{QString(), m_information, QString(), QString(), QString(), QString()};
    record.listCode = placeholder;
    record.level = qint16(m_level + 1);
    m_selection.push_back(std::move(record));
}

void SelectionCollector::scanPlaceholders(QString description) {
    QString& information = m_information;
    int position = 1;
    // A window that is closing (the title bar, an error in a nested level)
    // asks nothing more, records nothing more and opens no further list.
    while (!closing()) {
        const int p = vb::InStr(position, description + QLatin1Char(' '), QStringLiteral("|"));
        if (p == 0)
            return;
        if ((m_request.WindowOptions + QLatin1Char(' ')).contains(QStringLiteral("NOPIPSIGN"))) {
            m_hooks.pipeSignsNotSupported();
            return;
        }
        const QString after = vb::Mid(description, p + 1);
        if (after.startsWith(QStringLiteral("??"))) {
            information = m_dialogs.InputBox(description, tr("Enter information"), QString());
            if (closing())
                return; // closed while the question was open
            position = p + 1;
            if (information.isEmpty())
                information = QStringLiteral("N/A");
            m_host.ReplaceVariable(description, QStringLiteral("|??"), information, 1, p, 0);
            if (information == QLatin1String("N/A"))
                information.clear();
            // Typed line breaks travel inside one field as character 2.
            m_host.ReplaceVariable(information, QStringLiteral("\r\n"), QString(QChar(2)), 0, 1, 0);
            appendPlaceholder(QStringLiteral("|??"));
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
            appendPlaceholder(dental);
            position = p + 1;
            if (!information.isEmpty())
                information = QStringLiteral("N/A");
            m_host.ReplaceVariable(description, dental, information, 1, p, 0);
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
            m_host.PipeVariableList(vb::Mid(description, p, 15), listCode);
            if (!listCode.isEmpty())
                m_hooks.openNestedList(QLatin1Char('|') + listCode);
        }
        position = p + 1;
    }
}

} // namespace viVavazuruv
