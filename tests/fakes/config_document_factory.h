// The configuration-document seam: this test library defines CreateConfigDocument. It makes the
// real library's documents, wrapped so that a test can fail the creation or any later call of
// the document made by a given creation.
#pragma once

#include "fakes/decorated_config_document.h"

namespace fakes {

class ConfigDocumentFactory {
  public:
    // Forgets every plan and count; every creation then forwards to the real library.
    static void Reset();
    // Every creation from now on fails with `code`; with `writePointer` the slot is filled all
    // the same with a document the caller then owns.
    static void FailEvery(HRESULT code, bool writePointer = false);
    // Creation number `index` (counted from 0 since Reset) fails so.
    static void FailCreation(int index, HRESULT code, bool writePointer = false);
    // The document made by creation number `index` behaves as `faults` say.
    static void SetFaults(int index, const DocumentFaults& faults);
    static void SetFaultsForAll(const DocumentFaults& faults);

    static int Calls();
    // Documents handed out with a success code.
    static int Created();
    // Documents and stand-in objects alive now (DecoratedConfigDocument::Alive).
    static int Alive() { return DecoratedConfigDocument::Alive(); }
    // Whether the real library's factory could be found.
    static bool RealAvailable();
};

}  // namespace fakes
