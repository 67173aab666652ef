// Drawing files, documents and modules: NEW OPEN SAVE SAVEAS CLOSE QUIT DOCS DOC ARXLOAD ARXUNLOAD.
#include <filesystem>
#include <system_error>

#include "acdocman.h"
#include "apcommands.h"
#include "apcommon.h"
#include "dbapserv.h"
#include "dbdatabase.h"
#include "dbdrawing.h"
#include "hostcmdline.h"
#include "hostcommands.h"
#include "rxmodule.h"
#include "wideutf8.h"

namespace pelvarhost {
namespace {

// Drawings are known by their absolute paths, so that one file is one drawing however it
// was named.
std::wstring AbsolutePath(const std::wstring& path) {
  std::error_code ec;
  // Through UTF-8, whatever the locale: a wide path never meets the locale's conversion.
  std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::path(WideToUtf8(path)), ec);
  return ec ? path : Utf8ToWide(absolute.lexically_normal().string());
}

}  // namespace

void NewDrawing(bool announce) {
  AcApDocManager* docs = acDocManagerPtr();
  AcApDocument* doc = docs->addDocument(std::make_unique<AcDbDatabase>(true), docs->nextUntitledName(), true);
  if (announce) acutPrintf(L"\nNew drawing: %ls", doc->fileName());
}

bool OpenDrawing(const std::wstring& typedPath) {
  const std::wstring path = AbsolutePath(typedPath);
  AcApDocManager* docs = acDocManagerPtr();
  for (int i = 0; i < docs->documentCount(); ++i) {
    if (path == docs->documentAt(i)->fileName() && !docs->documentAt(i)->isUntitled()) {
      docs->activateDocument(docs->documentAt(i));
      acutPrintf(L"\n%ls is open already; it is now the current drawing.", path.c_str());
      return true;
    }
  }
  auto db = std::make_unique<AcDbDatabase>(false);
  if (db->readDwgFile(path.c_str()) != Acad::eOk) {
    acutPrintf(L"\nCannot open %ls: %ls", path.c_str(), LastDrawingFileError().c_str());
    return false;
  }
  docs->addDocument(std::move(db), path, false);
  acutPrintf(L"\nOpened %ls", path.c_str());
  return true;
}

namespace cmd {
namespace {

// A file path typed at acedGetFileD's prompt, or empty.
std::wstring AskFile(const ACHAR* title, const ACHAR* ext, int flags) {
  resbuf* rb = acutNewRb(RTSTR);
  std::wstring path;
  if (acedGetFileD(title, L"", ext, flags, rb) == RTNORM && rb->resval.rstring != nullptr) path = rb->resval.rstring;
  acutRelRb(rb);
  return path;
}

bool SaveTo(AcApDocument* doc, const std::wstring& typedPath) {
  const std::wstring path = AbsolutePath(typedPath);
  if (doc->database()->saveAs(path.c_str()) != Acad::eOk) {
    acutPrintf(L"\nCannot save %ls: %ls", path.c_str(), LastDrawingFileError().c_str());
    return false;
  }
  doc->setFileName(path);
  doc->setUntitled(false);
  acutPrintf(L"\nSaved %ls", path.c_str());
  return true;
}

// True when the document may be closed: unchanged, saved now, or its changes discarded, as
// the window's question offers. Yes and No keep their meaning of the earlier question
// ("Discard them?"), so that scripts written for it still run.
bool MayDiscard(AcApDocument* doc) {
  if (!doc->database()->isModified()) return true;
  acedInitGet(0, L"Save Discard Cancel Yes No");
  ACHAR answer[16];
  std::wstring prompt = std::wstring(L"\nSave changes to ") + doc->docTitle() + L"? [Save/Discard/Cancel] <Save>: ";
  int rc = acedGetKword(prompt.c_str(), answer, 16);
  std::wstring choice = rc == RTNONE ? L"Save" : answer;
  if (rc != RTNORM && rc != RTNONE) return false;
  if (choice == L"Discard" || choice == L"Yes") return true;
  if (choice != L"Save") return false;
  if (!doc->isUntitled()) return SaveTo(doc, doc->fileName());
  std::wstring path = AskFile(L"Save drawing as", kDrawingExtension, 1);
  return !path.empty() && SaveTo(doc, path);
}

}  // namespace

void CmdNew() { NewDrawing(); }

void CmdOpen() {
  std::wstring path = AskFile(L"Drawing to open", kDrawingExtension, 0);
  if (!path.empty()) OpenDrawing(path);
}

void CmdSaveAs() {
  AcApDocument* doc = curDoc();
  if (doc == nullptr) {
    HaveDrawing();
    return;
  }
  std::wstring path = AskFile(L"Save drawing as", kDrawingExtension, 1);
  if (!path.empty()) SaveTo(doc, path);
}

void CmdSave() {
  AcApDocument* doc = curDoc();
  if (doc == nullptr) {
    HaveDrawing();
    return;
  }
  if (doc->isUntitled()) {
    CmdSaveAs();
    return;
  }
  SaveTo(doc, doc->fileName());
}

void CmdClose() {
  AcApDocument* doc = curDoc();
  if (doc == nullptr) {
    HaveDrawing();
    return;
  }
  if (!MayDiscard(doc)) return;
  std::wstring title = doc->docTitle();
  acDocManagerPtr()->closeDocument(doc);
  acutPrintf(L"\nClosed %ls", title.c_str());
}

void CmdQuit() {
  AcApDocManager* docs = acDocManagerPtr();
  for (int i = 0; i < docs->documentCount(); ++i)
    if (!MayDiscard(docs->documentAt(i))) return;
  RequestQuit();
}

void CmdDocs() {
  AcApDocManager* docs = acDocManagerPtr();
  if (docs->documentCount() == 0) {
    acutPrintf(L"\nNo drawing is open.");
    return;
  }
  for (int i = 0; i < docs->documentCount(); ++i) {
    AcApDocument* doc = docs->documentAt(i);
    acutPrintf(L"\n%lc %d  %ls%ls", doc == docs->curDocument() ? L'*' : L' ', i + 1, doc->fileName(),
               doc->database()->isModified() ? L"  (modified)" : L"");
  }
}

void CmdDoc() {
  AcApDocManager* docs = acDocManagerPtr();
  int number = 0;
  if (acedGetInt(L"\nDrawing number: ", &number) != RTNORM) return;
  AcApDocument* doc = docs->documentAt(number - 1);
  if (doc == nullptr) {
    acutPrintf(L"\nThere is no drawing %d; DOCS lists them.", number);
    return;
  }
  docs->activateDocument(doc);
  acutPrintf(L"\nCurrent drawing: %ls", doc->fileName());
}

void CmdArxLoad() {
  std::wstring path = AskFile(L"Module to load", L"arx", 0);
  if (path.empty()) return;
  std::wstring error;
  if (LoadModule(path, error)) {
    acutPrintf(L"\nLoaded %ls", path.c_str());
  } else {
    acutPrintf(L"\nCannot load %ls: %ls", path.c_str(), error.c_str());
  }
}

void CmdArxUnload() {
  ACHAR name[512];
  if (acedGetString(1, L"\nModule to unload: ", name, 512) != RTNORM || name[0] == L'\0') return;
  std::wstring error;
  if (UnloadModule(name, error)) {
    acutPrintf(L"\nUnloaded %ls", name);
  } else {
    acutPrintf(L"\nCannot unload %ls: %ls", name, error.c_str());
  }
}

}  // namespace cmd
}  // namespace pelvarhost
