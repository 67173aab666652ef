// Choosing one cloud entity for a command. Both forms return the entity open in the
// asked mode (or null); the caller closes it on every path, for example through
// OpenedObject<Pelvar>.
#pragma once
#include "AdAChar.h"
#include "acdb.h"
#include "entity/Pelvar.h"

// Prints the title, then lets the user pick a cloud; Enter, an empty pick or Esc take the
// first cloud of model space. Null (after a message where one is due) when there is none.
Pelvar* SelectCloud(AcDb::OpenMode mode, const ACHAR* title);

// Lets the user pick a cloud, opened for write. Null when nothing usable was picked.
Pelvar* PickCloud();
