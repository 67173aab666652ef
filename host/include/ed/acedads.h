// The host's user-input functions, temporary graphics and break test.
// Every input function prints its prompt on the command line and reads one answer
// (see hostinput.h for where answers come from). Result codes: adscodes.h.
#pragma once
#include <cstddef>

#include "adscodes.h"
#include "adsdef.h"

// Sets the input-control flags (RSG_*) and the keyword list for the next input call only.
// Keywords are separated by spaces; the capital letters of each give its abbreviation
// ("Make Set", "eXit"). A lone "_" separates local keywords from global ones.
int acedInitGet(int flags, const ACHAR* keywordList);

// A keyword: the canonical keyword is returned in result. Enter gives RTNONE.
int acedGetKword(const ACHAR* prompt, ACHAR* result, size_t bufLen);
template <size_t N>
inline int acedGetKword(const ACHAR* prompt, ACHAR (&result)[N]) {
  return acedGetKword(prompt, result, N);
}
// The keyword (or, with RSG_OTHER, the text) of the last input call that returned RTKWORD.
int acedGetInput(ACHAR* str, size_t bufLen);
template <size_t N>
inline int acedGetInput(ACHAR (&str)[N]) {
  return acedGetInput(str, N);
}

// A point in world coordinates: "x,y", "x,y,z", or "@dx,dy[,dz]" relative to the base point
// (or the last point given). base may be null.
int acedGetPoint(const ads_point base, const ACHAR* prompt, ads_point result);
// The opposite corner of a rectangle from base.
int acedGetCorner(const ads_point base, const ACHAR* prompt, ads_point result);
int acedGetReal(const ACHAR* prompt, ads_real* result);
int acedGetDist(const ads_point base, const ACHAR* prompt, ads_real* result);
// An angle in degrees, returned in radians.
int acedGetAngle(const ads_point base, const ACHAR* prompt, ads_real* result);
// A 16-bit integer (-32768..32767); an answer out of range is refused and asked again.
int acedGetShort(const ACHAR* prompt, short* result);
int acedGetInt(const ACHAR* prompt, int* result);
// A line of text; cronly non-zero allows spaces (on this host every answer is a whole
// line either way). An answer that does not fit bufLen (with its terminator) is refused
// with a message saying so and asked again: it is never cut short.
int acedGetString(int cronly, const ACHAR* prompt, ACHAR* result, size_t bufLen);
template <size_t N>
inline int acedGetString(int cronly, const ACHAR* prompt, ACHAR (&result)[N]) {
  return acedGetString(cronly, prompt, result, N);
}

// Selects one entity by a point: the topmost entity of the current space within the pick
// box around the point. RTERROR (after a message) when nothing is there.
int acedEntSel(const ACHAR* prompt, ads_name entity, ads_point pickedPoint);

// A file name typed at a prompt. flags 0: an existing file (a missing one is refused and
// asked again); flags & 1: a new file. The result is an RTSTR buffer in result, released
// by the caller with acutRelRb. defaultPath may be a folder: a relative answer is taken
// inside it. ext is the expected extension without the dot; an answer without an
// extension gets it.
int acedGetFileD(const ACHAR* title, const ACHAR* defaultPath, const ACHAR* ext, int flags, struct resbuf* result);

// True once the user has asked for a break (Esc) since the last call.
int acedUsrBrk();

// A temporary vector, drawn until the next REDRAW or REGEN (see hostgraphics.h).
int acedGrDraw(const ads_point from, const ads_point to, int color, int hl);
void acedUpdateDisplay();
int acedRedraw(const ads_name entity, int mode);

// The main window of the host (pelvar --gui), or null in the console program.
void* adsw_acadMainWnd();
