// What a host is asked: every call of every entry point and of the window's
// main roads, with its arguments and in order, recorded on the reference
// host over SQLite and PostgreSQL and compared with what a host of the suite
// expects. The expected calls are written out from the component's rules
// (the request state, the window's load, the list store's statements, the
// select action, the save), not from a recording; the few places where this
// component asks differently on purpose are the functions in namespace
// deliberate below, and docs/host-guide.md lists the same ones.
#include <refhost/RefhostSupport.h>
#include <support/PickerEnv.h>
#include <support/RecordingHost.h>

#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace viVavazuruv;
using viVavazuruv::test::PickerEnv;
using namespace Qt::StringLiterals;

namespace {

// Call lines and lists of them, in order.
template <typename... Parts> QStringList seq(const Parts&... parts) {
    QStringList calls;
    ((calls += parts), ...);
    return calls;
}
// A call line as the recording host writes it.
QString q(const QString& text) {
    return test::RecordingHost::quoted(text);
}
QString translate(const QString& statement) {
    return u"TranslateSql(%1, 1, 0)"_s.arg(q(statement));
}
QString getField(const QString& text, int index, const QString& separator = u"\n"_s) {
    return u"GetField(%1, %2, %3, 0)"_s.arg(q(text), q(separator)).arg(index);
}
const QString kConnection = u"GetConnection()"_s;
const QString kOfficeMode = u"GetOfficeMode()"_s;
const QString kButtonHints = uR"(ReadOptionFlag("POPUP_HELP_FLAG", -1, null, 0))"_s;
const QString kNothingChosen = getField({}, 2);

// A selection record as the window hands it to the entry point: each field
// followed by a line feed, the record ended by a carriage return. The three
// fields between the description and the key are empty in these lists; key 0 is none.
QString record(const QString& group, const QString& description, qint32 key, const QString& list = {},
               int level = 0) {
    const QString id = key ? QString::number(key) : QString();
    return QStringList{group, description, {}, {}, {}, id, list, QString::number(level)}.join(u'\n') +
           u"\n\r"_s;
}

// The office clause of a statement in office mode 7.
struct Office {
    int mode = 0, id = 1;
    QStringList calls() const {
        return mode == 7 ? QStringList{kOfficeMode, u"GetOfficeID()"_s} : QStringList{kOfficeMode};
    }
    QString clause() const { return mode == 7 ? u" and (OfficeID=%1)"_s.arg(id) : QString(); }
};

// One list read: the literal, the office, the statement, the connection.
QStringList listRead(const QString& code, const Office& office = {}) {
    return seq(u"SqlValue(%1, false, 1, 0)"_s.arg(q(code)), office.calls(),
               translate(u"select * from UsrDefTable where UsrDefCod = '%1'"_s.arg(code) + office.clause()),
               kConnection);
}

// The patient's record read for a list that shows its variables (a
// patient whose provider and fee types need no repair).
QStringList patientRead(qint32 patient) {
    return {kOfficeMode, translate(u"select * from paTable where pID=%1"_s.arg(patient)), kConnection};
}

// Loading the window for a request that keeps no layout: the current
// patient and whether it is usable, the frame's caption, level 0's list
// (the patient's record after it for a list showing variables), then the
// option behind the buttons' tool-tips.
QStringList windowLoad(const QString& frameCaption, const QString& code, qint32 patient = 0,
                       const QStringList& afterList = {}, const Office& office = {}) {
    return seq(u"GetCurrentPatientID()"_s, u"PatientLookup(%1)"_s.arg(patient),
               u"CaptionText(%1)"_s.arg(q(frameCaption)), listRead(code, office), afterList, kButtonHints);
}

// Where this component asks a host other than a host of the suite expects,
// on purpose; each is one function, named in docs/host-guide.md.
namespace deliberate {
// The conflict check's option, asked when a level first enters edit mode.
const QString kConflictCheck = uR"(ReadOptionFlag("LIST_CONFLICT_CHECK", 0, null, 0))"_s;
// A save: one run of the host's saves (the reference host holds the rows
// back, so the run ends with EndSaveRecords(true)); with the conflict check
// on, the edited rows read locked (in key order) in it before they are written.
QStringList checkedSave(const QString& code, const QList<qint32>& editedKeys, const QStringList& saves,
                        const Office& office = {}) {
    QStringList keys;
    for (const qint32 key : editedKeys)
        keys << QString::number(key);
    QStringList calls{u"BeginSaveRecords()"_s};
    if (!editedKeys.isEmpty())
        calls << seq(
            u"SqlValue(%1, false, 1, 0)"_s.arg(q(code)), office.calls(),
            translate(u"select * from UsrDefTable where UsrDefCod = '%1'"_s.arg(code) + office.clause() +
                      u" and UsrDefInd in (%1) order by UsrDefInd for update"_s.arg(keys.join(u','))),
            kConnection);
    return seq(calls, saves, u"EndSaveRecords(true)"_s);
}
// Whether an access key, or Space or Enter on a focused button, stands in
// for the mouse: asked at the first such key, not at load.
const QString kKeyboardUserAction = uR"(ReadOptionFlag("KEYBOARD_USER_ACTION", 0, null, 0))"_s;
// A delete with the conflict check on reads the row before it deletes it.
QStringList checkedDeleteRead(qint32 key) {
    return {kOfficeMode, translate(u"select * from UsrDefTable where UsrDefInd=%1"_s.arg(key)), kConnection};
}
} // namespace deliberate

// The save of one row: the key field as the rules spell it, the column
// pairs in column order, an insert's list code last.
QString saveRecord(qint32 key, QStringList values, const QString& insertInto = {}) {
    QStringList names{u"usrdefSeqCod"_s, u"usrdefDes"_s, u"usrdefCDSDRWFla"_s, u"usrdefADA"_s,
                      u"usrdefLetNam"_s};
    if (!insertInto.isEmpty())
        names << u"UsrDefCod"_s, values << insertInto;
    return test::RecordingHost::callOf("SaveRecord", qint16(1), u"UsrDefTable"_s, u"UsrDefInd"_s, key, names,
                                       values, true);
}

class HostViewTest : public test::EntryPointTest {
protected:
    void SetUp() override {
        EntryPointTest::SetUp();
        if (!m_env)
            return;
        m_host = std::make_shared<test::RecordingHost>(m_env->hostRef());
        m_env->component().put_GIC(m_host);
    }
    // The calls since the last check, against what the road should ask.
    void expectCalls(const QStringList& expected, const char* road) {
        EXPECT_EQ(m_host->calls().join(u'\n').toStdString(), expected.join(u'\n').toStdString())
            << road << ", with the host's answers:\n"
            << m_host->transcript().toStdString();
        m_host->clear();
    }
    // A patient whose provider and fee types need no repair, made the current one.
    qint32 addPatient() {
        qint32 patient = 0;
        EXPECT_TRUE(
            m_env->host().SaveRecord(1, u"paTable"_s, u"pID"_s, patient,
                                     {u"pLASNAM"_s, u"pPROIND"_s, u"pGPDenFeeTypPerm"_s, u"pGPDenFeeTyp"_s},
                                     {u"Doe"_s, u"1"_s, u"1"_s, u"1"_s}, true));
        return patient;
    }
    QString card(QString tmp) { return m_env->component().UDDBS_Credit_Card(m_tmp = tmp, m_top, m_left); }

