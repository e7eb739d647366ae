// The grid's right-click menu in edit mode: a letter or document file for a row.
#include "BusyGuard.h"
#include "ListColumns.h"
#include "wkDatabases_Form.h"

#include <core/Logging.h>
#include <core/RequestState.h>
#include <grid/GridControl.h>

namespace viVavazuruv {

namespace {
constexpr qint32 kHideReadOnly = 4;
} // namespace

void wkDatabases_Form::mnuPopUps_Click(qint16 Index) {
    // A second command while the first one's file dialog is up is ignored.
    const BusyGuard busy(m_menu.busy());
    if (!busy.entered())
        return;

    const qint32 row = m_menu.row();
    if (level(CurrentLevel).grid().GetText(ListColumn::Description, row).startsWith(TitleLinePrefix))
        return;
    try {
        switch (Index) {
        case GridMenu::SelectCodes:
            // Where the codes would come from is not part of this component:
            // the item is shown (enabled with the code column) and changes nothing.
            break;
        case GridMenu::SelectLetter:
            chooseLetterFile(row);
            break;
        default:
            break;
        }
    } catch (...) {
        // The menu's work is a convenience; a failing dialog or grid leaves the row as it was.
        logPassedOver(lcWindow, "a pop-up menu command", std::current_exception());
    }
}

void wkDatabases_Form::chooseLetterFile(qint32 row) {
    // The pointer stays an arrow: the only long part is the person choosing.
    const std::optional<QString> chosen =
        dialogs().OpenFile(host().GetHostPath() + QStringLiteral("WP"),
                           tr("Tavi Word Processor File (*.RTF)| *.RTF|Text File (*.txt)|*.txt|"
                              "Both File (*.RTF, *.txt)|*.RTF;*.txt"),
                           kHideReadOnly);
    if (!chosen)
        return;
    const QString name = chosen->toUpper();
    if (name.isEmpty())
        return;
    if (!name.contains(QStringLiteral(".RTF")) && !name.contains(QStringLiteral(".TXT"))) {
        dialogs().MessageBox(tr("Document file has to be TAVI word processor file or text file."
                                "\r\n\r\ni.e. files with extension '.RTF',  or '.TXT'"),
                             MsgBox::Information, tr("Document File"));
        return;
    }
    level(CurrentLevel).grid().SetText(ListColumn::Letter, row, name);
    uddbs_SS_CellChange(CurrentLevel, ListColumn::Letter, row);
}

} // namespace viVavazuruv
