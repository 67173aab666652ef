// The host's editor interface: the command stack and everything a command uses to talk
// to the user.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "acadstrc.h"
#include "accmd.h"
#include "acedCmdNF.h"
#include "acedads.h"
#include "acutads.h"
#include "rxboiler.h"

typedef void (*AcRxFunctionPtr)();
typedef void* HINSTANCE;

// Context-menu support of a command; this console host shows no menus.
class AcEdUIContext : public AcRxObject {
 public:
  ~AcEdUIContext() override = default;
};

// One registered command.
class AcEdCommand : public AcRxObject {
 public:
  AcEdCommand(const ACHAR* group, const ACHAR* globalName, const ACHAR* localName, Adesk::Int32 flags,
              AcRxFunctionPtr function, AcEdUIContext* context, int functionCode, HINSTANCE resource);
  ~AcEdCommand() override;
  AcEdCommand(const AcEdCommand&) = delete;
  AcEdCommand& operator=(const AcEdCommand&) = delete;

  AcRxFunctionPtr functionAddr() const { return m_function; }
  Adesk::Int32 commandFlags() const { return m_flags; }
  const ACHAR* globalName() const;
  const ACHAR* localName() const;
  const ACHAR* groupName() const;
  AcEdUIContext* UIContext() const { return m_context; }
  int functionCode() const { return m_functionCode; }
  HINSTANCE resourceHandle() const { return m_resource; }

 private:
  struct Names;
  Names* m_names;
  Adesk::Int32 m_flags;
  AcRxFunctionPtr m_function;
  AcEdUIContext* m_context;
  int m_functionCode;
  HINSTANCE m_resource;
};

// The host's commands, in groups. The group added last is searched first.
class AcEdCommandStack : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcEdCommandStack);
  AcEdCommandStack();
  ~AcEdCommandStack() override;
  AcEdCommandStack(const AcEdCommandStack&) = delete;
  AcEdCommandStack& operator=(const AcEdCommandStack&) = delete;

  // eDuplicateKey when the group already holds that global (or local) name; eInvalidInput
  // for a missing name or function.
  Acad::ErrorStatus addCommand(const ACHAR* cmdGroupName, const ACHAR* cmdGlobalName, const ACHAR* cmdLocalName,
                               Adesk::Int32 commandFlags, AcRxFunctionPtr functionAddr,
                               AcEdUIContext* UIContext = nullptr, int fcode = -1, HINSTANCE hResourceHandle = nullptr,
                               AcEdCommand** cmdPtrRet = nullptr);
  // eKeyNotFound when the group or the command is not there.
  Acad::ErrorStatus removeCmd(const ACHAR* cmdGroupName, const ACHAR* cmdGlobalName);
  Acad::ErrorStatus removeGroup(const ACHAR* groupName);
  AcEdCommand* lookupGlobalCmd(const ACHAR* globalName);
  AcEdCommand* lookupLocalCmd(const ACHAR* localName);
  AcEdCommand* lookupCmd(const ACHAR* cmdName, bool globalFlag);

  // The command a name typed at the command prompt names: case-insensitive; "_" asks for
  // the global name, "." for the built-in one (both may be given, as "_.").
  AcEdCommand* lookupTyped(std::wstring_view typed);
  // The global names of every registered command, newest group first.
  std::vector<std::wstring> globalNames() const;

 private:
  struct Groups;
  Groups* m_groups;
};

// The host's command stack.
AcEdCommandStack* acedRegCmdsPtr();
#define acedRegCmds (acedRegCmdsPtr())

// Entity names and object ids (entity names come from acedEntSel).
#include "dbid.h"
Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& objId, const ads_name objName);
Acad::ErrorStatus acdbGetAdsName(ads_name& objName, AcDbObjectId objId);
