#include <algorithm>
#include <vector>

#include "acdocman.h"
#include "dbapserv.h"
#include "dbdatabase.h"
#include "dbundo.h"
#include "hostinput.h"

namespace {
constexpr const wchar_t* kLockGroupName = L"EDIT";
}  // namespace

AcApDocument::AcApDocument(std::unique_ptr<AcDbDatabase> database, const std::wstring& fileName, bool untitled)
    : m_database(std::move(database)), m_untitled(untitled) {
  setFileName(fileName);
}

AcApDocument::~AcApDocument() = default;

void AcApDocument::setFileName(const std::wstring& fileName) {
  m_fileName = fileName;
  size_t slash = fileName.rfind(L'/');
  m_title = slash == std::wstring::npos ? fileName : fileName.substr(slash + 1);
}

struct AcApDocManager::Impl {
  std::vector<std::unique_ptr<AcApDocument>> documents;
  AcApDocument* current = nullptr;
  std::vector<AcApDocManagerReactor*> reactors;
  int untitledCount = 0;

  template <typename F>
  void notify(F f) {
    std::vector<AcApDocManagerReactor*> copy = reactors;  // a reactor may remove itself
    for (AcApDocManagerReactor* r : copy)
      if (std::find(reactors.begin(), reactors.end(), r) != reactors.end()) f(r);
  }
  bool holds(const AcApDocument* doc) const {
    return std::any_of(documents.begin(), documents.end(), [doc](auto& d) { return d.get() == doc; });
  }
};

AcApDocManager::AcApDocManager() : m_impl(std::make_unique<Impl>()) {}
AcApDocManager::~AcApDocManager() = default;

AcApDocument* AcApDocManager::curDocument() const { return m_impl->current; }
int AcApDocManager::documentCount() const { return static_cast<int>(m_impl->documents.size()); }

namespace {
class DocumentIterator : public AcApDocumentIterator {
 public:
  explicit DocumentIterator(std::vector<AcApDocument*> docs) : m_docs(std::move(docs)) {}
  bool done() const override { return m_index >= m_docs.size(); }
  void step() override { ++m_index; }
  AcApDocument* document() override { return done() ? nullptr : m_docs[m_index]; }

 private:
  std::vector<AcApDocument*> m_docs;
  size_t m_index = 0;
};
}  // namespace

AcApDocumentIterator* AcApDocManager::newAcApDocumentIterator() {
  std::vector<AcApDocument*> docs;
  for (auto& d : m_impl->documents) docs.push_back(d.get());
  return new DocumentIterator(std::move(docs));
}

