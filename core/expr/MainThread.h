#pragma once
// Which thread is the main thread, for the lookups that behave differently on loader threads
// (named constants never insert there; global variables are main-thread data).

// True on the main thread: the thread that started the process, unless SetMainThread moved it.
bool IsMainThread();
// Marks the calling thread as the main thread (for programs and tests whose static
// initialisation runs elsewhere).
void SetMainThread();
