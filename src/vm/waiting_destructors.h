#pragma once
// Garbage whose destructor cannot run now: the run that made it garbage spent the
// work allowance of its frame, or sits at the nesting limit. Rather than skipping
// the destructor (a file writer would then stay open, its file never written),
// the record waits, held by the list, and its destructor runs once the outermost
// run has ended, under an allowance of its own; what is left waits for the end of
// the next one.
#include "vm/arena.h"

namespace zunka::vm {

class ClassObject;

// True when a destructor started now could not run: the allowance is spent or
// one more nested run would pass the nesting limit.
bool DestructorMustWait();

// Holds `record` (garbage, count 0) until its destructor can run.
void WaitForDestructor(Ref record);

// Runs the waiting destructors, oldest first, all under one fresh allowance;
// those it does not reach wait for the next call. Does nothing inside a run
// (a debugger's pause included).
void RunWaitingDestructors();

// Lets go of the records of `cls` that wait (every one for nullptr): they are
// plain garbage again, finalised with the rest of their class's pool.
void StopWaitingFor(const ClassObject* cls);

// Marks the waiting records for the collector: the list holds them.
void MarkWaitingRecords();

}  // namespace zunka::vm
