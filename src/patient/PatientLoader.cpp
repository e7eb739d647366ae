#include "PatientLoader.h"

#include <ado/AdoConstants.h>
#include <ado/Connection.h>
#include <ado/Recordset.h>
#include <ado/VbStrings.h>
#include <viVavazuruv/AutomationError.h>

#include <QCoreApplication>
#include <QDate>
#include <QRegularExpression>
#include <QTime>

#include <array>
#include <cmath>
#include <limits>
#include <optional>

using namespace Qt::StringLiterals;

namespace viVavazuruv {

namespace {

// The column's name is the member's, spelt once so the two cannot part.
// clang-format off
#define VV_FIELD(name) {QLatin1String(#name), &PatientRecord::name}
constexpr std::array<PatientField, 92> kFields{{
    VV_FIELD(pID),              VV_FIELD(pTypPat),          VV_FIELD(pTypDoc),          VV_FIELD(pTypRef),
    VV_FIELD(pTypPhy),          VV_FIELD(pCLITYP1),         VV_FIELD(pLASNAM),          VV_FIELD(pFIRNAM),
    VV_FIELD(pSeaNam),          VV_FIELD(pNICNAM),          VV_FIELD(pPROIND),          VV_FIELD(pREFIND),
    VV_FIELD(pSEX),             VV_FIELD(pTTL),             VV_FIELD(pBIRDAT),          VV_FIELD(pHOMPHO),
    VV_FIELD(pBUSPHO),          VV_FIELD(pADD1),            VV_FIELD(pADD2),            VV_FIELD(pCIT),
    VV_FIELD(pSTA),             VV_FIELD(pZIP),             VV_FIELD(pSSN),             VV_FIELD(pDRILIC),
    VV_FIELD(pCRECARTYP),       VV_FIELD(pCRECARNUM),       VV_FIELD(pFAMHEAIND),       VV_FIELD(pBILTTL),
    VV_FIELD(pNEXSTADAT),       VV_FIELD(pACCTYP),          VV_FIELD(pFIRVISDAT),       VV_FIELD(pLASVISDAT),
    VV_FIELD(pCASNUM),          VV_FIELD(pMEDALE),          VV_FIELD(pMEDALEUPD),       VV_FIELD(pEMECON),
    VV_FIELD(pPHY1),            VV_FIELD(pPHY2),            VV_FIELD(pSCHNAM),          VV_FIELD(pSCHCIT),
    VV_FIELD(pEmpID1),          VV_FIELD(pEmpID2),          VV_FIELD(pEmpID3),          VV_FIELD(pEmpID4),
    VV_FIELD(pPRIINSHOL),       VV_FIELD(pPRIINSID),        VV_FIELD(pREL2PRI),         VV_FIELD(pSECINSHOL),
    VV_FIELD(pSECINSID),        VV_FIELD(pREL2SEC),         VV_FIELD(pRECTYP),          VV_FIELD(pSERSTADAT),
    VV_FIELD(pDOCLIC),          VV_FIELD(pDOCEIN),          VV_FIELD(pDOCSPE),          VV_FIELD(pDOCLET),
    VV_FIELD(pDOCREM1),         VV_FIELD(pDOCREM2),         VV_FIELD(pDOCREM3),         VV_FIELD(pDocDatEmp),
    VV_FIELD(pDocMedNum),       VV_FIELD(pDocIni),          VV_FIELD(pProTTL),          VV_FIELD(pGPDenFeeTyp),
    VV_FIELD(pGPDenForTyp),     VV_FIELD(pGPDenPayTyp),     VV_FIELD(pGPDenFeeTypPerm), VV_FIELD(pGPMedFeeTyp),
    VV_FIELD(pGPMedForTyp),     VV_FIELD(pGPMedPayTyp),     VV_FIELD(pGPMedFeeTypPerm), VV_FIELD(pDOCFeeTyp),
    VV_FIELD(pSrtFlg),          VV_FIELD(pImaFla),          VV_FIELD(pIntAppDat),       VV_FIELD(pIntAppAmt),
    VV_FIELD(pHomPho1),         VV_FIELD(pHomPho2),         VV_FIELD(pHomFax),          VV_FIELD(pHomEma),
    VV_FIELD(pHomCell),         VV_FIELD(pHomPag),          VV_FIELD(pHomCon),          VV_FIELD(pBusPho1),
    VV_FIELD(pBusPho2),         VV_FIELD(pBusFax),          VV_FIELD(pBusEma),          VV_FIELD(pBusCell),
    VV_FIELD(pBusPag),          VV_FIELD(pBusCon),          VV_FIELD(pInsPct),          VV_FIELD(pChaNum)
}};
// clang-format on
#undef VV_FIELD

// 92 different members of the 92 named ones: none is left out or read twice.
constexpr bool everyMemberOnce() {
    for (size_t i = 0; i < kFields.size(); ++i)
        for (size_t j = i + 1; j < kFields.size(); ++j)
            if (kFields[i].member == kFields[j].member)
                return false;
    return true;
}
static_assert(everyMemberOnce());

template <class... F> struct Overloaded : F... { using F::operator()...; };
// clang 14 does not deduce an aggregate's arguments by itself.
template <class... F> Overloaded(F...) -> Overloaded<F...>;

[[noreturn]] void overflow(const QString& what) {
    throw AutomationError(
        ErrorCode::Overflow,
        QCoreApplication::translate("PatientLoader", "Overflow: %1 does not fit.").arg(what));
}

// Nothing for a NULL or for a value that is no number as a whole ("12abc").
std::optional<double> numberOf(const QVariant& value) {
    bool ok = false;
    const double number = value.isNull() ? 0 : value.toDouble(&ok);
    return ok ? std::optional(number) : std::nullopt;
}

float singleOf(double value) {
    if (!(std::abs(value) <= double(std::numeric_limits<float>::max())))
        overflow(QString::number(value));
    return float(value);
}

qint64 currencyOf(double amount) {
    const double scaled = std::nearbyint(amount * 10000.0); // ties to even, as every rounding here
    if (!(scaled >= -0x1p63 && scaled < 0x1p63))
        overflow(QString::number(amount));
    return qint64(scaled);
}

// The wall-clock date and time as stored, never moved by a time zone.
std::optional<double> dayCountOf(const QVariant& value) {
    QDate date;
    QTime time(0, 0);
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        date = value.toDateTime().date();
        time = value.toDateTime().time();
        break;
    case QMetaType::QDate:
        date = value.toDate();
        break;
    case QMetaType::QString: {
        // SQLite keeps timestamps as ISO text: "YYYY-MM-DD", then maybe 'T' or
        // ' ' and a time; an offset after it is allowed but not applied.
        static const QRegularExpression iso(
            u"^\\s*(\\d{4}-\\d\\d-\\d\\d)(?:[T ](\\d\\d:\\d\\d(?::\\d\\d(?:[.,]\\d+)?)?)"
            u"(?:Z|[+-]\\d\\d(?::?\\d\\d)?)?)?\\s*$"_s);
        const QRegularExpressionMatch m = iso.match(value.toString());
        date = QDate::fromString(m.captured(1), Qt::ISODate);
        if (m.hasCaptured(2))
            time = QTime::fromString(m.captured(2), Qt::ISODateWithMs);
        break;
    }
    default:
        return numberOf(value); // a day count kept as a number
    }
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    static const QDate dayZero(1899, 12, 30);
    const double days = double(dayZero.daysTo(date));
    const double fraction = time.msecsSinceStartOfDay() / 86400000.0;
    // Before day 0 the time still counts away from zero: -1.25 is 29 December 1899, 06:00.
    return days < 0 ? days - fraction : days + fraction;
}

// Stores value in member converted to its type; a NULL or unreadable value
// leaves the member as it is, and a number out of its range raises Overflow.
void read(const QVariant& value, const PatientMember& member, PatientRecord& record) {
    std::visit(Overloaded{
                   [&](QString PatientRecord::*m) { record.*m = value.toString(); },
                   [&](qint32 PatientRecord::*m) {
                       if (const auto n = numberOf(value))
                           record.*m = vb::CLng(*n);
                   },
                   [&](qint16 PatientRecord::*m) {
                       if (const auto n = numberOf(value))
                           record.*m = vb::CInt(*n);
                   },
                   [&](float PatientRecord::*m) {
                       if (const auto n = numberOf(value))
                           record.*m = singleOf(*n);
                   },
                   [&](double PatientRecord::*m) {
                       if (const auto days = dayCountOf(value))
                           record.*m = *days;
                   },
                   [&](qint64 PatientRecord::*m) {
                       if (const auto n = numberOf(value))
                           record.*m = currencyOf(*n);
                   },
               },
               member);
}

QString officeClause(IHostServices& host) {
    if (host.GetOfficeMode() != 7)
        return {};
    return u" and (OfficeID="_s + QString::number(host.GetOfficeID()) + u')';
}

void open(ado::Recordset& rs, IHostServices& host, const QString& statement) {
    rs.setCursorLocation(ado::adUseClient);
    // Translated first, then the connection: the order a host sees (arguments have none of their own).
    const QString sql = host.TranslateSql(statement, 1, 0);
    rs.Open(sql, host.GetConnection(), ado::adOpenForwardOnly, ado::adLockReadOnly, ado::adCmdText);
    rs.DetachConnection();
}

void execute(IHostServices& host, const QString& statement) {
    const QString sql = host.TranslateSql(statement, 1, 0);
    ado::Connection(host.GetConnection()).Execute(sql, nullptr, ado::adCmdText | ado::adExecuteNoRecords);
}

bool holdsRow(const ado::Recordset& rs) {
    return !(rs.Bof() && rs.Eof());
}

} // namespace

