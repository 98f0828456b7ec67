#include "conduit/SyncDriver.h"

// The handheld-to-PC pass. It runs first in every synchronisation.
void ReceiveFiles() {}

// The PC-to-handheld pass.
void SendFiles() {}
