#include "DemoHostWindow.h"

#include "AnswerBox.h"
#include "ListHistoryWindow.h"

#include <viVavazuruv/AutomationError.h>
#include <viVavazuruv/UsrDefTable.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QSqlError>
#include <QSqlQuery>
#include <QStatusBar>
#include <QStringListModel>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

using namespace Qt::StringLiterals;
using viVavazuruv::AutomationError;
namespace usrdef = viVavazuruv::usrdef;

namespace vvdemo {

namespace {

QLineEdit* lineEdit(const QString& objectName, const QString& text, const QString& placeholder,
                    int width = 0) {
    auto* edit = new QLineEdit(text);
    edit->setObjectName(objectName);
    edit->setPlaceholderText(placeholder);
    edit->setClearButtonEnabled(true);
    if (width > 0)
        edit->setFixedWidth(width);
    return edit;
}

QCheckBox* checkBox(const QString& objectName, const QString& text, bool checked) {
    auto* box = new QCheckBox(text);
    box->setObjectName(objectName);
    box->setChecked(checked);
    return box;
}

// Every row has the same boxes and buttons; a screen reader tells them
// apart by the entry point each belongs to.
QString forEntryPoint(const QString& what, const QString& entryPoint) {
    return QCoreApplication::translate("vvdemo::DemoHostWindow", "%1 for %2").arg(what, entryPoint);
}

QPushButton* callButton(const QString& objectName, const QString& entryPoint) {
    auto* button = new QPushButton(QCoreApplication::translate("vvdemo::DemoHostWindow", "Call"));
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    button->setAccessibleName(
        QCoreApplication::translate("vvdemo::DemoHostWindow", "Call %1").arg(entryPoint));
    return button;
}

// A labelled row of arguments for the Arguments column of an entry point's
// row; each field is named after its label (a check box after its text) and
// the entry point.
QWidget* argumentRow(const QString& entryPoint, std::initializer_list<std::pair<QString, QWidget*>> fields) {
    auto* box = new QWidget;
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    for (const auto& [label, widget] : fields) {
        if (!label.isEmpty()) {
            auto* caption = new QLabel(label);
            caption->setBuddy(widget);
            layout->addWidget(caption);
        }
        QString what = label;
        if (auto* check = qobject_cast<QCheckBox*>(widget))
            what = check->text().remove(u'&');
        if (!entryPoint.isEmpty() && !what.isEmpty())
            widget->setAccessibleName(forEntryPoint(what, entryPoint));
        layout->addWidget(widget);
    }
    layout->addStretch(1);
    return box;
}

// A colour between text and background, by share towards the background:
// grey that still reads as text (4.5:1 and more at up to 0.4 on a plain theme).
QColor between(const QColor& text, const QColor& background, double share) {
    return QColor::fromRgbF(float(text.redF() + (background.redF() - text.redF()) * share),
                            float(text.greenF() + (background.greenF() - text.greenF()) * share),
                            float(text.blueF() + (background.blueF() - text.blueF()) * share));
}
constexpr double kQuietShare = 0.4;

// A note where a row has no Tmp: quieter than a label, but readable (a
// disabled label's grey is not).
QLabel* noTmp(const QString& objectName, const QString& text) {
    auto* label = new QLabel(text);
    label->setObjectName(objectName);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, between(colours.color(QPalette::WindowText),
                                                   colours.color(QPalette::Window), kQuietShare));
    label->setPalette(colours);
    return label;
}

} // namespace

