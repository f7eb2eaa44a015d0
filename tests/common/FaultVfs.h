// A database file system for tests that makes the n-th write, sync or lock call fail, so that
// every way an action can lose the disk half-way is tried.
#pragma once

enum class FaultKind { Write, Sync, Lock };

// Registers the faulty file system as the default one (tests only). Calls counted from the
// moment of arming; n = 0 disarms.
void InstallFaultVfs();
void ArmFault(FaultKind kind, int n, int errorCode);
void DisarmFault();
// Whether the armed fault has been hit since arming.
bool FaultHit();
// How many calls of the armed kind have been made since arming.
int FaultCalls();
