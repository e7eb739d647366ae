// Pipe-sign lists show their unresolved variables as "(?)".
#include "PipeSigns.h"

#include "wkDatabases_Form.h"

#include <ado/VbStrings.h>
#include <grid/GridControl.h>
#include <patient/PatientLoader.h>

namespace viVavazuruv {

namespace {
const QString kUnknown = QStringLiteral("(?)");
const QString kAskedAtSelection = QStringLiteral("|??");
} // namespace

QString ShowPipeVariables(QString text) {
    qsizetype bar = text.indexOf(QLatin1Char('|'));
    while (bar >= 0) {
        const QChar next = bar + 1 < text.size() ? text.at(bar + 1) : QChar();
        const bool digit = next >= QLatin1Char('0') && next <= QLatin1Char('9');
        const QString variable = vb::Trim(text.mid(bar, digit ? 4 : 3));
        qsizetype from = bar + variable.size();
        if (!digit && variable.size() == 3 && variable != kAskedAtSelection) {
            text = text.left(bar) + kUnknown + text.mid(bar + variable.size());
            from = bar + kUnknown.size();
        }
        bar = text.indexOf(QLatin1Char('|'), from);
    }
    return text;
}

void wkDatabases_Form::Pipsign_Replace(qint16 Level) {
    PickerLevel& lvl = level(Level);
    IGridControl& grid = lvl.grid();
    grid.setCol(lvl.DescriptionColumn);
    if (lvl.PipeSignLevel != PipeSignMode::ShowsVariables || PatientID == 0)
        return;
    // Loading the patient brings their provider and fee types up to date.
    Load_Patient_Record(host(), PatientID, Patient);
    const qint32 rows = grid.MaxRows();
    for (qint32 row = 1; row <= rows; ++row) {
        grid.setRow(row);
        grid.setText(ShowPipeVariables(grid.Text()));
    }
}

} // namespace viVavazuruv
