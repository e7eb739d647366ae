#pragma once

#include "ReferenceHost.h"

// The demo office of the reference host: what the demo host, the vv-seed tool
// and the tests fill an empty database with.
namespace viVavazuruv::refhost {

struct SeedSummary {
    int lists = 0;
    int listEntries = 0;
    int providers = 0;
    int patients = 0;
};

// True when UsrDefTable or paTable holds any row, in any office.
VIVAVAZURUV_REFHOST_EXPORT bool hasUserData(ReferenceHost& host);

// Fills the host's database with the lists, providers, patients and host data
// of a small dental office, in the host's current office and in one
// transaction. Refuses (AutomationError) a database that already holds lists
// or patients unless replace is true; replace first deletes the current
// office's UsrDefTable and paTable rows. Host data rows are written over.
VIVAVAZURUV_REFHOST_EXPORT SeedSummary seedDemoData(ReferenceHost& host, bool replace = false);

} // namespace viVavazuruv::refhost
