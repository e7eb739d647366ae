// The dental code list: its entry point, which returns every chosen record
// line by line, and the composition of those lines into the chart note.
#include "PickerWindow.h"

#include <ado/VbStrings.h>
#include <compose/CodeStringComposer.h>
#include <viVavazuruv/wkDatabases.h>

namespace viVavazuruv {

namespace {
const QString kLineEnd = QStringLiteral("\n");
const QString kFieldEnd = QString(SelectionRecord::FieldEnd);
constexpr qint16 kDescriptionWidth = 40;
constexpr qint16 kCodeWidth = 8;
constexpr qint16 kLetterWidth = 15;
} // namespace

void wkDatabases::UDDBS_Cds_Qrp(QString& Code, qint16& Mod_Flag, QString& DBName, QString& Level,
                                QString& Desc, QString& Ada, QString& Letter, QString& id,
                                qint16& nUDDBS_Selected, float& WTop, float& WLeft, qint32& Pat_ID,
                                bool* ShowCode, bool* ShowLetter) {
    asAutomationErrors([&] {
        RequestState& state = RequestState::instance();
        IHostServices& host = state.Host();
        state.ResetColumns();
        host.SetCurrentPatientID(Pat_ID);
        // Only code-list windows remember their size and place.
        state.KeepWindowLayout = true;
        state.MultiSelect = !Code.startsWith(QStringLiteral("||"));
        if (!state.MultiSelect)
            Code.remove(0, 1);
        state.DatabaseCode = host.CodeListKey(Code);
        state.SetWindowPosition(WTop, WLeft);
        qint16 fields = 6;
        state.InitFieldNames(fields);
        state.ColumnCaptions(1) = QStringLiteral("Gp");
        state.ColumnWidths(1) = 3;
        state.ColumnCaptions(2) = QStringLiteral("Description");
        state.ColumnWidths(2) = kDescriptionWidth;
        bool showCode = ShowCode && *ShowCode;
        bool showLetter = ShowLetter && *ShowLetter;
        if (host.LetterColumnsOff()) {
            showCode = showLetter = false;
            if (ShowCode)
                *ShowCode = false;
            if (ShowLetter)
                *ShowLetter = false;
        }
        if (showCode) {
            state.ColumnCaptions(4) = QStringLiteral("Code");
            state.ColumnWidths(4) = kCodeWidth;
        }
        if (showLetter) {
            state.ColumnCaptions(5) = QStringLiteral("Letter File Name");
            state.ColumnWidths(5) = kLetterWidth;
        }
        state.WindowCaption = QStringLiteral("User Defined Data Base");
        state.FrameCaptions.at(0) = QStringLiteral("Database = ") + Code;
        state.SortKeys.Redim(2);
        state.SortKeyOrders.Redim(2);
        for (int k = 1; k <= 2; ++k) {
            state.SortKeys(k) = qint16(k);
            state.SortKeyOrders(k) = SortOrder::Ascending;
        }
        state.WindowOptions =
            host.CanModifyLists() || Mod_Flag != 0 ? QString() : QStringLiteral("NOADD,NODELETE");
        state.SelectionResult.clear();
        {
            PickerWindow window(state);
            window.showModal();
        }

        DBName.clear();
        Level.clear();
        Desc.clear();
        id.clear();
        Ada.clear();
        Letter.clear();
        nUDDBS_Selected = 0;
        // The host may have put another GIC while the window was up.
        IHostServices& hostNow = state.Host();
        QString& records = state.SelectionResult;
        while (!vb::Trim(records).isEmpty()) {
            nUDDBS_Selected = vb::CInt(double(nUDDBS_Selected) + 1);
            const auto field = [&](qint16 index) {
                return hostNow.GetField(records, kFieldEnd, index, 0) + kLineEnd;
            };
            Desc += field(2);
            if (showCode)
                Ada += field(4);
            if (showLetter)
                Letter += field(5);
            id += field(6);
            DBName += field(7);
            Level += field(8);
            const qsizetype end = records.indexOf(SelectionRecord::RecordEnd);
            if (end >= 0)
                records.remove(0, end + 1);
            else
                records.clear();
        }
    });
}

void wkDatabases::Cds_Qrp_Compose(QString& Ret_String, QString& Ret_DBName, QString& Ret_Level,
                                  QString& Ret_Description, QString& Ret_ADA, QString& Ret_Letter,
                                  QString& Ret_ID, qint16& nUDDBS_Selected) {
    asAutomationErrors([&] {
        RequestState& state = RequestState::instance();
        Compose_Code_String(state.Host(), state.ComposeParts, Ret_String, Ret_DBName, Ret_Level,
                            Ret_Description, Ret_ADA, Ret_Letter, Ret_ID, nUDDBS_Selected);
    });
}

} // namespace viVavazuruv
