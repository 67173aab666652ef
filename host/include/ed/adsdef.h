// Basic types of the host's user-input and result-buffer interface.
#pragma once
#include <cstdint>

typedef wchar_t ACHAR;

typedef double ads_real;
typedef ads_real ads_point[3];
typedef ads_real ads_matrix[4][4];
typedef ads_real* ads_pointp;
// An entity name: the host's short-lived name of a database object (valid while its
// database is open).
typedef std::int64_t ads_name[2];
typedef std::int64_t* ads_namep;

enum { X = 0, Y = 1, Z = 2 };
enum { T = 3 };

#define ads_point_set(from, to) ((to)[X] = (from)[X], (to)[Y] = (from)[Y], (to)[Z] = (from)[Z])
#define ads_name_set(from, to) ((to)[0] = (from)[0], (to)[1] = (from)[1])
#define ads_name_clear(name) ((name)[0] = (name)[1] = 0)
#define ads_name_nil(name) ((name)[0] == 0 && (name)[1] == 0)
#define ads_name_equal(a, b) ((a)[0] == (b)[0] && (a)[1] == (b)[1])

struct ads_binary {
  short clen;
  char* buf;
};

union ads_u_val {
  ads_real rreal;
  ads_real rpoint[3];
  short rint;
  ACHAR* rstring;
  std::int64_t rlname[2];
  std::int32_t rlong;
  std::int64_t mnInt64;
  struct ads_binary rbinary;
  unsigned char ihandle[8];
};

// One link of a result-buffer list; restype is an RT code (adscodes.h) or a DXF group code.
struct resbuf {
  struct resbuf* rbnext;
  short restype;
  union ads_u_val resval;
};
