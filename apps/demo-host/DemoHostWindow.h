#pragma once

#include <viVavazuruv/ReferenceHost.h>
#include <viVavazuruv/wkDatabases.h>

#include <QMainWindow>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QStringListModel;

namespace vvdemo {

class AnswerBox;

// What a host's own window does around the component: it owns the host
// object, keeps the current patient, and calls each picker entry point with
// its own arguments, showing what came back. Every control has an object
// name so a script can drive it.
class DemoHostWindow final : public QMainWindow {
    Q_OBJECT

public:
    DemoHostWindow(std::shared_ptr<viVavazuruv::ReferenceHost> host, viVavazuruv::_wkDatabases& component,
                   QWidget* parent = nullptr);
    ~DemoHostWindow() override;
    Q_DISABLE_COPY_MOVE(DemoHostWindow)

    // Patients of the current office offered in the chooser (without "no patient").
    int patientCount() const;
    // Quiet: a failing call is shown in its row only, with no message box to click away.
    void setQuiet(bool quiet) { m_quiet = quiet; }

private:
    // Where the picker opens: beside the control that called it, on the screen, in twips.
    struct PickerPosition {
        float top = 0.0f;
        float left = 0.0f;
    };

    // The result column of one entry-point row.
    struct ResultView {
        AnswerBox* answer = nullptr;
        QLabel* outputs = nullptr;
    };

    // Sizes the desk to its screen's free area (the designed size where it fits).
    void fitToScreen();
    QWidget* buildHeader();
    QWidget* buildEntryPoints();
    void fillPatients();
    void fillListCodes();
    void patientChosen(int index);

    void addRow(QGridLayout* grid, int row, const QString& title, const QString& entryPoint, QWidget* tmp,
                QWidget* options, QPushButton* call, const ResultView& result);
    ResultView makeResultView(const QString& prefix, const QString& entryPoint);

    void callSexTitle();
    void callCreditCard();
    void callMedAlert();
    void callSelection();
    void callOneChoice();
    void callCodeList();
    // The history of the list of the row the cursor is in (ListHistoryWindow).
    void showListHistory();

    PickerPosition pickerPosition(const QObject* caller) const;
    // Runs one call and shows its answer; call adds "name = value" lines for
    // its by-reference outputs. An AutomationError is shown in a message box
    // and leaves the window as it was.
    void run(const QString& entryPoint, const ResultView& view,
             const std::function<QString(PickerPosition, QStringList&)>& call);

    std::shared_ptr<viVavazuruv::ReferenceHost> m_host;
    bool m_quiet = false;
    viVavazuruv::_wkDatabases& m_component;

    QComboBox* m_patients = nullptr;
    QLabel* m_patientDetails = nullptr;

    QLineEdit* m_sexTitleTmp = nullptr;
    QComboBox* m_sexTitleFlag = nullptr;
    QLineEdit* m_sexTitleList = nullptr;
    QLineEdit* m_sexTitleKey = nullptr;
    ResultView m_sexTitleResult;

    QLineEdit* m_creditCardTmp = nullptr;
    ResultView m_creditCardResult;

    QLineEdit* m_medAlertTmp = nullptr;
    ResultView m_medAlertResult;

    QStringListModel* m_listCodes = nullptr;
    QLineEdit* m_selectionList = nullptr;
    QLineEdit* m_selectionCaption = nullptr;
    QCheckBox* m_selectionMulti = nullptr;
    QCheckBox* m_selectionLetter = nullptr;
    ResultView m_selectionResult;

    QLineEdit* m_oneChoiceList = nullptr;
    QLineEdit* m_oneChoiceCaption = nullptr;
    QCheckBox* m_oneChoiceLetter = nullptr;
    ResultView m_oneChoiceResult;

    QLineEdit* m_codeListCode = nullptr;
    QCheckBox* m_codeListModify = nullptr;
    QCheckBox* m_codeListShowCode = nullptr;
    QCheckBox* m_codeListShowLetter = nullptr;
    ResultView m_codeListResult;
};

} // namespace vvdemo
