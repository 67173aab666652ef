// Running host commands from inside a command.
#pragma once
#include "adscodes.h"
#include "adsdef.h"

// Runs host commands synchronously, with their answers: (type, value) pairs ended by
// RTNONE. RTSTR const ACHAR* ("" is Enter), RTPOINT/RT3DPOINT const ads_real*, RTREAL
// double, RTSHORT int, RTLONG int, RTENAME const ads_name. The first string names the
// command; answers left over after a command ends start the next one. Prompts answered
// here are not echoed. RTNORM when every command ran to its end; RTERROR for an unknown
// command; RTCAN when a command wanted more answers than were given (it is cancelled).
int acedCommandS(int rtype, ...);
