// Who may do what with the files of the simulated machine: the rights the
// access records give the running account (Machine::Account) on an object,
// checked by every file call as Windows checks them when it opens a file, and
// the bookkeeping that keeps the records with their objects.
//
// The account holds its user, Users, Authenticated Users and Everyone, and
// Administrators when it runs elevated; never SYSTEM. The owner of an object
// may always read and change its rights. A path through a link is checked
// against the rights of the object the link leads to.
//
// Only the sim backend includes this header.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "platform/sim/machine_internal.h"

namespace sim {

// Each check gives 0 when the account may, else the Windows error (5).
// An existing object with the acl:: rights `wanted` (a link is followed).
uint32_t CheckObjectAccess(const ResolvedPath& path, uint32_t wanted);
// A new file or folder in the path's folder: write on the folder.
uint32_t CheckAddToFolder(const ResolvedPath& path);
// Deleting an existing object (a link itself, not followed): DELETE on it,
// or delete-child on its folder.
uint32_t CheckDeleteAccess(const ResolvedPath& path);

// The rights of the account on an existing object (a link followed).
uint32_t RightsOnObject(const ResolvedPath& path);

// Keeping the records with their objects. After a file or folder was made:
// what a standard user makes is its own (it is recorded as the owner and as
// the creator CREATOR OWNER entries stand for), and a record left by an
// earlier object of that name is dropped. After an object was removed, its
// records go; after it was renamed, they follow it. The paths are as they
// were resolved before the call (a link named last is the link itself).
void NoteCreated(const ResolvedPath& path);
void NoteRemoved(const ResolvedPath& path);
void NoteMoved(const ResolvedPath& from, const ResolvedPath& to);

// True while a host process runs the file `st` describes as its executable
// (only looked for when the file's name ends in ".exe", as the programs on
// the machine do).
bool IsRunningProgram(const std::string& host, const struct stat& st);

}  // namespace sim
