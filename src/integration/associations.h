// File associations: the extensions of the archive types point at Quillo's
// classes ("Quillo", "Quillo.ZIP") or go back to their previous owners.
#pragma once

#include "integration/setup_options_type.h"

// Makes the extensions of every archive type follow slots 0 to 11 of
// options. A checked type's extensions are pointed at Quillo, after the
// previous owner of each was recorded under "Setup\<extension>" (once: an
// extension that already points at Quillo keeps its record); QLO also takes
// its volume extensions .q00 and on. An unchecked type's extensions that
// still point at Quillo get their recorded owner back, or are deleted when
// they had no key before; an extension another program took over is left
// alone. With slot 23 (shell integration) set, QLO and ZIP also get a "New"
// menu template: a template file beside the program on Windows Me, 2000 and
// later, a binary "Data" value before them. The shell is not notified here.
void ApplyAssociations(const SetupOptions* options);
