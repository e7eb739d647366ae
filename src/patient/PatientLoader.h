#pragma once

#include "PatientRecord.h"

#include <viVavazuruv/IHostServices.h>

#include <QLatin1String>

#include <span>
#include <variant>

namespace viVavazuruv {

// A named member of PatientRecord. The member's type says how its column is
// read: text, a whole number rounded half to even, a 32-bit float, a day
// count (double) or currency times 10,000 (qint64).
using PatientMember = std::variant<QString PatientRecord::*, qint32 PatientRecord::*, qint16 PatientRecord::*,
                                   float PatientRecord::*, double PatientRecord::*, qint64 PatientRecord::*>;

struct PatientField {
    QLatin1String column; // the paTable column, spelt as the member
    PatientMember member;
};

// The 92 named members in record order, each with its column; the reserved
// members are not among them.
std::span<const PatientField> patientFields();

// Fills Record from paTable row PatientID (in the current office when the
// host's office mode is 7). PatientID 0 leaves Record as it is. Otherwise every
// named member is first made empty, so a missing row gives an empty record; a
// NULL or unreadable column leaves its member empty. A patient without a
// provider gets the host's default provider, and a patient without a standing
// dental fee type gets the provider's; what changed is written back. Failing
// queries and updates raise AutomationError.
void Load_Patient_Record(IHostServices& host, const qint32& PatientID, PatientRecord& Record);

// The host's current patient; 0 when there is none or the host cannot find them.
qint32 CurrentPatientID(IHostServices& host);

} // namespace viVavazuruv
