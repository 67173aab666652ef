// The cloud entity's fields, accessors, caches and runtime class members.
#include "entity/Pelvar.h"

#include <utility>

#include "classify/ClassOverrides.h"
#include "cloudfile/CloudReader.h"
#include "entity/PelvarClass.h"

// --- Runtime class members. The class record itself is registered by RegisterPelvarClass.

AcRxClass* Pelvar::gpDesc = nullptr;

// Null while the module is not loaded: the class exists only between the load and unload
// sequences, never as a side effect of asking for it.
AcRxClass* Pelvar::desc() { return gpDesc; }

AcRxClass* Pelvar::isA() const { return desc(); }

Pelvar* Pelvar::cast(const AcRxObject* inPtr) {
  return (inPtr != nullptr && inPtr->isKindOf(desc()))
             ? static_cast<Pelvar*>(const_cast<AcRxObject*>(inPtr))
             : nullptr;
}

void Pelvar::rxInit() { RegisterPelvarClass(); }

// --- Construction.

Pelvar::Pelvar() = default;

// Members release the image reference, the override array, the edits and the path.
Pelvar::~Pelvar() = default;

// --- Filed fields.

const std::wstring& Pelvar::cloudPath() const {
  assertReadEnabled();
  return m_cloudPath;
}
const AcGeMatrix3d& Pelvar::transform() const {
  assertReadEnabled();
  return m_transform;
}
uint32_t Pelvar::classMask() const {
  assertReadEnabled();
  return m_classMask;
}
uint8_t Pelvar::colorMode() const {
  assertReadEnabled();
  return m_colorMode;
}
uint16_t Pelvar::density() const {
  assertReadEnabled();
  return m_density;
}
const std::vector<ReclassEdit>& Pelvar::reclassEdits() const {
  assertReadEnabled();
  return m_reclassEdits;
}
bool Pelvar::elevFilterOn() const {
  assertReadEnabled();
  return m_elevFilterOn;
}
double Pelvar::elevMin() const {
  assertReadEnabled();
  return m_elevMin;
}
double Pelvar::elevMax() const {
  assertReadEnabled();
  return m_elevMax;
}
bool Pelvar::autoClassify() const {
  assertReadEnabled();
  return m_autoClassify;
}

void Pelvar::setCloudPath(const std::wstring& path) {
  assertWriteEnabled();
  m_cloudPath = path;
  m_cloudData.reset();
}
void Pelvar::setTransform(const AcGeMatrix3d& transform) {
  assertWriteEnabled();
  m_transform = transform;
}
void Pelvar::setClassMask(uint32_t mask) {
  assertWriteEnabled();
  m_classMask = mask;
}
void Pelvar::setColorMode(uint8_t mode) {
  assertWriteEnabled();
  m_colorMode = mode;
}
void Pelvar::setDensity(uint16_t percent) {
  assertWriteEnabled();
  m_density = percent;
}
void Pelvar::setReclassEdits(std::vector<ReclassEdit> edits) {
  assertWriteEnabled();
  m_reclassEdits = std::move(edits);
}
void Pelvar::appendReclassEdit(const ReclassEdit& edit) {
  assertWriteEnabled();
  m_reclassEdits.push_back(edit);
}
void Pelvar::setElevationWindow(bool on, double minZ, double maxZ) {
  assertWriteEnabled();
  m_elevFilterOn = on;
  m_elevMin = minZ;
  m_elevMax = maxZ;
}
void Pelvar::setAutoClassify(bool on) {
  assertWriteEnabled();
  m_autoClassify = on;
}

// --- Caches.

KmqDataPtr Pelvar::CloudData() const {
  if (m_cloudData == nullptr && !m_cloudPath.empty()) m_cloudData = LoadCloudFile(m_cloudPath);
  return m_cloudData;
}

ClassOverridesPtr Pelvar::ClassOverrides() const {
  KmqDataPtr data = CloudData();
  if (data == nullptr) return nullptr;
  if (m_overridesDirty) RebuildClassOverrides(*this, *data);
  return m_classOverrides;
}

bool Pelvar::overridesDirty() const { return m_overridesDirty; }
void Pelvar::setOverridesDirty(bool dirty) const { m_overridesDirty = dirty; }
ClassOverridesPtr& Pelvar::classOverridesSlot() const { return m_classOverrides; }
void Pelvar::releaseCloudData() const { m_cloudData.reset(); }

// --- Host operations without behaviour of their own.

Adesk::UInt32 Pelvar::subSetAttributes(AcGiDrawableTraits* traits) {
  return AcDbEntity::subSetAttributes(traits);
}
