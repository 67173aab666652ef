// Result codes of the host's user-input functions.
#pragma once

#define RTNORM 5100           // a value was given
#define RTNONE 5000           // Enter with no input
#define RTERROR (-5001)
#define RTCAN (-5002)         // Esc
#define RTREJ (-5003)         // the request was rejected
#define RTKWORD (-5005)       // a keyword was typed
#define RTINPUTTRUNCATED (-5008)
