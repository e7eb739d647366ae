#pragma once

#include "Export.h"
#include "IDialogs.h"
#include "IGlobal.h"

#include <QString>
#include <QVariant>

namespace viVavazuruv {

// The default interface of the component's class, in the member order hosts
// know. A host that loads the component at run time holds this interface and
// the IGlobal that QueryIGlobal returns; a host that links the library may use
// wkDatabases directly.
class VIVAVAZURUV_EXPORT _wkDatabases {
public:
    virtual ~_wkDatabases() = default;

    // Accepted and dropped: the office comes from the host's GIC.
    virtual void put_LocationID(qint32 lNewValue) = 0;
    // Composes the chart note from what UDDBS_Cds_Qrp returned (the five
    // outputs as they came back, one line per record, and the count): the
    // top list's entries, joined with that list's words, and each nested
    // level's entries filling the variables ("|T#", "|??", a list's variable)
    // of the level above, in order. Ret_String receives the text ("" when
    // Ret_DBName is empty); Ret_ID is not used.
    virtual void Cds_Qrp_Compose(QString& Ret_String, QString& Ret_DBName, QString& Ret_Level,
                                 QString& Ret_Description, QString& Ret_ADA, QString& Ret_Letter,
                                 QString& Ret_ID, qint16& nUDDBS_Selected) = 0;
    // Always "".
    virtual QString get_LoginName() const = 0;
    // Accepted and dropped.
    virtual void put_LoginName(QString vNewValue) = 0;

    // The pickers. Each answers at once when the caller's value is a group
    // code of the list (the three with Tmp), or shows the modal picker window
    // and returns what the user chose ("" when the window was closed without a
    // choice). By-reference arguments are written back as documented. A host
    // or database failure raises AutomationError; the window is gone when the
    // call returns, whichever way it ended.
    //
    // Salutation: Flag 0 "SXTITLE", 1 "TITLE", 2 "DRSXTTL", 3 "DRTTL", -1 the
    // request packed into Tmp as five LF-separated fields (list code, column
    // caption, window caption, frame caption, value to look up), any other
    // value the previous request's list. Key is the description the cursor
    // starts on. Tmp receives the chosen text; the result equals it.
    virtual QString UDDBS_Sex_Title(QString& Tmp, float& WTop, float& WLeft, qint16& Flag, QString& Key) = 0;
    // A dental code list: Code is the list's reference; a leading "||" asks
    // for one row only and loses its first character. Pat_ID becomes the
    // host's current patient. The window keeps its size and place per list,
    // shows "Code" (ShowCode) and "Letter File Name" (ShowLetter), both put
    // back to false when the host turns those columns off, and lets the list be
    // changed only when the host or Mod_Flag allows it. Every chosen record,
    // nested levels and "|??" answers included, adds one line (ended by a line
    // feed) to DBName (its list), Level, Desc, Ada (when ShowCode), Letter
    // (when ShowLetter) and id (its key); nUDDBS_Selected counts them.
    virtual void UDDBS_Cds_Qrp(QString& Code, qint16& Mod_Flag, QString& DBName, QString& Level,
                               QString& Desc, QString& Ada, QString& Letter, QString& id,
                               qint16& nUDDBS_Selected, float& WTop, float& WLeft, qint32& Pat_ID,
                               bool* ShowCode = nullptr, bool* ShowLetter = nullptr) = 0;
    // Credit card kind ("CRECARD"); Tmp in: value to look up, out: the choice.
    virtual QString UDDBS_Credit_Card(QString& Tmp, float& WTop, float& WLeft) = 0;
    // Medical alerts ("ALERT"), several at once, joined by ", " in tick order.
    virtual QString UDDBS_Med_Alert(QString& Tmp, float& WTop, float& WLeft) = 0;
    // Any list DBNM; one or several descriptions, one per line (CR LF).
    // ShowLetter adds the document file column; it comes back false when the
    // host turns letter columns off.
    virtual QString UDDBS_Selection(bool& MultiSelection, float& WTop, float& WLeft, QString& DBNM,
                                    QString& Captn, bool& ShowLetter) = 0;
    // Any list DBNM, one row; pipe-sign variables are not offered. LetterName
    // receives the chosen row's letter file name when ShowLetter is true.
    virtual QString UDDBS_1_Choice(QString& Tmp, float& WTop, float& WLeft, QString& DBNM, QString& Captn,
                                   bool* ShowLetter = nullptr, QString* LetterName = nullptr) = 0;
    // Always an empty (invalid) QVariant.
    virtual QVariant get_MultiUser() const = 0;
    // Accepted and dropped.
    virtual void put_MultiUser(QVariant vNewValue) = 0;
    // Always "".
    virtual QString get_Path() const = 0;
    // Accepted and dropped.
    virtual void put_Path(QString vNewValue) = 0;

