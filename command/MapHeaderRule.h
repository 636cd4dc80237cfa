#pragma once

#include "command/ReceiverIdentity.h"

// Receivers of unit type 7 and 6 report the same product code. The fifth field of the
// map header tells them apart once the header is known: a small number means type 6.
// Run by the Upload command after the database-type dialog; answers whether the model
// changed (its name is then to be shown).
bool ApplyMapHeaderRule(ReceiverIdentity& unit);