Acad::ErrorStatus AcApDocManager::activateDocument(AcApDocument* doc, bool) {
  if (doc == nullptr || !m_impl->holds(doc)) return Acad::eInvalidInput;
  if (m_impl->current == doc) return Acad::eOk;
  if (m_impl->current != nullptr) {
    AcApDocument* old = m_impl->current;
    m_impl->notify([old](AcApDocManagerReactor* r) { r->documentToBeDeactivated(old); });
  }
  m_impl->notify([doc](AcApDocManagerReactor* r) { r->documentToBeActivated(doc); });
  m_impl->current = doc;
  acdbHostApplicationServices()->setWorkingDatabase(doc->database());
  m_impl->notify([doc](AcApDocManagerReactor* r) { r->documentBecameCurrent(doc); });
  m_impl->notify([doc](AcApDocManagerReactor* r) { r->documentActivated(doc); });
  return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::setCurDocument(AcApDocument* doc, AcAp::DocLockMode lockMode, bool activate) {
  Acad::ErrorStatus status = activateDocument(doc);
  if (status == Acad::eOk && lockMode != AcAp::kNone) status = lockDocument(doc, lockMode);
  return status;
}

Acad::ErrorStatus AcApDocManager::lockDocument(AcApDocument* doc, AcAp::DocLockMode lockMode, const ACHAR* globalName,
                                               const ACHAR*, bool) {
  if (doc == nullptr || !m_impl->holds(doc)) return Acad::eInvalidInput;
  AcAp::DocLockMode previous = doc->lockMode();
  // Changes made under a lock outside a command (a palette's) are one undo group.
  pelvarhost::BeginUndoSpan(globalName != nullptr && *globalName != 0 ? globalName : kLockGroupName);
  ++doc->lockDepth;
  doc->setLockMode(lockMode);
  m_impl->notify([&](AcApDocManagerReactor* r) {
    r->documentLockModeChanged(doc, previous, lockMode, lockMode, globalName != nullptr ? globalName : L"");
  });
  return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::unlockDocument(AcApDocument* doc) {
  if (doc == nullptr || !m_impl->holds(doc)) return Acad::eInvalidInput;
  if (doc->lockDepth == 0) return Acad::eNotApplicable;
  if (--doc->lockDepth == 0) doc->setLockMode(AcAp::kNotLocked);
  pelvarhost::EndUndoSpan();
  return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::sendStringToExecute(AcApDocument* doc, const ACHAR* text, bool bActivate, bool,
                                                      bool) {
  if (doc == nullptr || text == nullptr || !m_impl->holds(doc)) return Acad::eInvalidInput;
  if (bActivate) activateDocument(doc);
  pelvarhost::QueueTypedText(text);
  return Acad::eOk;
}

void AcApDocManager::addReactor(AcApDocManagerReactor* reactor) {
  if (reactor != nullptr && std::find(m_impl->reactors.begin(), m_impl->reactors.end(), reactor) == m_impl->reactors.end())
    m_impl->reactors.push_back(reactor);
}

void AcApDocManager::removeReactor(AcApDocManagerReactor* reactor) { std::erase(m_impl->reactors, reactor); }

AcApDocument* AcApDocManager::addDocument(std::unique_ptr<AcDbDatabase> database, const std::wstring& fileName,
                                          bool untitled) {
  m_impl->documents.push_back(std::make_unique<AcApDocument>(std::move(database), fileName, untitled));
  AcApDocument* doc = m_impl->documents.back().get();
  m_impl->notify([doc](AcApDocManagerReactor* r) { r->documentCreated(doc); });
  activateDocument(doc);
  return doc;
}

void AcApDocManager::closeDocument(AcApDocument* doc) {
  if (doc == nullptr || !m_impl->holds(doc)) return;
  m_impl->notify([doc](AcApDocManagerReactor* r) { r->documentToBeDestroyed(doc); });
  std::wstring name = doc->fileName();
  bool wasCurrent = m_impl->current == doc;
  if (wasCurrent) {
    m_impl->current = nullptr;
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  }
  std::erase_if(m_impl->documents, [doc](auto& d) { return d.get() == doc; });
  m_impl->notify([&name](AcApDocManagerReactor* r) { r->documentDestroyed(name.c_str()); });
  if (wasCurrent && !m_impl->documents.empty()) activateDocument(m_impl->documents.back().get());
}

void AcApDocManager::closeAllDocuments() {
  while (!m_impl->documents.empty()) closeDocument(m_impl->documents.back().get());
}

AcApDocument* AcApDocManager::documentAt(int index) const {
  if (index < 0 || index >= documentCount()) return nullptr;
  return m_impl->documents[static_cast<size_t>(index)].get();
}

int AcApDocManager::indexOf(const AcApDocument* doc) const {
  for (size_t i = 0; i < m_impl->documents.size(); ++i)
    if (m_impl->documents[i].get() == doc) return static_cast<int>(i);
  return -1;
}

std::wstring AcApDocManager::nextUntitledName() {
  return L"Drawing" + std::to_wstring(++m_impl->untitledCount) + L".pvd";
}

AcApDocManager* acDocManagerPtr() {
  static AcApDocManager manager;
  return &manager;
}
