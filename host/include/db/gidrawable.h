// Base of everything the graphics system can draw. The drawing interfaces themselves
// (AcGiWorldDraw, AcGiViewportDraw, AcGiDrawableTraits) belong to the graphics library.
#pragma once
#include "rxobject.h"

class AcGiWorldDraw;
class AcGiViewportDraw;
class AcGiDrawableTraits;

class AcGiDrawable : public AcRxObject {
 public:
  enum SetAttributesFlags { kDrawableNone = 0, kDrawableIsAnEntity = 1 };

  static AcRxClass* desc();
  AcRxClass* isA() const override;
  static AcGiDrawable* cast(const AcRxObject* object);

  virtual Adesk::UInt32 setAttributes(AcGiDrawableTraits* traits) { return kDrawableNone; }
  // False asks the graphics system for viewportDraw as well.
  virtual Adesk::Boolean worldDraw(AcGiWorldDraw* worldDraw) { return Adesk::kTrue; }
  virtual void viewportDraw(AcGiViewportDraw* viewportDraw) {}
  virtual Adesk::Boolean isPersistent() const { return Adesk::kFalse; }
  virtual Adesk::LongPtr id() const { return 0; }
};
