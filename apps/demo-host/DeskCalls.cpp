// The desk's calls of the entry points: each row's arguments in, the answer
// and every by-reference output shown, the picker placed beside the caller.
#include "DemoHostWindow.h"

#include "AnswerBox.h"

#include <viVavazuruv/AutomationError.h>

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QSpinBox>
#include <QStatusBar>

#include <algorithm>
#include <exception>

using namespace Qt::StringLiterals;
using viVavazuruv::AutomationError;

namespace vvdemo {

namespace {

// Characters of one by-reference output the desk shows.
constexpr qsizetype kOutputCharacters = 250;

QString yesNo(bool value) {
    return value ? u"true"_s : u"false"_s;
}

// By-reference text outputs are quoted so an empty answer is visible as one.
QString quoted(const QString& text) {
    return u'"' + text + u'"';
}

} // namespace

DemoHostWindow::PickerPosition DemoHostWindow::pickerPosition(const QObject* caller) const {
    // Just right of the button (or field) that called, as an office program
    // opens a list where the person is working; else this window's corner.
    const auto* anchor = qobject_cast<const QWidget*>(caller);
    const QPoint origin = anchor ? anchor->mapToGlobal(QPoint(anchor->width() + 8, 0)) : geometry().topLeft();
    const QScreen* display = screen();
    const double dpiX = display ? display->logicalDotsPerInchX() : 96.0;
    const double dpiY = display ? display->logicalDotsPerInchY() : 96.0;
    // The component places its window in twips, 1440 to a logical inch; 0 would mean "no position".
    return {static_cast<float>(std::max(1, origin.y()) * 1440.0 / dpiY),
            static_cast<float>(std::max(1, origin.x()) * 1440.0 / dpiX)};
}

void DemoHostWindow::run(const QString& entryPoint, const ResultView& view,
                         const std::function<QString(PickerPosition, QStringList&)>& call) {
    const PickerPosition position = pickerPosition(sender());
    const QString where =
        tr("top %1, left %2 twips")
            .arg(QString::number(position.top, 'f', 0), QString::number(position.left, 'f', 0));
    statusBar()->showMessage(tr("%1 running (window at %2)...").arg(entryPoint, where));
    QElapsedTimer clock;
    clock.start();
    try {
        QStringList outputs;
        QString answer = call(position, outputs);
        answer.replace(u"\r\n"_s, u"\n"_s);
        view.answer->setAnswer(answer);
        // A label lays out all it holds: an output as long as a whole list must not stall the desk.
        for (QString& output : outputs)
            output = AnswerBox::shortened(output, kOutputCharacters);
        view.outputs->setText(outputs.join(u"\n"_s));
        // The answer is read out where it is shown: the box takes the keyboard.
        view.answer->setFocus(Qt::OtherFocusReason);
        statusBar()->showMessage(
            tr("%1 returned %2 characters after %3 ms (window at %4).")
                .arg(entryPoint, QString::number(answer.size()), QString::number(clock.elapsed()), where));
    } catch (const AutomationError& e) {
        statusBar()->showMessage(tr("%1 raised error %2.").arg(entryPoint, QString::number(e.code())));
        if (m_quiet) {
            view.answer->setAnswer(tr("error %1: %2").arg(QString::number(e.code()), e.message()));
            view.answer->setFocus(Qt::OtherFocusReason);
            return;
        }
        QMessageBox::warning(this, tr("%1 failed").arg(entryPoint),
                             tr("Error %1 (0x%2)\n\n%3")
                                 .arg(QString::number(e.code()),
                                      QString::number(static_cast<quint32>(e.code()), 16).toUpper(),
                                      e.message()));
    } catch (const std::exception& e) {
        // Not a documented way for the component to fail; shown all the same.
        statusBar()->showMessage(tr("%1 failed unexpectedly.").arg(entryPoint));
        QMessageBox::critical(this, tr("%1 failed").arg(entryPoint), QString::fromLocal8Bit(e.what()));
    }
}

void DemoHostWindow::callSexTitle() {
    run(u"UDDBS_Sex_Title"_s, m_sexTitleResult, [this](PickerPosition at, QStringList& outputs) {
        qint16 flag = static_cast<qint16>(m_sexTitleFlag->currentData().toInt());
        QString tmp = m_sexTitleTmp->text();
        if (flag == -1) {
            const QString list = m_sexTitleList->text().trimmed().toUpper();
            tmp =
                QStringList{list, tr("Title"), tr("%1 Database").arg(list), tr("Title"), tmp}.join(QChar(10));
        }
        QString key = m_sexTitleKey->text();
        const QString answer = m_component.UDDBS_Sex_Title(tmp, at.top, at.left, flag, key);
        outputs << u"Tmp = "_s + quoted(tmp);
        return answer;
    });
}

void DemoHostWindow::callCreditCard() {
    run(u"UDDBS_Credit_Card"_s, m_creditCardResult, [this](PickerPosition at, QStringList& outputs) {
        QString tmp = m_creditCardTmp->text();
        const QString answer = m_component.UDDBS_Credit_Card(tmp, at.top, at.left);
        outputs << u"Tmp = "_s + quoted(tmp);
        return answer;
    });
}

void DemoHostWindow::callMedAlert() {
    run(u"UDDBS_Med_Alert"_s, m_medAlertResult, [this](PickerPosition at, QStringList& outputs) {
        QString tmp = m_medAlertTmp->text();
        const QString answer = m_component.UDDBS_Med_Alert(tmp, at.top, at.left);
        outputs << u"Tmp = "_s + quoted(tmp);
        return answer;
    });
}

void DemoHostWindow::callSelection() {
    run(u"UDDBS_Selection"_s, m_selectionResult, [this](PickerPosition at, QStringList& outputs) {
        bool multi = m_selectionMulti->isChecked();
        QString list = m_selectionList->text().trimmed().toUpper();
        QString caption = m_selectionCaption->text();
        bool showLetter = m_selectionLetter->isChecked();
        const QString answer = m_component.UDDBS_Selection(multi, at.top, at.left, list, caption, showLetter);
        outputs << u"ShowLetter = "_s + yesNo(showLetter);
        return answer;
    });
}

void DemoHostWindow::callOneChoice() {
    run(u"UDDBS_1_Choice"_s, m_oneChoiceResult, [this](PickerPosition at, QStringList& outputs) {
        QString tmp;
        QString list = m_oneChoiceList->text().trimmed().toUpper();
        QString caption = m_oneChoiceCaption->text();
        bool showLetter = m_oneChoiceLetter->isChecked();
        QString letterName;
        const QString answer =
            m_component.UDDBS_1_Choice(tmp, at.top, at.left, list, caption, &showLetter, &letterName);
        outputs << u"Tmp = "_s + quoted(tmp) << u"ShowLetter = "_s + yesNo(showLetter)
                << u"LetterName = "_s + quoted(letterName);
        return answer;
    });
}

void DemoHostWindow::callCodeList() {
    run(u"UDDBS_Cds_Qrp"_s, m_codeListResult, [this](PickerPosition at, QStringList& outputs) {
        QString code = m_codeListCode->text().trimmed();
        qint16 modify = m_codeListModify->isChecked() ? -1 : 0;
        QString dbName, level, desc, ada, letter, id;
        qint16 selected = 0;
        qint32 patient = m_host->GetCurrentPatientID();
        bool showCode = m_codeListShowCode->isChecked();
        bool showLetter = m_codeListShowLetter->isChecked();
        m_component.UDDBS_Cds_Qrp(code, modify, dbName, level, desc, ada, letter, id, selected, at.top,
                                  at.left, patient, &showCode, &showLetter);
        // One record a line: shown with the line feeds as " / ".
        const auto lines = [](const QString& text) {
            return quoted(QString(text).replace(u'\n', u" / "_s));
        };
        outputs << u"Code = "_s + quoted(code) << u"nUDDBS_Selected = %1"_s.arg(selected)
                << u"DBName = "_s + lines(dbName) << u"Level = "_s + lines(level)
                << u"Desc = "_s + lines(desc) << u"Ada = "_s + lines(ada) << u"Letter = "_s + lines(letter)
                << u"id = "_s + lines(id);
        QString note;
        m_component.Cds_Qrp_Compose(note, dbName, level, desc, ada, letter, id, selected);
        return note;
    });
}

} // namespace vvdemo