    // The same object's IGlobal, as a COM host would ask for it.
    virtual IGlobal* QueryIGlobal() = 0;
};

// The component's one public class. It has no per-instance data: the host
// objects and the request state are component-wide, so every instance sees what
// the last one received, and releasing an instance releases nothing else.
// Creating one opens no window and no connection.
class VIVAVAZURUV_EXPORT wkDatabases final : public _wkDatabases, public IGlobal {
public:
    wkDatabases() = default;
    ~wkDatabases() override = default;
    Q_DISABLE_COPY_MOVE(wkDatabases)

    void put_LocationID(qint32 lNewValue) override;
    void Cds_Qrp_Compose(QString& Ret_String, QString& Ret_DBName, QString& Ret_Level,
                         QString& Ret_Description, QString& Ret_ADA, QString& Ret_Letter, QString& Ret_ID,
                         qint16& nUDDBS_Selected) override;
    QString get_LoginName() const override;
    void put_LoginName(QString vNewValue) override;
    QString UDDBS_Sex_Title(QString& Tmp, float& WTop, float& WLeft, qint16& Flag, QString& Key) override;
    void UDDBS_Cds_Qrp(QString& Code, qint16& Mod_Flag, QString& DBName, QString& Level, QString& Desc,
                       QString& Ada, QString& Letter, QString& id, qint16& nUDDBS_Selected, float& WTop,
                       float& WLeft, qint32& Pat_ID, bool* ShowCode = nullptr,
                       bool* ShowLetter = nullptr) override;
    QString UDDBS_Credit_Card(QString& Tmp, float& WTop, float& WLeft) override;
    QString UDDBS_Med_Alert(QString& Tmp, float& WTop, float& WLeft) override;
    QString UDDBS_Selection(bool& MultiSelection, float& WTop, float& WLeft, QString& DBNM, QString& Captn,
                            bool& ShowLetter) override;
    QString UDDBS_1_Choice(QString& Tmp, float& WTop, float& WLeft, QString& DBNM, QString& Captn,
                           bool* ShowLetter = nullptr, QString* LetterName = nullptr) override;
    QVariant get_MultiUser() const override;
    void put_MultiUser(QVariant vNewValue) override;
    QString get_Path() const override;
    void put_Path(QString vNewValue) override;
    IGlobal* QueryIGlobal() override;

    // Routes every dialog of the component (message boxes, the input box, the
    // file dialog) through dialogs instead of Qt's own; null restores Qt's.
    // Component-wide, like the host objects.
    static void SetDialogs(std::shared_ptr<IDialogs> dialogs);

    void put_DAC(const HostObject& value) override;
    HostObject get_DAC() const override;
    void put_GIC(const HostServicesRef& value) override;
    HostServicesRef get_GIC() const override;
    void put_GC(const HostObject& value) override;
    HostObject get_GC() const override;
    void put_PV(const HostObject& value) override;
    HostObject get_PV() const override;
};

} // namespace viVavazuruv