DemoHostWindow::DemoHostWindow(std::shared_ptr<viVavazuruv::ReferenceHost> host,
                               viVavazuruv::_wkDatabases& component, QWidget* parent)
    : QMainWindow(parent), m_host(std::move(host)), m_component(component) {
    setObjectName(u"demoHostWindow"_s);
    setWindowTitle(tr("viVavazuruv demo host"));
    // Placeholders in the style's grey are too faint to read (4:1 on white).
    QPalette colours = palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        colours.setColor(
            group, QPalette::PlaceholderText,
            between(colours.color(group, QPalette::Text), colours.color(group, QPalette::Base), kQuietShare));
    setPalette(colours);

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(buildHeader());
    layout->addWidget(buildEntryPoints(), 1);
    // A long answer makes its row taller, a small screen or a longer language
    // leaves less room than the desk takes: it scrolls rather than overlaps.
    auto* rows = new QScrollArea;
    rows->setObjectName(u"entryPointsScroll"_s);
    // Only scrolls; the keys go to the rows' own fields.
    rows->setFocusPolicy(Qt::NoFocus);
    rows->setWidgetResizable(true);
    rows->setFrameShape(QFrame::NoFrame);
    rows->setWidget(central);
    setCentralWidget(rows);
    statusBar()->setObjectName(u"statusBar"_s);
    statusBar()->showMessage(tr("Type a group code into Tmp to be answered from the list, or leave it empty "
                                "to open the picker."));

    fillPatients();
    fillListCodes();
    QMenu* lists = menuBar()->addMenu(tr("&Lists"));
    lists->setObjectName(u"listsMenu"_s);
    QAction* history = lists->addAction(tr("List &history..."));
    history->setObjectName(u"listHistoryAction"_s);
    history->setShortcut(u"Ctrl+H"_s);
    connect(history, &QAction::triggered, this, &DemoHostWindow::showListHistory);
    fitToScreen();
}

void DemoHostWindow::fitToScreen() {
    // The designed size where the screen has room for it, frame included;
    // otherwise the screen's free area, and the desk scrolls.
    const QScreen* shownOn = screen();
    if (!shownOn) {
        resize(1260, 880);
        return;
    }
    const QRect area = shownOn->availableGeometry();
    const int border = std::max(0, style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth));
    const int title = std::max(0, style()->pixelMetric(QStyle::PM_TitleBarHeight));
    const QSize room(area.width() - 2 * border, area.height() - title - 2 * border);
    resize(QSize(1260, 880).boundedTo(room).expandedTo(QSize(200, 150)));
    const QRect outer = frameGeometry().isValid() ? frameGeometry() : geometry();
    if (!area.contains(outer))
        move(area.topLeft() + QPoint(border, title + border));
}

