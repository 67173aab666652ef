// The module's commands: one constant table in registration order, and the list of
// commands written to the host's demand-load data.
#pragma once
#include <array>
#include <span>

#include "aced.h"

// One command. A null handler marks a command whose feature is not in this build: it keeps
// its place in the table but is not registered.
struct CommandEntry {
  const ACHAR* group;
  const ACHAR* globalName;
  const ACHAR* localName;
  Adesk::Int32 flags;
  AcRxFunctionPtr handler;
};

inline constexpr const ACHAR* kCommandGroup = L"Mardel";
inline constexpr size_t kCommandCount = 20;
inline constexpr size_t kDemandLoadCommandCount = 19;

extern const std::array<CommandEntry, kCommandCount> kPelvarCommands;
extern const std::array<const ACHAR*, kDemandLoadCommandCount> kDemandLoadCommands;

// Registers every entry that has a handler, in table order, on the host command stack.
void RegisterCommands(std::span<const CommandEntry> table, HINSTANCE resource);
// Removes every entry of the table by group and global name, in table order.
void RemoveCommands(std::span<const CommandEntry> table);
