// Documents: the open drawings of the host, one of them current.
#pragma once
#include <memory>
#include <string>

#include "acadstrc.h"
#include "rxobject.h"

class AcDbDatabase;
class AcApDocument;

namespace AcAp {
enum DocLockMode {
  kNone = 0x00,
  kAutoWrite = 0x01,
  kNotLocked = 0x02,
  kWrite = 0x04,
  kProtectedAutoWrite = 0x08,
  kRead = 0x20,
  kXWrite = 0x40
};
}  // namespace AcAp

// One open drawing.
class AcApDocument : public AcRxObject {
 public:
  ~AcApDocument() override;
  AcApDocument(const AcApDocument&) = delete;
  AcApDocument& operator=(const AcApDocument&) = delete;

  AcDbDatabase* database() const { return m_database.get(); }
  // The drawing's file path ("DrawingN.pvd" until it is saved).
  const ACHAR* fileName() const { return m_fileName.c_str(); }
  // The file name without its folder.
  const ACHAR* docTitle() const { return m_title.c_str(); }
  AcAp::DocLockMode lockMode(bool bIncludeMyLocks = false) const { return m_lockMode; }
  bool isUntitled() const { return m_untitled; }

  // Host internals.
  AcApDocument(std::unique_ptr<AcDbDatabase> database, const std::wstring& fileName, bool untitled);
  void setFileName(const std::wstring& fileName);
  void setUntitled(bool untitled) { m_untitled = untitled; }
  void setLockMode(AcAp::DocLockMode mode) { m_lockMode = mode; }
  int lockDepth = 0;

 private:
  std::unique_ptr<AcDbDatabase> m_database;
  std::wstring m_fileName;
  std::wstring m_title;
  bool m_untitled;
  AcAp::DocLockMode m_lockMode = AcAp::kNotLocked;
};

// Notifications of document events; every one does nothing unless overridden.
class AcApDocManagerReactor : public AcRxObject {
 public:
  ~AcApDocManagerReactor() override = default;
  virtual void documentCreateStarted(AcApDocument*) {}
  virtual void documentCreated(AcApDocument*) {}
  virtual void documentToBeDestroyed(AcApDocument*) {}
  virtual void documentDestroyed(const ACHAR* fileName) {}
  virtual void documentBecameCurrent(AcApDocument*) {}
  virtual void documentToBeActivated(AcApDocument*) {}
  virtual void documentToBeDeactivated(AcApDocument*) {}
  virtual void documentActivated(AcApDocument*) {}
  virtual void documentLockModeChanged(AcApDocument*, AcAp::DocLockMode myPreviousMode, AcAp::DocLockMode myCurrentMode,
                                       AcAp::DocLockMode currentMode, const ACHAR* pGlobalCmdName) {}
};

class AcApDocumentIterator {
 public:
  virtual ~AcApDocumentIterator() = default;
  virtual bool done() const = 0;
  virtual void step() = 0;
  virtual AcApDocument* document() = 0;
};

class AcApDocManager : public AcRxObject {
 public:
  AcApDocManager();
  ~AcApDocManager() override;
  AcApDocManager(const AcApDocManager&) = delete;
  AcApDocManager& operator=(const AcApDocManager&) = delete;

  AcApDocument* curDocument() const;
  AcApDocument* mdiActiveDocument() const { return curDocument(); }
  int documentCount() const;
  // The caller deletes the iterator.
  AcApDocumentIterator* newAcApDocumentIterator();
  // Makes the document current and its database the working database.
  Acad::ErrorStatus activateDocument(AcApDocument* pAcTargetDocument, bool bPassScript = false);
  Acad::ErrorStatus setCurDocument(AcApDocument* pDoc, AcAp::DocLockMode lockMode = AcAp::kNone,
                                   bool activate = false);
  // Locks nest; each lockDocument is undone by one unlockDocument.
  Acad::ErrorStatus lockDocument(AcApDocument* pDoc, AcAp::DocLockMode lockMode = AcAp::kWrite,
                                 const ACHAR* pGlobalCmdName = nullptr, const ACHAR* pLocalCmdName = nullptr,
                                 bool prompt = true);
  Acad::ErrorStatus unlockDocument(AcApDocument* pDoc);
  // Queues text to run at the command prompt after the running command ends, as if typed.
  Acad::ErrorStatus sendStringToExecute(AcApDocument* pAcTargetDocument, const ACHAR* pszExecute,
                                        bool bActivate = true, bool bWrapUpInactiveDoc = false,
                                        bool bEchoString = true);
  void addReactor(AcApDocManagerReactor* reactor);
  void removeReactor(AcApDocManagerReactor* reactor);

  // Host internals (the NEW, OPEN and CLOSE commands).
  // Takes the database, notifies documentCreated and activates the new document.
  AcApDocument* addDocument(std::unique_ptr<AcDbDatabase> database, const std::wstring& fileName, bool untitled);
  // Notifies documentToBeDestroyed, deletes the document and activates another one.
  void closeDocument(AcApDocument* document);
  void closeAllDocuments();
  // The documents in the order opened.
  AcApDocument* documentAt(int index) const;
  int indexOf(const AcApDocument* document) const;
  std::wstring nextUntitledName();

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

AcApDocManager* acDocManagerPtr();
#define acDocManager (acDocManagerPtr())
inline AcApDocument* curDoc() { return acDocManagerPtr()->curDocument(); }
