// Result codes, value types and input-control flags of the host's user-input functions.
#pragma once

// Result codes.
#define RTNORM 5100           // a value was given
#define RTNONE 5000           // Enter with no input
#define RTERROR (-5001)
#define RTCAN (-5002)         // Esc
#define RTREJ (-5003)         // the request was rejected
#define RTFAIL (-5004)        // the link to the host failed
#define RTKWORD (-5005)       // a keyword was typed
#define RTINPUTTRUNCATED (-5008)

// Value types of result buffers and of acedCommandS arguments.
#define RTREAL 5001
#define RTPOINT 5002          // 2D point
#define RTSHORT 5003
#define RTANG 5004
#define RTSTR 5005
#define RTENAME 5006
#define RTPICKS 5007
#define RTORINT 5008
#define RT3DPOINT 5009
#define RTLONG 5010
#define RTVOID 5014
#define RTLB 5016             // list begin
#define RTLE 5017             // list end
#define RTDOTE 5018
#define RTNIL 5019
#define RTDXF0 5020
#define RTT 5021
#define RTRESBUF 5023
#define RTINT64 5031

// Input-control flags of acedInitGet.
#define RSG_NONULL 0x0001     // Enter is refused
#define RSG_NOZERO 0x0002     // zero is refused
#define RSG_NONEG 0x0004      // negative values are refused
#define RSG_NOLIM 0x0008      // no drawing-limits check
#define RSG_GETZ 0x0010       // ask for Z
#define RSG_DASH 0x0020       // dashed rubber band
#define RSG_2D 0x0040         // 2D distances only
#define RSG_OTHER 0x0080      // arbitrary text is returned as a keyword
#define RSG_DDISTFIRST 0x0100
#define RSG_TRACKUCS 0x0200
#define RSG_NOORTHOZ 0x0400
#define RSG_NOOSNAP 0x0800
#define RSG_NODDIST 0x1000
