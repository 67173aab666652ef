// Result-buffer lists.
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "acutads.h"
#include "adscodes.h"

namespace {

ACHAR* CopyString(const ACHAR* text) {
  if (text == nullptr) return nullptr;
  size_t n = std::wcslen(text) + 1;
  auto* copy = static_cast<ACHAR*>(std::malloc(n * sizeof(ACHAR)));
  if (copy != nullptr) std::wmemcpy(copy, text, n);
  return copy;
}

bool OwnsString(int type) { return type == RTSTR || (type >= 1 && type <= 9) || type == 1000; }

}  // namespace

struct resbuf* acutNewRb(int type) {
  auto* rb = static_cast<resbuf*>(std::calloc(1, sizeof(resbuf)));
  if (rb != nullptr) rb->restype = static_cast<short>(type);
  return rb;
}

int acutRelRb(struct resbuf* rb) {
  while (rb != nullptr) {
    resbuf* next = rb->rbnext;
    if (OwnsString(rb->restype)) std::free(rb->resval.rstring);
    std::free(rb);
    rb = next;
  }
  return RTNORM;
}

struct resbuf* acutBuildList(int rtype, ...) {
  va_list args;
  va_start(args, rtype);
  resbuf* head = nullptr;
  resbuf** tail = &head;
  for (int type = rtype; type != 0 && type != RTNONE; type = va_arg(args, int)) {
    resbuf* rb = acutNewRb(type);
    if (rb == nullptr) {
      acutRelRb(head);
      head = nullptr;
      break;
    }
    switch (type) {
      case RTSTR: rb->resval.rstring = CopyString(va_arg(args, const ACHAR*)); break;
      case RTREAL:
      case RTANG: rb->resval.rreal = va_arg(args, double); break;
      case RTSHORT: rb->resval.rint = static_cast<short>(va_arg(args, int)); break;
      case RTLONG: rb->resval.rlong = va_arg(args, int); break;
      case RTPOINT:
      case RT3DPOINT: {
        const ads_real* p = va_arg(args, const ads_real*);
        rb->resval.rpoint[0] = p[0];
        rb->resval.rpoint[1] = p[1];
        rb->resval.rpoint[2] = type == RT3DPOINT ? p[2] : 0.0;
        break;
      }
      case RTENAME:
      case RTPICKS: {
        const std::int64_t* name = va_arg(args, const std::int64_t*);
        rb->resval.rlname[0] = name[0];
        rb->resval.rlname[1] = name[1];
        break;
      }
      default: break;  // RTLB, RTLE, RTDOTE, RTNIL, RTT: no value
    }
    *tail = rb;
    tail = &rb->rbnext;
  }
  va_end(args);
  return head;
}
