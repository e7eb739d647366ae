// The five picker entry points: fill the request state, load the window,
// answer from the list or show it, and turn the selection records into the
// caller's answer.
#include "PickerWindow.h"

#include <core/RequestState.h>

#include <ado/VbStrings.h>
#include <grid/GridControl.h>
#include <viVavazuruv/wkDatabases.h>
#include <window/QtDialogs.h>
#include <window/wkDatabases_Form.h>

#include <QApplication>

namespace viVavazuruv {

namespace {

const QString kFieldEnd = QString(SelectionRecord::FieldEnd);
const QString kRecordEnd = QString(SelectionRecord::RecordEnd);

// The description of the first row whose group code equals value (trimmed,
// upper case); "" when no row matches or the matching description is empty.
QString lookUpGroup(IGridControl& grid, const QString& value) {
    const QString wanted = vb::Trim(value).toUpper();
    const qint32 rows = grid.MaxRows();
    for (qint32 r = 1; r <= rows; ++r) {
        if (vb::Trim(grid.GetText(1, r)).toUpper() == wanted)
            return grid.GetText(2, r);
    }
    return {};
}

// Looks Tmp up in the list; true (and Tmp set) when the list answers it.
bool answeredFromList(PickerWindow& window, QString& Tmp) {
    if (Tmp.isEmpty())
        return false;
    const QString description = lookUpGroup(window.grid(), Tmp);
    if (description.isEmpty())
        return false;
    Tmp = description;
    window.unloadUnseen();
    return true;
}

// A fixed list whose group codes answer Tmp: prepares the request and loads
// the window; true (Tmp answered, window gone unseen) when the list knows
// Tmp, otherwise the window has been shown and closed.
bool answeredOrShown(RequestState& state, const QString& listCode, const ListRequest& request, QString& Tmp,
                     float& WTop, float& WLeft) {
    state.Host(); // no host, no change to the request state
    state.DatabaseCode = listCode;
    state.PrepareListRequest(request, WTop, WLeft);
    PickerWindow window(state);
    if (answeredFromList(window, Tmp))
        return true;
    window.showModal();
    return false;
}

QString firstDescription(IHostServices& host, const QString& selection) {
    return host.GetField(selection, kFieldEnd, 2, 0);
}

} // namespace

void wkDatabases::SetDialogs(std::shared_ptr<IDialogs> dialogs) {
    RequestState::instance().Dialogs = std::move(dialogs);
}

QString wkDatabases::UDDBS_Credit_Card(QString& Tmp, float& WTop, float& WLeft) {
    return asAutomationErrors([&] {
        RequestState& state = RequestState::instance();
        if (!answeredOrShown(state, QStringLiteral("CRECARD"),
                             {false, QStringLiteral("Credit Card"), QStringLiteral("Credit Card Database"),
                              QStringLiteral("Credit Card"), QString(), QString()},
                             Tmp, WTop, WLeft))
            Tmp = firstDescription(state.Host(), state.SelectionResult);
        return Tmp;
    });
}

QString wkDatabases::UDDBS_Med_Alert(QString& Tmp, float& WTop, float& WLeft) {
    return asAutomationErrors([&] {
        RequestState& state = RequestState::instance();
        if (answeredOrShown(state, QStringLiteral("ALERT"),
                            {true, QStringLiteral("Medical Alert"), QStringLiteral("Medical Alert Database"),
                             QStringLiteral("Medical Alert"), QString(), QString()},
                            Tmp, WTop, WLeft))
            return Tmp;
        // The host may have put another GIC while the window was up.
        IHostServices& host = state.Host();
        Tmp.clear();
        for (qint16 i = 1;; ++i) {
            const QString record = host.GetField(state.SelectionResult, kRecordEnd, i, 0);
            if (record.isEmpty())
                break;
            Tmp += QStringLiteral(", ") + host.GetField(record, kFieldEnd, 2, 0);
        }
        if (Tmp.startsWith(QStringLiteral(", ")))
            Tmp = Tmp.mid(2);
        return Tmp;
    });
}

QString wkDatabases::UDDBS_Sex_Title(QString& Tmp, float& WTop, float& WLeft, qint16& Flag, QString& Key) {
    return asAutomationErrors([&] {
        RequestState& state = RequestState::instance();
        IHostServices& host = state.Host();
        ListRequest request{false,
                            QStringLiteral("Sex/ Title"),
                            QStringLiteral("Sex and Title Database"),
                            QStringLiteral("Sex/ Title"),
                            QString(),
                            QString()};
        const auto titleOnly = [&] {
            request.columnCaption = QStringLiteral("Title");
            request.windowCaption = QStringLiteral("Title Database");
            request.frameCaption = QStringLiteral("Title");
        };
        switch (Flag) {
        case -1:
            state.DatabaseCode = host.GetField(Tmp, kFieldEnd, 1, 0);
            request.columnCaption = host.GetField(Tmp, kFieldEnd, 2, 0);
            request.windowCaption = host.GetField(Tmp, kFieldEnd, 3, 0);
            request.frameCaption = host.GetField(Tmp, kFieldEnd, 4, 0);
            // The fifth field may be missing; the appended separator makes it "".
            Tmp = host.GetField(Tmp + kFieldEnd, kFieldEnd, 5, 0);
            break;
        case 0:
            state.DatabaseCode = QStringLiteral("SXTITLE");
            break;
        case 1:
            state.DatabaseCode = QStringLiteral("TITLE");
            titleOnly();
            break;
        case 2:
            state.DatabaseCode = QStringLiteral("DRSXTTL");
            break;
        case 3:
            state.DatabaseCode = QStringLiteral("DRTTL");
            titleOnly();
            break;
        default:
            break; // the previous request's list
        }
        state.PrepareListRequest(request, WTop, WLeft);
        PickerWindow window(state);
        if (answeredFromList(window, Tmp))
            return Tmp;

        if (!Key.isEmpty()) {
            IGridControl& grid = window.grid();
            const QString wanted = vb::Trim(Key);
            for (qint32 r = 1; r <= grid.MaxRows(); ++r) {
                if (vb::Trim(grid.GetText(2, r)) == wanted) {
                    grid.setRow(r);
                    grid.setCol(1);
                    grid.setAction(GridAction::ActivateCell);
                    grid.setAction(GridAction::ScrollToCell);
                    break;
                }
            }
        }
        host.ResetHostText(QString());
        window.showModal();
        Tmp = firstDescription(state.Host(), state.SelectionResult);
        return Tmp;
    });
}

QString wkDatabases::UDDBS_Selection(bool& MultiSelection, float& WTop, float& WLeft, QString& DBNM,
                                     QString& Captn, bool& ShowLetter) {
    return asAutomationErrors([&] {
        RequestState& state = RequestState::instance();
        IHostServices& host = state.Host();
        state.DatabaseCode = DBNM;
        if (host.LetterColumnsOff())
            ShowLetter = false;
        state.PrepareListRequest({MultiSelection, QStringLiteral("Description"), Captn, QString(), QString(),
                                  ShowLetter ? QStringLiteral("Document File Name") : QString()},
                                 WTop, WLeft);
        PickerWindow window(state);
        window.showModal();

        IHostServices& hostNow = state.Host();
        QString answer;
        for (qint16 i = 1;; ++i) {
            const QString record = hostNow.GetField(state.SelectionResult, kRecordEnd, i, 0);
            if (record.isEmpty())
                break;
            QString description = hostNow.GetField(record, kFieldEnd, 2, 0);
            if (description.contains(QStringLiteral("|??"))) {
                const QString typed = hostNow.GetField(record, kFieldEnd, 10, 0);
                const qsizetype at = description.indexOf(QStringLiteral("|??"));
                description.replace(at, 3, typed);
            }
            if (!description.isEmpty())
                answer += QStringLiteral("\r\n") + description;
            if (!MultiSelection)
                break;
        }
        if (answer.startsWith(QStringLiteral("\r\n")))
            answer = answer.mid(2);
        return answer;
    });
}

QString wkDatabases::UDDBS_1_Choice(QString& Tmp, float& WTop, float& WLeft, QString& DBNM, QString& Captn,
                                    bool* ShowLetter, QString* LetterName) {
    return asAutomationErrors([&] {
        RequestState& state = RequestState::instance();
        IHostServices& host = state.Host();
        bool showLetter = ShowLetter ? *ShowLetter : false;
        state.DatabaseCode = DBNM;
        if (host.LetterColumnsOff())
            showLetter = false;
        if (ShowLetter)
            *ShowLetter = showLetter;
        state.PrepareListRequest({false, QStringLiteral("Description"), Captn, QString(),
                                  QStringLiteral("NOPIPSIGN"),
                                  showLetter ? QStringLiteral("Letter File Name") : QString()},
                                 WTop, WLeft);
        PickerWindow window(state);
        window.showModal();

        // The host may have put another GIC while the window was up.
        IHostServices& hostNow = state.Host();
        Tmp = firstDescription(hostNow, state.SelectionResult);
        if (Tmp == QLatin1String("|??"))
            Tmp = hostNow.GetField(state.SelectionResult, kFieldEnd, 10, 0);
        if (showLetter && LetterName)
            *LetterName = hostNow.GetField(state.SelectionResult, kFieldEnd, 5, 0);
        return Tmp;
    });
}

} // namespace viVavazuruv