    std::shared_ptr<test::RecordingHost> m_host;
    QString m_tmp;
    float m_top = 0, m_left = 0;
};

TEST_P(HostViewTest, ACreditCardIsLookedUpOrChosenAndItsListEditedThroughTheHost) {
    const qint32 visa = m_env->addEntry(u"CRECARD"_s, u"V"_s, u"Visa"_s);
    const qint32 mc = m_env->addEntry(u"CRECARD"_s, u"MC"_s, u"MasterCard"_s);
    const QStringList load = windowLoad(u"Credit Card"_s, u"CRECARD"_s);

    // Answered: the window's load is asked as if the window had been made.
    EXPECT_EQ(card(u" v"_s), u"Visa"_s);
    expectCalls(load, "a listed group code");

    // Not answered: the same one load, then the choice read with GetField.
    play({pick(1), press("cmd_Select")});
    EXPECT_EQ(card(u"X"_s), u"MasterCard"_s);
    expectCalls(seq(load, getField(record(u"MC"_s, u"MasterCard"_s, mc), 2)),
                "a code the list lacks, then OK on the first row");

    // Closed from the title bar without choosing: nothing is chosen, and GetField says so.
    play({[] {
        PickerEnv::form()->close();
    }});
    EXPECT_EQ(card({}), QString());
    expectCalls(seq(load, kNothingChosen), "the title bar's close");

    m_env->dialogs().expectMessage(MsgBox::AnswerYes, u"delete"_s);
    m_env->dialogs().expectMessage(MsgBox::AnswerYes, u"save"_s);
    play({[&] {
        PickerEnv::pressButton(u"cmd_Edit"_s);
        PickerEnv::typeIntoCell(PickerEnv::grid(), 2, 1, u"MasterCard Gold"_s);
        PickerEnv::pressButton(u"cmd_Add"_s);
        PickerEnv::typeIntoCell(PickerEnv::grid(), 1, 3, u"AX"_s);
        PickerEnv::typeIntoCell(PickerEnv::grid(), 2, 3, u"American Express"_s);
        PickerEnv::clickCell(2, 2);
        PickerEnv::pressButton(u"cmd_Del"_s);
        PickerEnv::pressButton(u"cmd_Edit"_s);
        PickerEnv::pressButton(u"cmd_Cancel"_s);
    }});
    EXPECT_EQ(card({}), QString());
    expectCalls(seq(load,
                    // Edit: the frame's caption, the option of the buttons' tool-tips.
                    uR"(CaptionText("Credit Card"))"_s, deliberate::kConflictCheck, kButtonHints,
                    // Delete: one statement, the key as the statements spell it.
                    deliberate::checkedDeleteRead(visa), kOfficeMode,
                    translate(u"Delete * from UsrDefTable where UsrDefInd=%1"_s.arg(visa)), kConnection,
                    // Done: the caption, the host's question, the saves, the list read again, the tool-tips.
                    uR"(CaptionText("Credit Card"))"_s, uR"(AskMessage("SA001", "", ""))"_s,
                    deliberate::checkedSave(
                        u"CRECARD"_s, {mc},
                        {saveRecord(mc, {u"MC"_s, u"MasterCard Gold"_s, {}, {}, {}}),
                         saveRecord(0, {u"AX"_s, u"American Express"_s, {}, {}, {}}, u"CRECARD"_s)}),
                    listRead(u"CRECARD"_s), kButtonHints, kNothingChosen),
                "edit, new, delete, done, close");
    EXPECT_EQ(m_env->storedDescriptions(u"CRECARD"_s),
              (QStringList{u"American Express"_s, u"MasterCard Gold"_s}));
}

// Ticked in order, one row left unticked: the answer, also in the caller's
// value, joins the ticked ones; each is read record by record.
TEST_P(HostViewTest, TickedAlertsAreReadRecordByRecordAndJoinedInOrder) {
    const qint32 a = m_env->addEntry(u"ALERT"_s, u"M"_s, u"Anticoagulants"_s);
    const qint32 d = m_env->addEntry(u"ALERT"_s, u"M"_s, u"Diabetes"_s);
    m_env->addEntry(u"ALERT"_s, u"M"_s, u"Hypertension"_s);
    play({pick(1), pick(2), press("cmd_Select")});
    EXPECT_EQ(QStringList({m_env->component().UDDBS_Med_Alert(m_tmp, m_top, m_left), m_tmp}),
              QStringList(2, u"Anticoagulants, Diabetes"_s));
    // The list code is what the frame caption holds from its twelfth character.
    const QString first = record(u"M"_s, u"Anticoagulants"_s, a, u"rt"_s);
    const QString second = record(u"M"_s, u"Diabetes"_s, d, u"rt"_s);
    const QString chosen = first + second;
    expectCalls(seq(windowLoad(u"Medical Alert"_s, u"ALERT"_s), getField(chosen, 1, u"\r"_s),
                    getField(first.chopped(1), 2), getField(chosen, 2, u"\r"_s),
                    getField(second.chopped(1), 2), getField(chosen, 3, u"\r"_s)),
                "two ticked alerts");
}

TEST_P(HostViewTest, APackedSalutationRequestIsCutByTheHostBeforeTheWindowLoads) {
    const qint32 dr = m_env->addEntry(u"DRTTL"_s, u"D"_s, u"Dr."_s);
    m_env->addEntry(u"DRTTL"_s, u"P"_s, u"Prof."_s);
    const QString packed = u"DRTTL\nDoctor Title\nDoctors\nDoctor list"_s;
    QString tmp = packed, key = u"Dr."_s;
    qint16 flag = -1;
    play({press("cmd_Select")});
    EXPECT_EQ(m_env->component().UDDBS_Sex_Title(tmp, m_top, m_left, flag, key), u"Dr."_s);
    expectCalls(seq(getField(packed, 1), getField(packed, 2), getField(packed, 3), getField(packed, 4),
                    getField(packed + u"\n"_s, 5), windowLoad(u"Doctor list"_s, u"DRTTL"_s),
                    uR"(ResetHostText(""))"_s, getField(record(u"D"_s, u"Dr."_s, dr), 2)),
                "a packed request, the cursor put on its key");

    // A flag outside the table keeps the last list; a listed code is answered.
    tmp = u"p"_s, flag = 9;
    EXPECT_EQ(m_env->component().UDDBS_Sex_Title(tmp, m_top, m_left, flag, key), u"Prof."_s);
    expectCalls(windowLoad(u"Sex/ Title"_s, u"DRTTL"_s), "the last request's list, answered");
}

TEST_P(HostViewTest, ASelectionAsksForTheLetterColumnAfterTheRequestIsSetAndReadsEachRecordsAnswer) {
    const qint32 k = m_env->addEntry(u"DOCS"_s, u"A"_s, u"Consent |??"_s);
    m_env->dialogs().expectInput(u"signed"_s, u"Consent"_s);
    play({press("cmd_Select")});
    bool multi = false, letter = true;
    QString list = u"DOCS"_s, caption = u"Documents"_s;
    EXPECT_EQ(m_env->component().UDDBS_Selection(multi, m_top, m_left, list, caption, letter), u"Consent "_s);
    const QString row = record(u"A"_s, u"Consent |??"_s, k);
    const QString answer = record({}, u"signed"_s, 0, u"|??"_s, 1);
    const QStringList load = seq(u"LetterColumnsOff()"_s, windowLoad({}, u"DOCS"_s));
    expectCalls(seq(load, uR"(ReplaceVariable("Consent |??", "|??", "signed", 1, 9, 0))"_s,
                    uR"(ReplaceVariable("signed", "\r\n", "\x02", 0, 1, 0))"_s,
                    getField(row + answer, 1, u"\r"_s), getField(row.chopped(1), 2),
                    getField(row.chopped(1), 10)),
                "one choice with a typed answer");

    // One choice: the first record's description, its letter.
    QString tmp, letterName;
    m_env->dialogs().expectMessage(MsgBox::AnswerOk, u"not supported"_s);
    play({press("cmd_Select")});
    EXPECT_EQ(m_env->component().UDDBS_1_Choice(tmp, m_top, m_left, list, caption, &letter, &letterName),
              u"Consent |??"_s);
    expectCalls(seq(load, getField(row, 2), getField(row, 5)), "one choice of a list without variables");
}

TEST_P(HostViewTest, ACodeListOpensItsNestedListAndReturnsEveryRecordLineByLine) {
    qint32 patient = addPatient();
    m_env->addEntry(u"PROCS"_s, u"P"_s, u"$-Restorative"_s);
    const qint32 crown = m_env->addEntry(u"PROCS"_s, u"P"_s, u"Crown on |TEETH"_s);
    const qint32 tooth = m_env->addEntry(u"TEETH"_s, u"T"_s, u"#3"_s);
    m_env->host().setPipeVariable(u"TEETH"_s, u"TEETH"_s);

    play({pick(2), press("cmd_Select"), pick(1, 1), press("cmd_Select", 1)});
    QString code = u"|PROCS"_s, dbName, level, desc, ada, letter, id;
    qint16 modFlag = 0, count = 0;
    bool showCode = false, showLetter = false;
    m_env->component().UDDBS_Cds_Qrp(code, modFlag, dbName, level, desc, ada, letter, id, count, m_top,
                                     m_left, patient, &showCode, &showLetter);
    EXPECT_EQ(desc, u"Crown on |TEETH\n#3\n"_s);

    const QString procedure = record(u"P"_s, u"Crown on |TEETH"_s, crown, u"|PROCS"_s);
    const QString toothRecord = record(u"T"_s, u"#3"_s, tooth, u"|TEETH"_s, 1);
    // What each output reads of the records: the description, the code, the list, the level.
    const auto outputs = [](const QString& r) {
        return QStringList{getField(r, 2), getField(r, 6), getField(r, 7), getField(r, 8)};
    };
    expectCalls(seq(u"SetCurrentPatientID(%1)"_s.arg(patient), uR"(CodeListKey("|PROCS"))"_s,
                    u"LetterColumnsOff()"_s, u"CanModifyLists()"_s,
                    // The window: the patient, its settings file, level 0.
                    u"GetCurrentPatientID()"_s, u"PatientLookup(%1)"_s.arg(patient),
                    uR"(LayoutFileName("PROCS", ""))"_s, u"GetHostPath()"_s,
                    uR"(CaptionText("Database = |PROCS"))"_s, listRead(u"PROCS"_s), kButtonHints,
                    // OK on the crown: its variable names a list, opened on level 1 while OK waits.
                    uR"(PipeVariableList("|TEETH"))"_s, kButtonHints, uR"(CodeListKey("|TEETH"))"_s,
                    uR"(CaptionText("Database = |TEETH"))"_s, listRead(u"TEETH"_s), u"NotifyHost(1)"_s,
                    outputs(procedure + toothRecord), outputs(toothRecord)),
                "a procedure, its tooth on the nested level");

    // The chart note from those lines: each level's entries joined and put
    // where the first variable still open stands, the whole note lent each time.
    m_env->host().setPipeVariable(u"PROCS"_s, u"PROCS"_s);
    QString note;
    m_env->component().Cds_Qrp_Compose(note, dbName, level, desc, ada, letter, id, count);
    EXPECT_EQ(note, u"Crown on #3"_s);
    expectCalls({uR"(SplitText("0\n1\n", "\n"))"_s, getField(dbName, 1),
                 // Level 0.
                 getField(dbName, 1), uR"(ListJoinWords("|PROCS"))"_s, getField(desc, 1), getField(ada, 1),
                 getField(letter, 1), uR"(InsertEachItem("|PROCS"))"_s,
                 uR"(ReplaceVariable("Crown on |TEETH\x01", "\x02", "\r\n", 0, 1, 0))"_s,
                 uR"(ReplaceVariable("Crown on |TEETH\x01", "\x01", "", 1, 1, 0))"_s,
                 uR"(PipeVariableList("|PROCS "))"_s,
                 uR"(ReplaceVariable("|PROCS", "|PROCS", "Crown on |TEETH", 1, 1, 0))"_s,
                 // Level 1.
                 getField(dbName, 2), uR"(ListJoinWords("|TEETH"))"_s, getField(desc, 2), getField(ada, 2),
                 getField(letter, 2), uR"(InsertEachItem("|TEETH"))"_s,
                 uR"(ReplaceVariable("#3\x01", "\x02", "\r\n", 0, 1, 0))"_s,
                 uR"(ReplaceVariable("#3\x01", "\x01", "", 1, 1, 0))"_s, uR"(PipeVariableList("|TEETH "))"_s,
                 uR"(ReplaceVariable("Crown on |TEETH", "|TEETH", "#3", 1, 1, 0))"_s},
                "the chart note of that choice");
}

TEST_P(HostViewTest, APipeSignListLoadsItsPatientAndLeavesEditModeOnTheRowItsTextFinds) {
    qint32 patient = addPatient();
    m_env->host().SetCurrentPatientID(patient);
    m_env->addEntry(u"FILL"_s, u"*M"_s, u"$-Fillings"_s);
    const qint32 composite = m_env->addEntry(u"FILL"_s, u"12"_s, u"Composite |SU"_s);
    m_env->addEntry(u"FILL"_s, u"2"_s, u"Amalgam |SU"_s);

    // The cursor on "2"; Edit puts it in the first column, Done finds "2"
    // there again as a grid search finds it: in "12", the first row holding it.
    // One step: Done lets the host process messages, which must not run the next step meanwhile.
    play({pick(3), [] {
              PickerEnv::pressButton(u"cmd_Edit"_s);
              PickerEnv::pressButton(u"cmd_Edit"_s);
              PickerEnv::pressButton(u"cmd_Select"_s);
          }});
    bool multi = false, letter = false;
    QString list = u"FILL"_s, caption = u"Fillings"_s;
    EXPECT_EQ(m_env->component().UDDBS_Selection(multi, m_top, m_left, list, caption, letter),
              u"Composite (?)"_s);
    const QString chosen = record(u"12"_s, u"Composite (?)"_s, composite);
    expectCalls(seq(u"LetterColumnsOff()"_s, windowLoad({}, u"FILL"_s, patient, patientRead(patient)),
                    // Edit: the stored texts, read again without the patient.
                    uR"(CaptionText(""))"_s, listRead(u"FILL"_s), deliberate::kConflictCheck, kButtonHints,
                    // Done: nothing to save; the variables shown again, the host's messages let through.
                    uR"(CaptionText(""))"_s, listRead(u"FILL"_s), patientRead(patient), u"NotifyHost(1)"_s,
                    kButtonHints, getField(chosen, 1, u"\r"_s), getField(chosen.chopped(1), 2)),
                "edit and done on a pipe-sign list, then OK");
}

TEST_P(HostViewTest, TheTitleBarSavesWhatWasTypedAndEveryStatementCarriesTheOfficeInOfficeMode7) {
    m_env->host().setOfficeMode(7), m_env->host().setOfficeID(3);
    const qint32 mc = m_env->addEntry(u"CRECARD"_s, u"MC"_s, u"MasterCard"_s);
    const Office office{7, 3};
    m_env->dialogs().expectMessage(MsgBox::AnswerYes, u"save"_s);
    play({[] {
              // A key on a button asks whether keys stand in for the mouse; they do not here.
              QPushButton* ok = PickerEnv::form()->level(0).cmd_Select;
              ok->setFocus();
              QTest::keyClick(ok, Qt::Key_Space);
          },
          [] {
              PickerEnv::pressButton(u"cmd_Edit"_s);
              PickerEnv::typeIntoCell(PickerEnv::grid(), 2, 1, u"MasterCard Gold"_s);
              PickerEnv::form()->close();
          }});
    EXPECT_EQ(card({}), QString());
    expectCalls(
        seq(windowLoad(u"Credit Card"_s, u"CRECARD"_s, 0, {}, office), deliberate::kKeyboardUserAction,
            uR"(CaptionText("Credit Card"))"_s, deliberate::kConflictCheck, kButtonHints,
            uR"(AskMessage("SA001", "", ""))"_s,
            deliberate::checkedSave(u"CRECARD"_s, {mc},
                                    {saveRecord(mc, {u"MC"_s, u"MasterCard Gold"_s, {}, {}, {}})}, office),
            listRead(u"CRECARD"_s, office), kNothingChosen),
        "a key on OK, then Edit, a typed cell and the title bar's close");
    EXPECT_EQ(m_env->storedDescriptions(u"CRECARD"_s), QStringList{u"MasterCard Gold"_s});
}

VV_ON_BOTH_ENGINES(HostViewTest);

} // namespace
