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
const QString kRecordEnd = QStringLiteral("\r");

// The window of a request, loaded, or none when the list answers Tmp (Tmp
// then holds the answer). The list is read once either way: the window is
// made from the rows the look-up read.
std::unique_ptr<PickerWindow> windowOrAnswer(RequestState& state, PickerRequest request, QString& Tmp) {
    if (Tmp.isEmpty())
        return std::make_unique<PickerWindow>(state, std::move(request));
    LoadedList loaded = LoadList(state, request);
    if (std::optional<QString> description = ListAnswer(loaded, request, Tmp)) {
        Tmp = std::move(*description);
        return nullptr;
    }
    return std::make_unique<PickerWindow>(state, std::move(request), std::move(loaded));
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

// Field index of what the window chose, read by the host's GetField as a
// host of the suite reads it: the first record's field when the text holds several.
QString chosenField(IHostServices& host, const QString& chosen, qint16 index) {
    return host.GetField(chosen, kFieldEnd, index, 0);
}

// Record i (from 1) of what the window chose; "" past the last.
QString chosenRecord(IHostServices& host, const QString& chosen, qint16 index) {
    return host.GetField(chosen, kRecordEnd, index, 0);
}

} // namespace

void wkDatabases::SetDialogs(std::shared_ptr<IDialogs> dialogs) {
    RequestState::instance().Dialogs = std::move(dialogs);
}

QString wkDatabases::UDDBS_Credit_Card(QString& Tmp, float& WTop, float& WLeft) {
    return asAutomationErrors([&] {
        RequestState& state = RequestState::instance();
        std::unique_ptr<PickerWindow> window = windowOrAnswer(
            state,
            listRequest(state, QStringLiteral("CRECARD"),
                        {false, QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Credit Card")),
                         QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Credit Card Database")),
                         QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Credit Card")), QString(),
                         QString()},
                        WTop, WLeft),
            Tmp);
        if (window) {
            const QString chosen = SelectionResultText(window->showModal());
            Tmp = chosenField(state.Host(), chosen, 2);
        }
        return Tmp;
    });
}

QString wkDatabases::UDDBS_Med_Alert(QString& Tmp, float& WTop, float& WLeft) {
    return asAutomationErrors([&] {
        RequestState& state = RequestState::instance();
        std::unique_ptr<PickerWindow> window = windowOrAnswer(
            state,
            listRequest(state, QStringLiteral("ALERT"),
                        {true, QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Medical Alert")),
                         QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Medical Alert Database")),
                         QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Medical Alert")), QString(),
                         QString()},
                        WTop, WLeft),
            Tmp);
        if (!window)
            return Tmp;
        const QString chosen = SelectionResultText(window->showModal());
        IHostServices& host = state.Host();
        // Every record, an answer's record among them, gives one description.
        Tmp.clear();
        for (qint32 i = 1;; ++i) {
            const QString record = chosenRecord(host, chosen, vb::CInt(i));
            if (record.isEmpty())
                break;
            Tmp += QStringLiteral(", ") + chosenField(host, record, 2);
        }
        if (Tmp.startsWith(QStringLiteral(", ")))
            Tmp.remove(0, 2);
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
        std::unique_ptr<PickerWindow> window = windowOrAnswer(state, std::move(pickerRequest), Tmp);
        if (!window)
            return Tmp;

        if (!Key.isEmpty()) {
            IGridControl& grid = window->grid();
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
        const QString chosen = SelectionResultText(window->showModal());
        Tmp = chosenField(state.Host(), chosen, 2);
        return Tmp;
    });
}

QString wkDatabases::UDDBS_Selection(bool& MultiSelection, float& WTop, float& WLeft, QString& DBNM,
                                     QString& Captn, bool& ShowLetter) {
    return asAutomationErrors([&] {
        RequestState& state = RequestState::instance();
        // The list and the place are the request's before the host is asked
        // anything: a failing question leaves them for the next request.
        PickerRequest request =
            listRequest(state, DBNM,
                        {MultiSelection, QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Description")),
                         Captn, QString(), QString(), QString()},
                        WTop, WLeft);
        IHostServices& host = state.Host();
        if (host.LetterColumnsOff())
            ShowLetter = false;
        if (ShowLetter)
            request.showLetterColumn(
                QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Document File Name")));
        PickerWindow window(state, std::move(request));
        const QString chosen = SelectionResultText(window.showModal());
        IHostServices& answering = state.Host();
        QString answer;
        for (qint32 i = 1;; ++i) {
            const QString record = chosenRecord(answering, chosen, vb::CInt(i));
            if (record.isEmpty())
                break;
            // The answer typed for a "|??" comes as a record of its own, the
            // next one; field 10 of the chosen row's record is empty.
            QString description = chosenField(answering, record, 2);
            const qsizetype at = description.indexOf(QStringLiteral("|??"));
            if (at >= 0)
                description.replace(at, 3, chosenField(answering, record, 10));
            if (!description.isEmpty())
                answer += QStringLiteral("\r\n") + description;
            if (!MultiSelection)
                break;
        }
        return answer.mid(2);
    });
}

QString wkDatabases::UDDBS_1_Choice(QString& Tmp, float& WTop, float& WLeft, QString& DBNM, QString& Captn,
                                    bool* ShowLetter, QString* LetterName) {
    return asAutomationErrors([&] {
        RequestState& state = RequestState::instance();
        PickerRequest request =
            listRequest(state, DBNM,
                        {false, QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Description")), Captn,
                         QString(), QStringLiteral("NOPIPSIGN"), QString()},
                        WTop, WLeft);
        IHostServices& host = state.Host();
        bool showLetter = ShowLetter ? *ShowLetter : false;
        if (host.LetterColumnsOff())
            showLetter = false;
        if (ShowLetter)
            *ShowLetter = showLetter;
        if (showLetter)
            request.showLetterColumn(QStringLiteral(QT_TRANSLATE_NOOP("PickerCaptions", "Letter File Name")));
        PickerWindow window(state, std::move(request));
        const QString chosen = SelectionResultText(window.showModal());
        IHostServices& answering = state.Host();
        Tmp = chosenField(answering, chosen, 2);
        // An entry that is nothing but a question answers with what was typed there.
        if (Tmp == QLatin1String("|??"))
            Tmp = chosenField(answering, chosen, 10);
        if (showLetter && LetterName)
            *LetterName = chosenField(answering, chosen, 5);
        return Tmp;
    });
}

} // namespace viVavazuruv