void DemoHostWindow::showListHistory() {
    int row = 2; // the credit cards when the cursor is in no row
    for (const QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
        if (const QVariant entryRow = w->property("entryRow"); entryRow.isValid()) {
            row = entryRow.toInt();
            break;
        }
    // The list each entry-point row opens, in the order buildEntryPoints makes them.
    const QString lists[] = {m_sexTitleList->text(),
                             u"CRECARD"_s,
                             u"ALERT"_s,
                             m_selectionList->text(),
                             m_oneChoiceList->text(),
                             m_host->CodeListKey(m_codeListCode->text())};
    ListHistoryWindow window(m_host, lists[std::clamp(row, 1, 6) - 1], this);
    window.exec();
}

DemoHostWindow::~DemoHostWindow() = default;

int DemoHostWindow::patientCount() const {
    return m_patients->count() - 1;
}

QWidget* DemoHostWindow::buildHeader() {
    auto* box = new QGroupBox(tr("Host"));
    box->setObjectName(u"hostGroup"_s);
    auto* form = new QFormLayout(box);

    auto* database = new QLabel(m_host->describe());
    database->setObjectName(u"databaseLabel"_s);
    database->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(tr("Database:"), database);

    // Office mode 7 gives each office its own lists and patients; switching
    // shows the component filtering every statement by office.
    auto* office = new QSpinBox;
    office->setObjectName(u"officeSpin"_s);
    office->setAccessibleName(tr("Office"));
    office->setRange(1, 999);
    office->setValue(m_host->GetOfficeID());
    auto* ownLists =
        checkBox(u"officeMode7"_s, tr("office mode 7: each office keeps its own lists and patients"),
                 m_host->GetOfficeMode() == 7);
    const auto switchOffice = [this, office, ownLists] {
        m_host->setOfficeMode(ownLists->isChecked() ? 7 : 0);
        m_host->setOfficeID(office->value());
        fillPatients();
        fillListCodes();
        statusBar()->showMessage(
            tr("GetOfficeMode() now answers %1, GetOfficeID() %2.")
                .arg(QString::number(m_host->GetOfficeMode()), QString::number(m_host->GetOfficeID())));
    };
    connect(office, &QSpinBox::valueChanged, this, switchOffice);
    connect(ownLists, &QCheckBox::toggled, this, switchOffice);
    form->addRow(tr("Office:"), argumentRow(QString(), {{QString(), office}, {QString(), ownLists}}));

    m_patients = new QComboBox;
    m_patients->setObjectName(u"patientCombo"_s);
    m_patients->setAccessibleName(tr("Current patient"));
    m_patients->setMinimumContentsLength(28);
    m_patientDetails = new QLabel;
    m_patientDetails->setObjectName(u"patientDetails"_s);
    auto* patientRow = new QWidget;
    auto* patientLayout = new QHBoxLayout(patientRow);
    patientLayout->setContentsMargins(0, 0, 0, 0);
    patientLayout->addWidget(m_patients);
    patientLayout->addWidget(m_patientDetails, 1);
    form->addRow(tr("Current patient:"), patientRow);
    connect(m_patients, &QComboBox::currentIndexChanged, this, &DemoHostWindow::patientChosen);
    return box;
}

void DemoHostWindow::fillListCodes() {
    // The lists the database holds, offered as the list boxes are typed into.
    const bool officeClause = m_host->GetOfficeMode() == 7;
    QSqlQuery q(m_host->GetConnection());
    q.prepare(u"SELECT DISTINCT %1 FROM %2"_s.arg(usrdef::kCode, usrdef::kTable) +
              (officeClause ? u" WHERE %1 = ?"_s.arg(usrdef::kOffice) : QString()) + u" ORDER BY 1"_s);
    if (officeClause)
        q.addBindValue(m_host->GetOfficeID());
    QStringList codes;
    if (q.exec()) {
        while (q.next())
            codes << q.value(0).toString();
    }
    m_listCodes->setStringList(codes);
    for (QLineEdit* edit : {m_selectionList, m_oneChoiceList})
        edit->setToolTip(tr("Lists in this office: %1").arg(codes.join(u", "_s)));
}

void DemoHostWindow::fillPatients() {
    const QSignalBlocker quiet(m_patients);
    m_patients->clear();
    m_patients->addItem(tr("(no patient)"), 0);

    // The host's own patient file; the component only ever asks for the current one.
    const bool officeClause = m_host->GetOfficeMode() == 7;
    QSqlQuery q(m_host->GetConnection());
    q.setForwardOnly(true);
    q.prepare(u"SELECT pID FROM paTable WHERE pTypPat = 'Y'"_s +
              (officeClause ? u" AND OfficeID = ?"_s : QString()) + u" ORDER BY pLASNAM, pFIRNAM, pID"_s);
    if (officeClause)
        q.addBindValue(m_host->GetOfficeID());
    if (!q.exec()) {
        statusBar()->showMessage(tr("The patient list could not be read: %1").arg(q.lastError().text()));
        return;
    }
    QList<qint32> ids;
    while (q.next())
        ids.append(q.value(0).toInt());
    try {
        for (const qint32 id : ids) {
            QString last, first, chart, provider;
            const QString name = m_host->PatientLookup(id, last, first, chart, provider);
            m_patients->addItem(chart.isEmpty() ? name : u"%1  [%2]"_s.arg(name, chart), id);
        }
    } catch (const AutomationError& e) {
        statusBar()->showMessage(tr("The patient list is incomplete: %1").arg(e.message()));
    }

    // Keep the host's current patient; with none yet, start on the first one,
    // as an office program opens on a patient's chart.
    const qint32 currentId = m_host->GetCurrentPatientID();
    const int current = currentId != 0 ? m_patients->findData(currentId) : -1;
    const int index = current >= 0 ? current : (m_patients->count() > 1 ? 1 : 0);
    m_patients->setCurrentIndex(index);
    patientChosen(index);
}

void DemoHostWindow::patientChosen(int index) {
    const qint32 id = index < 0 ? 0 : m_patients->itemData(index).toInt();
    m_host->SetCurrentPatientID(id);
    if (id == 0) {
        m_patientDetails->setText(u"SetCurrentPatientID(0)"_s);
        return;
    }
    QString last, first, chart, provider;
    try {
        m_host->PatientLookup(id, last, first, chart, provider);
    } catch (const AutomationError& e) {
        statusBar()->showMessage(
            tr("Patient %1 could not be read: %2").arg(QString::number(id), e.message()));
    }
    m_patientDetails->setText(tr("SetCurrentPatientID(%1)   chart %2, provider %3")
                                  .arg(QString::number(id), chart.isEmpty() ? u"-"_s : chart,
                                       provider.isEmpty() ? u"-"_s : provider));
}

DemoHostWindow::ResultView DemoHostWindow::makeResultView(const QString& prefix, const QString& entryPoint) {
    ResultView view;
    view.answer = new AnswerBox;
    view.answer->setObjectName(prefix + u"Result"_s);
    view.answer->setPlaceholderText(tr("returned string"));
    view.answer->setAccessibleName(tr("Returned string of %1").arg(entryPoint));
    view.outputs = new QLabel;
    view.outputs->setObjectName(prefix + u"Outputs"_s);
    view.outputs->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // One output a line, wrapped to the column: a long one never pushes the
    // answer box past the window's edge.
    view.outputs->setWordWrap(true);
    QSizePolicy fitColumn(QSizePolicy::Ignored, QSizePolicy::Preferred);
    fitColumn.setHeightForWidth(true);
    view.outputs->setSizePolicy(fitColumn);
    return view;
}

void DemoHostWindow::addRow(QGridLayout* grid, int row, const QString& title, const QString& entryPoint,
                            QWidget* tmp, QWidget* options, QPushButton* call, const ResultView& result) {
    auto* name = new QLabel(
        u"<b>%1</b><br><small>%2</small>"_s.arg(title.toHtmlEscaped(), entryPoint.toHtmlEscaped()));
    grid->addWidget(name, row, 0, Qt::AlignTop);
    grid->addWidget(tmp, row, 1, Qt::AlignTop);
    grid->addWidget(options, row, 2, Qt::AlignTop);
    grid->addWidget(call, row, 3, Qt::AlignTop);
    auto* resultBox = new QWidget;
    auto* resultLayout = new QVBoxLayout(resultBox);
    resultLayout->setContentsMargins(0, 0, 0, 0);
    resultLayout->setSpacing(2);
    resultLayout->addWidget(result.answer);
    resultLayout->addWidget(result.outputs);
    grid->addWidget(resultBox, row, 4);
    for (QWidget* w : {tmp, options, static_cast<QWidget*>(call), resultBox})
        w->setProperty("entryRow", row);
    if (qobject_cast<QLineEdit*>(tmp))
        tmp->setAccessibleName(forEntryPoint(u"Tmp"_s, entryPoint));
}

QWidget* DemoHostWindow::buildEntryPoints() {
    auto* box = new QGroupBox(tr("Entry points"));
    box->setObjectName(u"entryPointsGroup"_s);
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(10);
    int row = 0;
    const QStringList headings{tr("Entry point"), tr("Tmp (in)"), tr("Arguments"), QString(),
                               tr("Returned string, and the by-reference outputs")};
    for (int column = 0; column < headings.size(); ++column) {
        auto* heading = new QLabel(u"<i>%1</i>"_s.arg(headings.at(column)));
        grid->addWidget(heading, row, column);
    }
    ++row;

    // Sex / Title: a flag picks one of four lists; -1 packs the whole request into Tmp.
    m_sexTitleTmp = lineEdit(u"sexTitleTmp"_s, QString(), tr("group code, e.g. MRS"), 150);
    m_sexTitleFlag = new QComboBox;
    m_sexTitleFlag->setObjectName(u"sexTitleFlag"_s);
    m_sexTitleFlag->addItem(u"0  SXTITLE"_s, 0);
    m_sexTitleFlag->addItem(u"1  TITLE"_s, 1);
    m_sexTitleFlag->addItem(u"2  DRSXTTL"_s, 2);
    m_sexTitleFlag->addItem(u"3  DRTTL"_s, 3);
    m_sexTitleFlag->addItem(tr("-1  packed in Tmp"), -1);
    m_sexTitleList = lineEdit(u"sexTitleList"_s, u"DRTTL"_s, tr("list code"), 80);
    m_sexTitleList->setToolTip(tr("With Flag -1, Tmp is sent as five LF-separated fields: this list code, "
                                  "the column, window and frame captions, and the Tmp value."));
    m_sexTitleList->setEnabled(false);
    m_sexTitleKey = lineEdit(u"sexTitleKey"_s, QString(), tr("start on description"), 130);
    connect(m_sexTitleFlag, &QComboBox::currentIndexChanged, this,
            [this] { m_sexTitleList->setEnabled(m_sexTitleFlag->currentData().toInt() == -1); });
    auto* sexTitleCall = callButton(u"sexTitleCall"_s, u"UDDBS_Sex_Title"_s);
    m_sexTitleResult = makeResultView(u"sexTitle"_s, u"UDDBS_Sex_Title"_s);
    addRow(
        grid, row++, tr("Sex / Title"), u"UDDBS_Sex_Title"_s, m_sexTitleTmp,
        argumentRow(u"UDDBS_Sex_Title"_s,
                    {{tr("Flag"), m_sexTitleFlag}, {tr("List"), m_sexTitleList}, {tr("Key"), m_sexTitleKey}}),
        sexTitleCall, m_sexTitleResult);
    connect(sexTitleCall, &QPushButton::clicked, this, &DemoHostWindow::callSexTitle);

    m_creditCardTmp = lineEdit(u"creditCardTmp"_s, QString(), tr("group code, e.g. V"), 150);
    auto* creditCardCall = callButton(u"creditCardCall"_s, u"UDDBS_Credit_Card"_s);
    m_creditCardResult = makeResultView(u"creditCard"_s, u"UDDBS_Credit_Card"_s);
    addRow(grid, row++, tr("Credit card"), u"UDDBS_Credit_Card"_s, m_creditCardTmp,
           argumentRow(u"UDDBS_Credit_Card"_s, {{QString(), new QLabel(tr("list CRECARD"))}}), creditCardCall,
           m_creditCardResult);
    connect(creditCardCall, &QPushButton::clicked, this, &DemoHostWindow::callCreditCard);

    m_medAlertTmp = lineEdit(u"medAlertTmp"_s, QString(), tr("group code, e.g. PEN"), 150);
    auto* medAlertCall = callButton(u"medAlertCall"_s, u"UDDBS_Med_Alert"_s);
    m_medAlertResult = makeResultView(u"medAlert"_s, u"UDDBS_Med_Alert"_s);
    addRow(grid, row++, tr("Medical alerts"), u"UDDBS_Med_Alert"_s, m_medAlertTmp,
           argumentRow(u"UDDBS_Med_Alert"_s, {{QString(), new QLabel(tr("list ALERT, several at once"))}}),
           medAlertCall, m_medAlertResult);
    connect(medAlertCall, &QPushButton::clicked, this, &DemoHostWindow::callMedAlert);

    m_listCodes = new QStringListModel(this);
    m_selectionList = lineEdit(u"selectionList"_s, u"PROCS"_s, tr("list code"), 90);
    m_selectionCaption = lineEdit(u"selectionCaption"_s, tr("Procedures"), tr("window caption"), 120);
    m_selectionMulti = checkBox(u"selectionMulti"_s, tr("Multi"), true);
    m_selectionLetter = checkBox(u"selectionShowLetter"_s, tr("Show letter"), false);
    auto* selectionCall = callButton(u"selectionCall"_s, u"UDDBS_Selection"_s);
    m_selectionResult = makeResultView(u"selection"_s, u"UDDBS_Selection"_s);
    addRow(grid, row++, tr("Selection"), u"UDDBS_Selection"_s, noTmp(u"selectionNoTmp"_s, tr("(no Tmp)")),
           argumentRow(u"UDDBS_Selection"_s, {{tr("List"), m_selectionList},
                                              {tr("Caption"), m_selectionCaption},
                                              {QString(), m_selectionMulti},
                                              {QString(), m_selectionLetter}}),
           selectionCall, m_selectionResult);
    connect(selectionCall, &QPushButton::clicked, this, &DemoHostWindow::callSelection);

    m_oneChoiceList = lineEdit(u"oneChoiceList"_s, u"DOCLIST"_s, tr("list code"), 90);
    m_oneChoiceCaption = lineEdit(u"oneChoiceCaption"_s, tr("Letters"), tr("window caption"), 120);
    m_oneChoiceLetter = checkBox(u"oneChoiceShowLetter"_s, tr("Show letter"), true);
    auto* oneChoiceCall = callButton(u"oneChoiceCall"_s, u"UDDBS_1_Choice"_s);
    m_oneChoiceResult = makeResultView(u"oneChoice"_s, u"UDDBS_1_Choice"_s);
    addRow(grid, row++, tr("One choice"), u"UDDBS_1_Choice"_s,
           noTmp(u"oneChoiceNoTmp"_s, tr("(Tmp is out only)")),
           argumentRow(u"UDDBS_1_Choice"_s, {{tr("List"), m_oneChoiceList},
                                             {tr("Caption"), m_oneChoiceCaption},
                                             {QString(), m_oneChoiceLetter}}),
           oneChoiceCall, m_oneChoiceResult);
    connect(oneChoiceCall, &QPushButton::clicked, this, &DemoHostWindow::callOneChoice);

    // A dental code list: the chosen records come back line by line and are
    // composed into the chart note; "||" in front of the code asks for one row.
    m_codeListCode = lineEdit(u"codeListCode"_s, u"|PROCS"_s, tr("list reference"), 90);
    m_codeListModify = checkBox(u"codeListModify"_s, u"Mod_Flag"_s, false);
    m_codeListShowCode = checkBox(u"codeListShowCode"_s, tr("Show code"), true);
    m_codeListShowLetter = checkBox(u"codeListShowLetter"_s, tr("Show letter"), false);
    auto* codeListCall = callButton(u"codeListCall"_s, u"UDDBS_Cds_Qrp"_s);
    m_codeListResult = makeResultView(u"codeList"_s, u"UDDBS_Cds_Qrp"_s);
    addRow(grid, row++, tr("Code list, composed"), u"UDDBS_Cds_Qrp + Cds_Qrp_Compose"_s,
           noTmp(u"codeListNoTmp"_s, tr("(no Tmp)")),
           argumentRow(u"UDDBS_Cds_Qrp"_s, {{tr("Code"), m_codeListCode},
                                            {QString(), m_codeListModify},
                                            {QString(), m_codeListShowCode},
                                            {QString(), m_codeListShowLetter}}),
           codeListCall, m_codeListResult);
    connect(codeListCall, &QPushButton::clicked, this, &DemoHostWindow::callCodeList);

    for (QLineEdit* edit : {m_selectionList, m_oneChoiceList}) {
        auto* completer = new QCompleter(m_listCodes, edit);
        completer->setCaseSensitivity(Qt::CaseInsensitive);
        completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
        edit->setCompleter(completer);
    }
    // Enter in a row's code box calls its entry point, as the Call button does.
    const std::pair<QLineEdit*, void (DemoHostWindow::*)()> enterCalls[] = {
        {m_sexTitleTmp, &DemoHostWindow::callSexTitle},    {m_creditCardTmp, &DemoHostWindow::callCreditCard},
        {m_medAlertTmp, &DemoHostWindow::callMedAlert},    {m_selectionList, &DemoHostWindow::callSelection},
        {m_oneChoiceList, &DemoHostWindow::callOneChoice}, {m_codeListCode, &DemoHostWindow::callCodeList},
    };
    for (const auto& [edit, call] : enterCalls)
        connect(edit, &QLineEdit::returnPressed, this, call);

    grid->setColumnStretch(4, 1);
    grid->setRowStretch(row, 1);
    return box;
}

} // namespace vvdemo