std::span<const PatientField> patientFields() {
    return kFields;
}

void Load_Patient_Record(IHostServices& host, const qint32& PatientID, PatientRecord& Record) {
    if (PatientID == 0)
        return;
    const QString where = u" where pID="_s + QString::number(PatientID);
    ado::Recordset rs;
    open(rs, host, u"select * from paTable"_s + where + officeClause(host));
    for (const PatientField& field : kFields)
        std::visit([&](auto member) { Record.*member = std::remove_reference_t<decltype(Record.*member)>{}; },
                   field.member);

    if (holdsRow(rs)) {
        for (const PatientField& field : kFields) {
            const int index = rs.FieldIndex(field.column);
            if (index < 0)
                continue; // a column the table lacks leaves its member empty
            try {
                read(rs.CurrentValue(index), field.member, Record);
            } catch (const AutomationError&) {
            }
        }

        if (Record.pPROIND == 0) {
            Record.pPROIND = host.GetDefaultProvider();
            execute(host, u"update paTable set pPROIND="_s + QString::number(Record.pPROIND) + where +
                              officeClause(host));
        }

        // The standing dental fee type comes from the provider (the one just
        // given, if any); either fee type the practice does not accept is
        // replaced, and only then is anything written.
        if (Record.pGPDenFeeTypPerm == 0) {
            rs.Close();
            open(rs, host,
                 u"select pDOCFeeTyp from paTable where pID="_s + QString::number(Record.pPROIND) +
                     officeClause(host));
            if (holdsRow(rs)) {
                try {
                    read(rs.Fields(u"pDOCFeeTyp"_s), &PatientRecord::pGPDenFeeTypPerm, Record);
                } catch (const AutomationError&) {
                }
            }
            bool changed = false;
            bool valid = false;
            host.IsValidFeeType(Record.pGPDenFeeTypPerm, valid);
            if (!valid) {
                Record.pGPDenFeeTypPerm = 1;
                changed = true;
            }
            host.IsValidFeeType(Record.pGPDenFeeTyp, valid);
            if (!valid) {
                Record.pGPDenFeeTyp = Record.pGPDenFeeTypPerm;
                changed = true;
            }
            if (changed)
                execute(host, u"Update PaTable set pGPDenFeeTypPerm="_s +
                                  QString::number(Record.pGPDenFeeTypPerm) + u", pGPDenFeeTyp="_s +
                                  QString::number(Record.pGPDenFeeTyp) + u" Where pID="_s +
                                  QString::number(PatientID) + officeClause(host));
        }
    }
    rs.Close();
}

qint32 CurrentPatientID(IHostServices& host) {
    const qint32 id = host.GetCurrentPatientID();
    QString lastName, firstName, chart, provider;
    return host.PatientLookup(id, lastName, firstName, chart, provider).isEmpty() ? 0 : id;
}

} // namespace viVavazuruv
