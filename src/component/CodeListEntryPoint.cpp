// The dental code list: its entry point, which returns every chosen record
// line by line, and the composition of those lines into the chart note.
// Captions are marked for the catalogue; the window shows them translated.
#include "PickerWindow.h"

#include <ado/VbStrings.h>
#include <compose/CodeStringComposer.h>
#include <viVavazuruv/wkDatabases.h>

namespace viVavazuruv {

namespace {
const QString kLineEnd = QStringLiteral("\n");
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
        host.SetCurrentPatientID(Pat_ID);
        PickerRequest request = PickerRequest::Blank();
        // Only code-list windows remember their size and place.
        request.KeepWindowLayout = true;
        request.MultiSelect = !Code.startsWith(QStringLiteral("||"));
        if (!request.MultiSelect)
            Code.remove(0, 1);
        request.DatabaseCode = state.DatabaseCode = host.CodeListKey(Code);
        state.PlaceRequest(request, WTop, WLeft);
        request.ColumnCaptions(1) = QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Gp"));
        request.ColumnWidths(1) = 3;
        request.ColumnCaptions(2) = QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Description"));
        request.ColumnWidths(2) = kDescriptionWidth;
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
            request.ColumnCaptions(4) = QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Code"));
            request.ColumnWidths(4) = kCodeWidth;
        }
        if (showLetter) {
            request.ColumnCaptions(5) =
                QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Letter File Name"));
            request.ColumnWidths(5) = kLetterWidth;
        }
        request.WindowCaption = QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "User Defined Data Base"));
        request.FrameCaptions.at(0) = QStringLiteral("Database = ") + Code;
        request.WindowOptions =
            host.CanModifyLists() || Mod_Flag != 0 ? QString() : QStringLiteral("NOADD,NODELETE");
        QString chosen = SelectionResultText(PickerWindow(state, std::move(request)).showModal());

        DBName.clear();
        Level.clear();
        Desc.clear();
        id.clear();
        Ada.clear();
        Letter.clear();
        nUDDBS_Selected = 0;
        // One line per record in each output, answers' records included; the
        // host reads each from the records still to go, so from the first of them.
        // The host that answers is the one put last: a put during the window replaces it.
        IHostServices& answering = state.Host();
        const auto field = [&](qint16 index) {
            return answering.GetField(chosen, kLineEnd, index, 0) + kLineEnd;
        };
        while (!vb::Trim(chosen).isEmpty()) {
            nUDDBS_Selected = vb::CInt(double(nUDDBS_Selected) + 1);
            Desc += field(2);
            if (showCode)
                Ada += field(4);
            if (showLetter)
                Letter += field(5);
            id += field(6);
            DBName += field(7);
            Level += field(8);
            const qsizetype end = chosen.indexOf(QLatin1Char('\r'));
            if (end >= 0)
                chosen.remove(0, end + 1);
            else
                chosen.clear();
        }
    });
}

void wkDatabases::Cds_Qrp_Compose(QString& Ret_String, QString& Ret_DBName, QString& Ret_Level,
                                  QString& Ret_Description, QString& Ret_ADA, QString& Ret_Letter,
                                  QString& Ret_ID, qint16& nUDDBS_Selected) {
    asAutomationErrors([&] {
        VbArray<QString> parts; // the levels of the records, a work array of one call
        Compose_Code_String(RequestState::instance().Host(), parts, Ret_String, Ret_DBName, Ret_Level,
                            Ret_Description, Ret_ADA, Ret_Letter, Ret_ID, nUDDBS_Selected);
    });
}

} // namespace viVavazuruv
