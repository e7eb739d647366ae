#include <viVavazuruv/SeedData.h>

#include <viVavazuruv/AutomationError.h>
#include <viVavazuruv/Transaction.h>
#include <viVavazuruv/UsrDefTable.h>

#include <QCoreApplication>
#include <QList>
#include <QPair>
#include <QSqlError>
#include <QSqlQuery>

#include <initializer_list>

using namespace Qt::StringLiterals;

namespace viVavazuruv::refhost {

namespace {

// One UsrDefTable row: group, description, chart-drawing flag,
// procedure code and letter file. A description starting "$-" is a title line.
struct Entry {
    QString group;
    QString description;
    QString drawFlag = {};
    QString procedureCode = {};
    QString letterFile = {};
};

struct List {
    QString code;
    QList<Entry> entries;
};

QList<Entry> teeth() {
    static const char* const kinds[] = {"third molar",     "second molar",   "first molar",
                                        "second premolar", "first premolar", "canine",
                                        "lateral incisor", "central incisor"};
    static const char* const quadrants[] = {"upper right", "upper left", "lower left", "lower right"};
    QList<Entry> rows;
    for (int tooth = 1; tooth <= 32; ++tooth) {
        const int quadrant = (tooth - 1) / 8;
        const int place = (tooth - 1) % 8;
        // Universal numbering runs back to front on the left side of each arch.
        const int kind = (quadrant % 2 == 0) ? place : 7 - place;
        // Two digits: the picker sorts by group code as text, and 01 ... 32 keeps the mouth's order.
        rows.append({u"%1"_s.arg(tooth, 2, 10, QChar(u'0')),
                     u"#%1 %2 %3"_s.arg(QString::number(tooth), QLatin1String(quadrants[quadrant]),
                                        QLatin1String(kinds[kind]))});
    }
    return rows;
}

QList<List> demoLists() {
    return {
        {u"SXTITLE"_s,
         {{u"M"_s, u"Male"_s},
          {u"F"_s, u"Female"_s},
          {u"MR"_s, u"Mr."_s, u"M"_s},
          {u"MRS"_s, u"Mrs."_s, u"F"_s},
          {u"MS"_s, u"Ms."_s, u"F"_s},
          {u"MSS"_s, u"Miss"_s, u"F"_s},
          {u"MST"_s, u"Master"_s, u"M"_s},
          {u"DR"_s, u"Dr."_s}}},
        {u"TITLE"_s,
         {{u"MR"_s, u"Mr."_s},
          {u"MRS"_s, u"Mrs."_s},
          {u"MS"_s, u"Ms."_s},
          {u"MSS"_s, u"Miss"_s},
          {u"DR"_s, u"Dr."_s},
          {u"REV"_s, u"Rev."_s},
          {u"PRF"_s, u"Prof."_s},
          {u"HON"_s, u"Hon."_s}}},
        {u"DRSXTTL"_s,
         {{u"M"_s, u"Male"_s},
          {u"F"_s, u"Female"_s},
          {u"DR"_s, u"Dr."_s},
          {u"MR"_s, u"Mr."_s, u"M"_s},
          {u"MS"_s, u"Ms."_s, u"F"_s}}},
        {u"DRTTL"_s,
         {{u"DDS"_s, u"D.D.S."_s},
          {u"DMD"_s, u"D.M.D."_s},
          {u"MD"_s, u"M.D."_s},
          {u"MS"_s, u"M.S."_s},
          {u"RDH"_s, u"R.D.H."_s},
          {u"RDA"_s, u"R.D.A."_s},
          {u"PHD"_s, u"Ph.D."_s}}},
        {u"CRECARD"_s,
         {{u"V"_s, u"Visa"_s},
          {u"MC"_s, u"MasterCard"_s},
          {u"AX"_s, u"American Express"_s},
          {u"D"_s, u"Discover"_s},
          {u"DC"_s, u"Diners Club"_s},
          {u"JCB"_s, u"JCB"_s},
          {u"CC"_s, u"CareCredit"_s}}},
        {u"ALERT"_s,
         {{u"PEN"_s, u"Allergy to penicillin"_s},
          {u"LTX"_s, u"Latex allergy"_s},
          {u"COD"_s, u"Allergy to codeine"_s},
          {u"SUL"_s, u"Sulfa allergy"_s},
          {u"LOC"_s, u"Reaction to local anesthetic"_s},
          {u"DIA"_s, u"Diabetes"_s},
          {u"HM"_s, u"Heart murmur"_s},
          {u"ACG"_s, u"Takes anticoagulants (warfarin, apixaban)"_s},
          {u"BIS"_s, u"Bisphosphonate therapy"_s},
          {u"PM"_s, u"Pacemaker"_s},
          {u"HBP"_s, u"High blood pressure"_s},
          {u"PRE"_s, u"Joint replacement - ask about premedication"_s},
          {u"AST"_s, u"Asthma - inhaler at visits"_s},
          {u"PRG"_s, u"Pregnant"_s},
          {u"EPI"_s, u"Epilepsy"_s}}},
        {u"DOCLIST"_s,
         {{u"RCL"_s, u"Recall reminder"_s, {}, {}, u"RECALL.RTF"_s},
          {u"WEL"_s, u"Welcome to the practice"_s, {}, {}, u"WELCOME.RTF"_s},
          {u"REF"_s, u"Referral to specialist"_s, {}, {}, u"REFERRAL.RTF"_s},
          {u"TYR"_s, u"Thank you for the referral"_s, {}, {}, u"THANKREF.RTF"_s},
          {u"POE"_s, u"After your extraction"_s, {}, {}, u"POSTOP.RTF"_s},
          {u"MHU"_s, u"Medical history update"_s, {}, {}, u"MEDHIST.RTF"_s},
          {u"CNS"_s, u"Consent for treatment"_s, {}, {}, u"CONSENT.RTF"_s},
          {u"PDA"_s, u"Account past due"_s, {}, {}, u"PASTDUE.RTF"_s},
          {u"BDY"_s, u"Birthday greeting"_s, {}, {}, u"BIRTHDAY.RTF"_s}}},
        {u"PROCS"_s,
         {{{}, u"$-Diagnostic"_s},
          {u"EXP"_s, u"Periodic exam"_s, {}, u"D0120"_s},
          {u"EXC"_s, u"Comprehensive exam, new patient"_s, {}, u"D0150"_s},
          {u"FMX"_s, u"Full-mouth X-rays"_s, {}, u"D0210"_s},
          {u"BWX"_s, u"Four bitewing X-rays"_s, {}, u"D0274"_s},
          {u"PAX"_s, u"Periapical X-ray of |TEETH"_s, {}, u"D0220"_s},
          {{}, u"$-Preventive"_s},
          {u"PRA"_s, u"Cleaning, adult"_s, {}, u"D1110"_s},
          {u"PRC"_s, u"Cleaning, child"_s, {}, u"D1120"_s},
          {u"FLV"_s, u"Fluoride varnish"_s, {}, u"D1206"_s},
          {u"SEA"_s, u"Sealant on |TEETH"_s, u"S"_s, u"D1351"_s},
          {{}, u"$-Restorative"_s},
          {u"AM1"_s, u"Amalgam filling on |TEETH: |SURFACES surfaces"_s, u"F"_s, u"D2140"_s},
          {u"CF1"_s, u"Composite filling on |TEETH: |SURFACES surfaces; |MATERIALS"_s, u"F"_s, u"D2391"_s},
          {u"CFA"_s, u"Composite filling, front tooth, on |TEETH: |SURFACES surfaces"_s, u"F"_s, u"D2330"_s},
          {u"CRP"_s, u"Porcelain crown on |TEETH, |MATERIALS"_s, u"C"_s, u"D2740"_s},
          {u"BUI"_s, u"Core buildup on |TEETH"_s, u"F"_s, u"D2950"_s},
          {{}, u"$-Endodontics"_s},
          {u"RCA"_s, u"Root canal, front tooth, on |TEETH"_s, u"R"_s, u"D3310"_s},
          {u"RCM"_s, u"Root canal, molar, on |TEETH"_s, u"R"_s, u"D3330"_s},
          {{}, u"$-Periodontics"_s},
          {u"SRP"_s, u"Scaling and root planing, quadrant |??"_s, {}, u"D4341"_s},
          {u"PMT"_s, u"Periodontal maintenance"_s, {}, u"D4910"_s},
          {{}, u"$-Oral surgery"_s},
          {u"EXT"_s, u"Extraction of |TEETH"_s, u"X"_s, u"D7140"_s},
          {u"SXT"_s, u"Surgical extraction of |TEETH"_s, u"X"_s, u"D7210"_s}}},
        // The pipe-sign list: "*M" in the group of its first title line.
        {u"TXNOTES"_s,
         {{u"*M"_s, u"$-Operative notes"_s},
          {u"OP1"_s, u"|PN seen today for |??"_s},
          {u"OP2"_s, u"Anesthetic: |1AB carpules of 2% lidocaine with 1:100,000 epinephrine"_s},
          {u"OP3"_s, u"Composite filling |T# |SURFACES"_s},
          {u"OP4"_s, u"Caries found on |CARIES"_s},
          {u"OP5"_s, u"Missing teeth: |MISSING"_s},
          {u"OP6"_s, u"|PN tolerated the procedure well; post-op instructions given by |DR"_s},
          {{}, u"$-Hygiene notes"_s},
          {u"HY1"_s, u"Cleaning done, bleeding on probing |??"_s},
          {u"HY2"_s, u"Home care reviewed with |PN"_s},
          {u"HY3"_s, u"Recall in |3MO months"_s}}},
        // Nested lists a procedure opens: teeth, surfaces, a material, and
        // from some materials a shade, three levels deep.
        {u"SURFACES"_s,
         {{u"M"_s, u"mesial"_s},
          {u"O"_s, u"occlusal"_s},
          {u"D"_s, u"distal"_s},
          {u"B"_s, u"buccal"_s},
          {u"L"_s, u"lingual"_s},
          {u"I"_s, u"incisal"_s},
          {u"F"_s, u"facial"_s}}},
        {u"MATERIALS"_s,
         {{u"CR"_s, u"composite resin, shade |SHADES"_s},
          {u"AM"_s, u"amalgam"_s},
          {u"GI"_s, u"glass ionomer"_s},
          {u"RMG"_s, u"resin-modified glass ionomer, shade |SHADES"_s},
          {u"POR"_s, u"porcelain, shade |SHADES"_s},
          {u"ZIR"_s, u"zirconia, shade |SHADES"_s}}},
        {u"SHADES"_s,
         {{u"A1"_s, u"A1"_s},
          {u"A2"_s, u"A2"_s},
          {u"A3"_s, u"A3"_s},
          {u"A35"_s, u"A3.5"_s},
          {u"B1"_s, u"B1"_s},
          {u"B2"_s, u"B2"_s},
          {u"C2"_s, u"C2"_s},
          {u"D2"_s, u"D2"_s}}},
        {u"TEETH"_s, teeth()},
    };
}

using Fields = QList<QPair<QString, QString>>;

qint32 insertRow(ReferenceHost& host, const QString& table, const QString& keyField, const Fields& fields) {
    QStringList names;
    QStringList values;
    for (const auto& [name, value] : fields) {
        names << name;
        values << value;
    }
    qint32 key = 0;
    host.SaveRecord(1, table, keyField, key, names, values, true);
    return key;
}

qint32 addProvider(ReferenceHost& host, const Fields& own) {
    Fields fields{{u"pTypPat"_s, u"N"_s}, {u"pTypDoc"_s, u"Y"_s}, {u"pTypRef"_s, u"N"_s},
                  {u"pTypPhy"_s, u"N"_s}, {u"pRECTYP"_s, u"D"_s}, {u"pDOCFeeTyp"_s, u"1"_s}};
    return insertRow(host, u"paTable"_s, u"pID"_s, fields + own);
}

qint32 addPatient(ReferenceHost& host, const Fields& own) {
    Fields fields{{u"pTypPat"_s, u"Y"_s}, {u"pTypDoc"_s, u"N"_s}, {u"pTypRef"_s, u"N"_s},
                  {u"pTypPhy"_s, u"N"_s}, {u"pRECTYP"_s, u"P"_s}, {u"pCLITYP1"_s, u"1"_s}};
    return insertRow(host, u"paTable"_s, u"pID"_s, fields + own);
}

qint64 countRows(ReferenceHost& host, const QString& table) {
    QSqlQuery q(host.GetConnection());
    if (!q.exec(u"SELECT COUNT(*) FROM "_s + table) || !q.next())
        throw AutomationError(ErrorCode::DatabaseError,
                              QCoreApplication::translate("SeedData", "Cannot count the rows of %1: %2")
                                  .arg(table, q.lastError().text()));
    return q.value(0).toLongLong();
}

void deleteOfficeRows(ReferenceHost& host, const QString& table) {
    QSqlQuery q(host.GetConnection());
    q.prepare(u"DELETE FROM "_s + table + u" WHERE OfficeID = ?"_s);
    q.addBindValue(host.GetOfficeID());
    if (!q.exec())
        throw AutomationError(
            ErrorCode::DatabaseError,
            QCoreApplication::translate("SeedData", "Cannot empty %1: %2").arg(table, q.lastError().text()));
}

} // namespace

bool hasUserData(ReferenceHost& host) {
    return countRows(host, usrdef::kTable) > 0 || countRows(host, u"paTable"_s) > 0;
}

SeedSummary seedDemoData(ReferenceHost& host, bool replace) {
    if (!replace && hasUserData(host))
        throw AutomationError(
            ErrorCode::HostError,
            QCoreApplication::translate(
                "SeedData", "The database already holds lists or patients; demo data is only added to an "
                            "empty database."));
    SeedSummary summary;
    Transaction transaction(host.GetConnection());
    if (replace) {
        deleteOfficeRows(host, usrdef::kTable);
        deleteOfficeRows(host, u"paTable"_s);
    }

    for (const List& list : demoLists()) {
        ++summary.lists;
        for (const Entry& e : list.entries) {
            insertRow(host, usrdef::kTable, usrdef::kKey,
                      {{usrdef::kCode, list.code},
                       {usrdef::kGroup, e.group},
                       {usrdef::kDescription, e.description},
                       {usrdef::kDrawFlag, e.drawFlag},
                       {usrdef::kProcedureCode, e.procedureCode},
                       {usrdef::kLetterFile, e.letterFile}});
            ++summary.listEntries;
        }
    }

    // Variables that open another list are named after it, so the composed
    // note can put the list's entries in their place; |PN, |DR, |1AB, |3MO,
    // |??, |T#, |CARIES and |MISSING are filled by the host or typed.
    // The code lists a host opens are variables too: the note starts as their reference.
    for (const QString& list :
         {u"PROCS"_s, u"TXNOTES"_s, u"TEETH"_s, u"SURFACES"_s, u"MATERIALS"_s, u"SHADES"_s})
        host.setPipeVariable(list, list);

    // A composed entry brings its own leading blank: the words end without one.
    host.setListJoinWords(u"PROCS"_s, u";"_s, u";"_s, u"."_s, u" "_s);
    host.setListJoinWords(u"ALERT"_s, u","_s, u" and"_s, QString(), u" "_s);
    host.setListJoinWords(u"TEETH"_s, u","_s, u" and"_s, QString(), u","_s);
    host.setListJoinWords(u"SURFACES"_s, u","_s, u" and"_s, QString(), QString());
    host.setListJoinWords(u"MATERIALS"_s, u","_s, u" or"_s, QString(), u"/"_s);
    host.setListJoinWords(u"TXNOTES"_s, u"."_s, u"."_s, u"."_s, u" "_s);
    host.setInsertEachItem(u"TXNOTES"_s, true);
    host.setInsertEachItem(u"ALERT"_s, false);

    host.setCodeListKey(u"SEXTITLE"_s, u"SXTITLE"_s);
    host.setCodeListKey(u"CARDS"_s, u"CRECARD"_s);
    host.setCodeListKey(u"MEDALERT"_s, u"ALERT"_s);
    host.setCodeListKey(u"LETTERS"_s, u"DOCLIST"_s);

    const std::initializer_list<std::pair<qint16, QString>> feeTypes{{1, u"Office standard fee"_s},
                                                                     {2, u"PPO plan A"_s},
                                                                     {3, u"PPO plan B"_s},
                                                                     {4, u"Medicaid"_s},
                                                                     {5, u"Courtesy discount"_s}};
    for (const auto& [feeType, description] : feeTypes)
        host.setFeeType(feeType, description);

    const qint32 mitchell = addProvider(host, {{u"pLASNAM"_s, u"Mitchell"_s},
                                               {u"pFIRNAM"_s, u"Sarah"_s},
                                               {u"pSeaNam"_s, u"MITCHELL"_s},
                                               {u"pSEX"_s, u"F"_s},
                                               {u"pTTL"_s, u"DR"_s},
                                               {u"pProTTL"_s, u"DDS"_s},
                                               {u"pDOCLIC"_s, u"DDS-104822"_s},
                                               {u"pDOCSPE"_s, u"General dentistry"_s},
                                               {u"pDocIni"_s, u"SM"_s},
                                               {u"pBusPho1"_s, u"(503) 555-0142"_s},
                                               {u"pBusEma"_s, u"smitchell@example.com"_s}});
    const qint32 okafor = addProvider(host, {{u"pLASNAM"_s, u"Okafor"_s},
                                             {u"pFIRNAM"_s, u"James"_s},
                                             {u"pSeaNam"_s, u"OKAFOR"_s},
                                             {u"pSEX"_s, u"M"_s},
                                             {u"pTTL"_s, u"DR"_s},
                                             {u"pProTTL"_s, u"DMD"_s},
                                             {u"pDOCLIC"_s, u"DMD-220931"_s},
                                             {u"pDOCSPE"_s, u"Endodontics"_s},
                                             {u"pDocIni"_s, u"JO"_s},
                                             {u"pBusPho1"_s, u"(503) 555-0143"_s}});
    addProvider(host, {{u"pLASNAM"_s, u"Park"_s},
                       {u"pFIRNAM"_s, u"Linda"_s},
                       {u"pSeaNam"_s, u"PARK"_s},
                       {u"pSEX"_s, u"F"_s},
                       {u"pTTL"_s, u"MS"_s},
                       {u"pProTTL"_s, u"RDH"_s},
                       {u"pDOCLIC"_s, u"RDH-55310"_s},
                       {u"pDOCSPE"_s, u"Hygiene"_s},
                       {u"pDocIni"_s, u"LP"_s}});
    summary.providers = 3;
    host.setOption(u"DefaultProvider"_s, QString::number(mitchell));
    host.setOption(u"POPUP_HELP_FLAG"_s, u"-1"_s);
    host.setOption(u"KEYBOARD_USER_ACTION"_s, u"-1"_s);
    host.setOption(u"CanModifyLists"_s, u"-1"_s);
    host.setOption(u"LetterColumnsOff"_s, u"0"_s);

    // Patients: one without a provider yet, one whose fee type is still 0.
    struct Patient {
        QString last, first, sex, title, born, chart, alerts;
        qint32 provider;
        int feeType;
        bool inAlvarezFamily;
    };
    const Patient patients[] = {
        {u"Alvarez"_s, u"Robert"_s, u"M"_s, u"MR"_s, u"1968-04-12"_s, u"A1001"_s, u"PEN"_s, mitchell, 1,
         false},
        {u"Alvarez"_s, u"Maria"_s, u"F"_s, u"MRS"_s, u"1971-09-30"_s, u"A1002"_s, u"LTX DIA"_s, mitchell, 1,
         true},
        {u"Alvarez"_s, u"Lucas"_s, u"M"_s, u"MST"_s, u"2014-06-09"_s, u"A1008"_s, {}, mitchell, 1, true},
        {u"Chen"_s, u"Emily"_s, u"F"_s, u"MS"_s, u"1990-01-22"_s, u"C1003"_s, u"HM"_s, okafor, 2, false},
        {u"O'Brien"_s, u"Thomas"_s, u"M"_s, u"MR"_s, u"1955-07-04"_s, u"O1004"_s, u"ACG"_s, mitchell, 0,
         false},
        {u"Rahman"_s, u"Aisha"_s, u"F"_s, u"MS"_s, u"1984-11-02"_s, u"R1005"_s, {}, 0, 1, false},
        {u"Watanabe"_s, u"Kenji"_s, u"M"_s, u"DR"_s, u"1962-05-18"_s, u"W1006"_s, u"DIA HBP"_s, okafor, 3,
         false},
        {u"Müller-Schmidt"_s, u"Zoë"_s, u"F"_s, u"MS"_s, u"1999-12-01"_s, u"M1007"_s, {}, mitchell, 4, false},
    };
    qint32 familyHead = 0;
    for (const Patient& p : patients) {
        Fields fields{{u"pLASNAM"_s, p.last},
                      {u"pFIRNAM"_s, p.first},
                      {u"pSeaNam"_s, p.last.toUpper()},
                      {u"pSEX"_s, p.sex},
                      {u"pTTL"_s, p.title},
                      {u"pBIRDAT"_s, p.born},
                      {u"pChaNum"_s, p.chart},
                      {u"pMEDALE"_s, p.alerts},
                      {u"pPROIND"_s, QString::number(p.provider)},
                      {u"pGPDenFeeTyp"_s, QString::number(p.feeType)},
                      {u"pGPDenFeeTypPerm"_s, QString::number(p.feeType)},
                      {u"pCIT"_s, u"Portland"_s},
                      {u"pSTA"_s, u"OR"_s}};
        if (p.inAlvarezFamily)
            fields.append({u"pFAMHEAIND"_s, QString::number(familyHead)});
        if (familyHead == 0) // the first row: a fuller record, as a long-standing patient has
            fields += Fields{{u"pADD1"_s, u"1842 Alder Street"_s},
                             {u"pZIP"_s, u"97205"_s},
                             {u"pHomPho1"_s, u"(503) 555-0178"_s},
                             {u"pCRECARTYP"_s, u"V"_s},
                             {u"pIntAppDat"_s, u"2024-03-04 09:30:00"_s},
                             {u"pIntAppAmt"_s, u"125.5000"_s},
                             {u"pInsPct"_s, u"80"_s}};
        const qint32 id = addPatient(host, fields);
        if (familyHead == 0)
            familyHead = id;
        ++summary.patients;
    }

    transaction.commit();
    return summary;
}

} // namespace viVavazuruv::refhost
