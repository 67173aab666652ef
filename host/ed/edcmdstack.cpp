#include <list>
#include <memory>
#include <string>
#include <vector>

#include "aced.h"
#include "edanswer.h"
#include "textcase.h"

using pelvarhost::SameTextIgnoringCase;

struct AcEdCommand::Names {
  std::wstring group, global, local;
};

AcEdCommand::AcEdCommand(const ACHAR* group, const ACHAR* globalName, const ACHAR* localName, Adesk::Int32 flags,
                         AcRxFunctionPtr function, AcEdUIContext* context, int functionCode, HINSTANCE resource)
    : m_names(new Names{group, globalName, localName}),
      m_flags(flags),
      m_function(function),
      m_context(context),
      m_functionCode(functionCode),
      m_resource(resource) {}

AcEdCommand::~AcEdCommand() { delete m_names; }
const ACHAR* AcEdCommand::globalName() const { return m_names->global.c_str(); }
const ACHAR* AcEdCommand::localName() const { return m_names->local.c_str(); }
const ACHAR* AcEdCommand::groupName() const { return m_names->group.c_str(); }

struct Group {
  std::wstring name;
  std::vector<std::unique_ptr<AcEdCommand>> commands;
};

struct AcEdCommandStack::Groups {
  std::list<Group> groups;  // newest first

  Group* find(const ACHAR* name) {
    for (Group& g : groups)
      if (SameTextIgnoringCase(g.name, name)) return &g;
    return nullptr;
  }
  AcEdCommand* lookup(std::wstring_view name, bool global) {
    for (Group& g : groups)
      for (auto& c : g.commands)
        if (SameTextIgnoringCase(global ? c->globalName() : c->localName(), name)) return c.get();
    return nullptr;
  }
};

ACRX_NO_CONS_DEFINE_MEMBERS(AcEdCommandStack, AcRxObject)

AcEdCommandStack::AcEdCommandStack() : m_groups(new Groups) {}
AcEdCommandStack::~AcEdCommandStack() { delete m_groups; }

Acad::ErrorStatus AcEdCommandStack::addCommand(const ACHAR* cmdGroupName, const ACHAR* cmdGlobalName,
                                               const ACHAR* cmdLocalName, Adesk::Int32 commandFlags,
                                               AcRxFunctionPtr functionAddr, AcEdUIContext* UIContext, int fcode,
                                               HINSTANCE hResourceHandle, AcEdCommand** cmdPtrRet) {
  if (cmdPtrRet != nullptr) *cmdPtrRet = nullptr;
  if (cmdGroupName == nullptr || cmdGlobalName == nullptr || cmdGlobalName[0] == L'\0' || functionAddr == nullptr)
    return Acad::eInvalidInput;
  if (cmdLocalName == nullptr || cmdLocalName[0] == L'\0') cmdLocalName = cmdGlobalName;
  Group* group = m_groups->find(cmdGroupName);
  if (group == nullptr) {
    m_groups->groups.push_front(Group{cmdGroupName, {}});
    group = &m_groups->groups.front();
  }
  for (auto& c : group->commands)
    if (SameTextIgnoringCase(c->globalName(), cmdGlobalName) || SameTextIgnoringCase(c->localName(), cmdLocalName)) return Acad::eDuplicateKey;
  group->commands.push_back(std::make_unique<AcEdCommand>(cmdGroupName, cmdGlobalName, cmdLocalName, commandFlags,
                                                          functionAddr, UIContext, fcode, hResourceHandle));
  if (cmdPtrRet != nullptr) *cmdPtrRet = group->commands.back().get();
  return Acad::eOk;
}

Acad::ErrorStatus AcEdCommandStack::removeCmd(const ACHAR* cmdGroupName, const ACHAR* cmdGlobalName) {
  if (cmdGroupName == nullptr || cmdGlobalName == nullptr) return Acad::eInvalidInput;
  Group* group = m_groups->find(cmdGroupName);
  if (group == nullptr) return Acad::eKeyNotFound;
  auto& commands = group->commands;
  for (auto it = commands.begin(); it != commands.end(); ++it) {
    if (SameTextIgnoringCase((*it)->globalName(), cmdGlobalName)) {
      commands.erase(it);
      if (commands.empty()) m_groups->groups.remove_if([group](const Group& g) { return &g == group; });
      return Acad::eOk;
    }
  }
  return Acad::eKeyNotFound;
}

Acad::ErrorStatus AcEdCommandStack::removeGroup(const ACHAR* groupName) {
  Group* group = groupName != nullptr ? m_groups->find(groupName) : nullptr;
  if (group == nullptr) return Acad::eKeyNotFound;
  m_groups->groups.remove_if([group](const Group& g) { return &g == group; });
  return Acad::eOk;
}

AcEdCommand* AcEdCommandStack::lookupGlobalCmd(const ACHAR* globalName) {
  return globalName != nullptr ? m_groups->lookup(globalName, true) : nullptr;
}

AcEdCommand* AcEdCommandStack::lookupLocalCmd(const ACHAR* localName) {
  return localName != nullptr ? m_groups->lookup(localName, false) : nullptr;
}

AcEdCommand* AcEdCommandStack::lookupCmd(const ACHAR* cmdName, bool globalFlag) {
  return globalFlag ? lookupGlobalCmd(cmdName) : lookupLocalCmd(cmdName);
}

AcEdCommand* AcEdCommandStack::lookupTyped(std::wstring_view typed) {
  bool global = false;
  while (!typed.empty() && (typed.front() == L'_' || typed.front() == L'.')) {
    if (typed.front() == L'_') global = true;
    typed.remove_prefix(1);
  }
  if (typed.empty()) return nullptr;
  if (AcEdCommand* command = m_groups->lookup(typed, global)) return command;
  return m_groups->lookup(typed, !global);
}

std::vector<std::wstring> AcEdCommandStack::globalNames() const {
  std::vector<std::wstring> names;
  for (const Group& g : m_groups->groups)
    for (const auto& c : g.commands) names.emplace_back(c->globalName());
  return names;
}

AcEdCommandStack* acedRegCmdsPtr() {
  static AcEdCommandStack stack;
  return &stack;
}
