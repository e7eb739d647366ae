// The five picker entry points: fill the request state, answer from the list
// or show the window, and turn the selection records into the caller's
// answer. Their captions are marked for the catalogue and stay English in
// the request; the window shows them translated.
#include "PickerWindow.h"

#include <core/RequestState.h>

#include <ado/VbStrings.h>
#include <grid/GridControl.h>
#include <viVavazuruv/wkDatabases.h>
#include <window/ListAnswer.h>
#include <window/QtDialogs.h>
#include <window/wkDatabases_Form.h>

#include <QApplication>

namespace viVavazuruv {

namespace {

const QString kFieldEnd = QStringLiteral("\n");

// Looks Tmp up in the list, as the loaded window's grid would answer it but
// without making the window; true (and Tmp set) when the list answers it.
bool answeredFromList(RequestState& state, const PickerRequest& request, QString& Tmp) {
    std::optional<QString> description = ListAnswer(state, request, Tmp);
    if (!description)
        return false;
    Tmp = std::move(*description);
    return true;
}

// The request for a fixed list, placed where the caller asked (or where the last one was).
PickerRequest listRequest(RequestState& state, const QString& listCode, const ListRequest& request, float top,
                          float left) {
    state.Host(); // no host, no change to the component's state
    state.DatabaseCode = listCode;
    PickerRequest r = PickerRequest::ForList(listCode, request);
    state.PlaceRequest(r, top, left);
    return r;
}

// A fixed list whose group codes answer Tmp: when the list knows Tmp it is
// answered and no window is made (nothing in chosen), otherwise the window is
// shown and chosen holds what the user chose.
bool answeredOrShown(RequestState& state, const QString& listCode, const ListRequest& request, QString& Tmp,
                     float& WTop, float& WLeft, Selection& chosen) {
    PickerRequest pickerRequest = listRequest(state, listCode, request, WTop, WLeft);
    if (answeredFromList(state, pickerRequest, Tmp))
        return true;
    PickerWindow window(state, std::move(pickerRequest));
    chosen = window.showModal();
    return false;
}

QString firstDescription(const Selection& chosen) {
    return chosen.empty() ? QString() : chosen.front().description();
}

} // namespace

void wkDatabases::SetDialogs(std::shared_ptr<IDialogs> dialogs) {
    RequestState::instance().Dialogs = std::move(dialogs);
}

QString wkDatabases::UDDBS_Credit_Card(QString& Tmp, float& WTop, float& WLeft) {
    return asAutomationErrors([&] {
        Selection chosen;
        if (!answeredOrShown(RequestState::instance(), QStringLiteral("CRECARD"),
                             {false, QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Credit Card")),
                              QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Credit Card Database")),
                              QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Credit Card")), QString(),
                              QString()},
                             Tmp, WTop, WLeft, chosen))
            Tmp = firstDescription(chosen);
        return Tmp;
    });
}

QString wkDatabases::UDDBS_Med_Alert(QString& Tmp, float& WTop, float& WLeft) {
    return asAutomationErrors([&] {
        Selection chosen;
        if (answeredOrShown(RequestState::instance(), QStringLiteral("ALERT"),
                            {true, QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Medical Alert")),
                             QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Medical Alert Database")),
                             QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Medical Alert")), QString(),
                             QString()},
                            Tmp, WTop, WLeft, chosen))
            return Tmp;
        // Every record, an answer's record among them, gives one description.
        QStringList descriptions;
        for (const SelectionRecord& record : chosen)
            descriptions << record.description();
        Tmp = descriptions.join(QStringLiteral(", "));
        return Tmp;
    });
}

QString wkDatabases::UDDBS_Sex_Title(QString& Tmp, float& WTop, float& WLeft, qint16& Flag, QString& Key) {
    return asAutomationErrors([&] {
        RequestState& state = RequestState::instance();
        IHostServices& host = state.Host();
        ListRequest request{false,
                            QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Sex/ Title")),
                            QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Sex and Title Database")),
                            QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Sex/ Title")),
                            QString(),
                            QString()};
        const auto titleOnly = [&] {
            request.columnCaption = QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Title"));
            request.windowCaption = QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Title Database"));
            request.frameCaption = QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Title"));
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
        PickerRequest pickerRequest = PickerRequest::ForList(state.DatabaseCode, request);
        state.PlaceRequest(pickerRequest, WTop, WLeft);
        if (answeredFromList(state, pickerRequest, Tmp))
            return Tmp;
        PickerWindow window(state, std::move(pickerRequest));

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
        Tmp = firstDescription(window.showModal());
        return Tmp;
    });
}

QString wkDatabases::UDDBS_Selection(bool& MultiSelection, float& WTop, float& WLeft, QString& DBNM,
                                     QString& Captn, bool& ShowLetter) {
    return asAutomationErrors([&] {
        RequestState& state = RequestState::instance();
        if (state.Host().LetterColumnsOff())
            ShowLetter = false;
        PickerWindow window(
            state, listRequest(
                       state, DBNM,
                       {MultiSelection, QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Description")),
                        Captn, QString(), QString(),
                        ShowLetter ? QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Document File Name"))
                                   : QString()},
                       WTop, WLeft));
        QStringList lines;
        for (const SelectionRecord& record : window.showModal()) {
            // The answer typed for a "|??" comes as a line of its own, the
            // record after; the chosen row's line leaves the variable out.
            QString description = record.description();
            const qsizetype at = description.indexOf(QStringLiteral("|??"));
            if (at >= 0)
                description.remove(at, 3);
            if (!description.isEmpty())
                lines << description;
            if (!MultiSelection)
                break;
        }
        return lines.join(QStringLiteral("\r\n"));
    });
}

QString wkDatabases::UDDBS_1_Choice(QString& Tmp, float& WTop, float& WLeft, QString& DBNM, QString& Captn,
                                    bool* ShowLetter, QString* LetterName) {
    return asAutomationErrors([&] {
        RequestState& state = RequestState::instance();
        bool showLetter = ShowLetter ? *ShowLetter : false;
        if (state.Host().LetterColumnsOff())
            showLetter = false;
        if (ShowLetter)
            *ShowLetter = showLetter;
        PickerWindow window(
            state,
            listRequest(state, DBNM,
                        {false, QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Description")), Captn,
                         QString(), QStringLiteral("NOPIPSIGN"),
                         showLetter ? QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Letter File Name"))
                                    : QString()},
                        WTop, WLeft));
        const Selection chosen = window.showModal();
        Tmp = firstDescription(chosen);
        // An entry that is nothing but a question answers with what was typed.
        if (Tmp == QLatin1String("|??"))
            Tmp = chosen.size() > 1 ? chosen.at(1).description() : QString();
        if (showLetter && LetterName)
            *LetterName = chosen.empty() ? QString() : chosen.front().field(5);
        return Tmp;
    });
}

} // namespace viVavazuruv
